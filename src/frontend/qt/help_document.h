#pragma once

#include <QString>

namespace tavolin {

// The file a help window shows for an address the core made,
// "file://<program folder>/<name>". The Linux edition's help documents are
// the .htm forms of the .mht documents. A document is looked for under its
// name beside the program, in an installation's ../share/tavolin, and in
// the help folder of the build the program was made in (a program run
// from its build tree). The path of the first that can be read; empty
// when there is none.
QString helpDocumentPath(const QString& address,
                         const QString& buildHelpFolder = QStringLiteral(TAVOLIN_BUILD_HELP_DIR));

}  // namespace tavolin
