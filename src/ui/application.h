#pragma once

#include <cstdint>
#include <string>

#include "processing/keyboard.h"
#include "services/auto_reset_event.h"
#include "services/data_log.h"
#include "ui/dialog_view.h"
#include "ui/kelvane_dlg.h"
#include "ui/platform_seams.h"

namespace tavolin {

// The program from its start to its end, the same for every front-end: the
// process-wide data log and abort event, the main window's construction
// with the single-instance decision, attaching the window's view and
// initialising it, the timers, and the exit code. A front-end makes the
// platform's services, a keyboard and its host, and then:
//
//   Application app(seams, keyboard, host, german, commandLine);
//   if (app.startupDecision().exitCode != 0) -> show its message, end with the code
//   app.start(view);
//   run the event loop, ticks to app.onTimer(), until host.endDialog(result)
//   end with Application::exitCode(result)
class Application {
 public:
  Application(const PlatformSeams& platform, Keyboard& keyboard, WindowHost& host, bool germanBuild,
              const std::string& commandLine);
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // How construction ended: exit code 0 goes on; otherwise the program
  // shows the message (no icon, no caption of its own) and ends with the
  // exit code, before the window exists.
  const StartupDecision& startupDecision() const { return m_window.startupDecision(); }

  // The main window's view exists: attach it and initialise the window,
  // which starts reading (and in install mode may end at once).
  void start(DialogView& view);

  // A tick of a timer the window started through the host.
  void onTimer(std::uint32_t timerId) { m_window.OnTimer(timerId); }

  // The process's exit code for the main window's result: the Exit button
  // (Escape, close) ends normally.
  static std::int32_t exitCode(std::int32_t dialogResult);

  CKelvaneDlg& window() { return m_window; }
  AutoResetEvent& abortEvent() { return m_abortEvent; }

 private:
  DataLog m_dataLog;
  AutoResetEvent m_abortEvent;
  CKelvaneDlg m_window;
};

}  // namespace tavolin
