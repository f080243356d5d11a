#pragma once

#include <QString>
#include <string>
#include <string_view>

#include "text/cp1252.h"

namespace tavolin {

// The program's texts are Windows-1252; Qt's are Unicode. Every text
// crosses here on its way into a widget and back.
inline QString toQt(std::string_view text) { return QString::fromStdString(cp1252ToUtf8(text)); }

inline std::string fromQt(const QString& text) { return utf8ToCp1252(text.toStdString()); }

}  // namespace tavolin
