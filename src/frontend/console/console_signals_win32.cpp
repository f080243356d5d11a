#include <windows.h>

#include <utility>

#include "console_signals.h"

namespace tavolin {

namespace {

std::function<void()>& endHandler() {
  static std::function<void()> handler;
  return handler;
}

// Runs on a thread the system starts for the event.
BOOL WINAPI onConsoleEvent(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) return FALSE;
  endHandler()();
  return TRUE;
}

}  // namespace

void prepareConsole(std::function<void()> onEnd) {
  // The program's texts are Windows-1252.
  SetConsoleOutputCP(1252);
  endHandler() = std::move(onEnd);
  SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

}  // namespace tavolin
