#pragma once

#include <QIcon>
#include <QPixmap>
#include <cstdint>

namespace tavolin {

// The program's icon (IDI_TAVOLIN) in all its sizes: window, tray, about.
QIcon programIcon();

// The image of a resource id (IDB_LOGO, IDI_TAVOLIN); a null pixmap for
// any other id.
QPixmap imageResource(std::int32_t id);

}  // namespace tavolin
