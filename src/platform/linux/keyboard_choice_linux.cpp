#include <cstdlib>

#include "platform/linux/keyboard_linux.h"
#include "platform/platform.h"

namespace tavolin {

// Wayland sessions type through uinput (XTest reaches only X programs
// there), X sessions through XTest; each falls back to the other. Without
// either, reading still runs and the caller is told why nothing is typed.
std::unique_ptr<Keyboard> makeKeyboard(std::string& problem) {
  std::string xtestProblem, uinputProblem;
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  if (wayland && *wayland) {
    if (auto uinput = UinputKeyboard::open(uinputProblem)) return uinput;
    if (auto xtest = XTestKeyboard::open(xtestProblem)) return xtest;
  } else {
    if (auto xtest = XTestKeyboard::open(xtestProblem)) return xtest;
    if (auto uinput = UinputKeyboard::open(uinputProblem)) return uinput;
  }
  problem = "Readings cannot be typed: " + xtestProblem + "; " + uinputProblem + ".";
  return std::make_unique<NoKeyboard>();
}

bool desktopSession() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = std::getenv(name);
    if (value && *value) return true;
  }
  return false;
}

}  // namespace tavolin
