#include "frontend/qt/help_document.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace tavolin {

QString helpDocumentPath(const QString& address, const QString& buildHelpFolder) {
  QString path = address;
  if (path.startsWith(QStringLiteral("file://"))) path.remove(0, 7);
  if (path.endsWith(QStringLiteral(".mht"), Qt::CaseInsensitive))
    path.replace(path.size() - 3, 3, QStringLiteral("htm"));
  const QFileInfo wanted(path);
  const QStringList folders{wanted.path(), QDir(wanted.path()).filePath(QStringLiteral("../share/tavolin")),
                            buildHelpFolder};
  for (const QString& folder : folders) {
    if (folder.isEmpty()) continue;
    const QFileInfo candidate(QDir(folder), wanted.fileName());
    if (candidate.isFile() && candidate.isReadable()) return candidate.absoluteFilePath();
  }
  return {};
}

}  // namespace tavolin
