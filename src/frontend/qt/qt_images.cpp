#include "frontend/qt/qt_images.h"

#include <QString>

#include "resource_ids.h"

namespace tavolin {

QIcon programIcon() {
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64, 128, 256}) {
    icon.addFile(QStringLiteral(":/tavolin/icons/hicolor/%1x%1/apps/tavolin.png").arg(size), QSize(size, size));
  }
  return icon;
}

QPixmap imageResource(std::int32_t id) {
  switch (id) {
    case IDB_LOGO:
      return QPixmap(QStringLiteral(":/tavolin/logo.bmp"));
    // A dialog shows an icon at the system's icon size, 32 pixels.
    case IDI_TAVOLIN:
      return programIcon().pixmap(32, 32);
    default:
      return {};
  }
}

}  // namespace tavolin
