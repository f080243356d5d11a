#pragma once

#include <windows.h>

#include "services/trace.h"
#include "ui/attr_sheet.h"

namespace tavolin {

// Runs the settings sheet as the system's property sheet, owned by owner:
// each page made from its template the first time it is shown, its view
// attached and initialised then, activated at every showing; only the
// buttons the sheet offers, at the right. True when the user ended it
// with OK.
bool runPropertySheet(AttrSheet& sheet, HWND owner, Trace& trace);

}  // namespace tavolin
