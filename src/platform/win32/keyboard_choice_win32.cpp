#include "platform/platform.h"
#include "platform/win32/keyboard_win32.h"

namespace tavolin {

std::unique_ptr<Keyboard> makeKeyboard(std::string&) { return std::make_unique<Win32Keyboard>(); }

bool desktopSession() { return true; }

}  // namespace tavolin
