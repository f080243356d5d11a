// tavolin_en.exe and tavolin_de.exe: the windowed program of the Windows
// edition. One source for both; the German program is built with
// TAVOLIN_GERMAN and the German resources.
#include <windows.h>

#include <commctrl.h>
#include <ole2.h>

#include <memory>
#include <string>

#include "frontend/win32/main_window.h"
#include "frontend/win32/win32_host.h"
#include "frontend/win32/win32_view.h"
#include "platform/platform.h"
#include "ui/application.h"

namespace {

#ifdef TAVOLIN_GERMAN
constexpr bool kGermanBuild = true;
#else
constexpr bool kGermanBuild = false;
#endif

// The program lives as long as its main window; its end ends the
// process, and with it the reading thread.
int runProgram(const std::string& commandLine) {
  tavolin::PlatformServices platform;
  std::string problem;
  const std::unique_ptr<tavolin::Keyboard> keyboard = tavolin::makeKeyboard(problem);
  tavolin::Win32Host host(platform.trace);
  tavolin::Application app(platform.seams(), *keyboard, host, kGermanBuild, commandLine);
  if (const tavolin::StartupDecision& startup = app.startupDecision(); startup.exitCode != 0) {
    MessageBoxA(nullptr, startup.message.c_str(), tavolin::applicationTitle().c_str(), MB_OK);
    return startup.exitCode;
  }
  tavolin::MainWindow window(app.window(), host, platform.trace);
  if (!window.create()) return 1;
  app.start(window.view());
  // As a modal dialog, the window shows once it is initialised: a message
  // of its start-up, and the hide timer that ticks behind it, come before.
  if (!app.window().ended()) ShowWindow(window.handle(), SW_SHOW);
  const std::int32_t result = host.run();
  DestroyWindow(window.handle());
  host.exitProcess(tavolin::Application::exitCode(result));
  return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  // The help dialogs host the web browser control; the settings sheet and
  // the lists are common controls.
  OleInitialize(nullptr);
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  return runProgram(commandLine ? commandLine : "");
}
