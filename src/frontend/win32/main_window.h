#pragma once

#include <windows.h>

#include "frontend/win32/dialog_window.h"
#include "frontend/win32/win32_host.h"
#include "ui/kelvane_dlg.h"

namespace tavolin {

// The main window: made modeless from its template, initialised by the
// application once its view exists. Besides the controls' commands it
// takes the timers, the tray's callback, the request to hide from other
// programs, the posted tasks and the close request.
class MainWindow final : public DialogWindow {
 public:
  // Any other program may send it to hide the window.
  static constexpr UINT HideMessage = WM_USER + 201;

  MainWindow(CKelvaneDlg& window, Win32Host& host, Trace& trace);
  ~MainWindow() override;

  // Makes the window; false when the system could not.
  bool create();

 protected:
  // The application initialises the window, after the view exists.
  INT_PTR initDialog() override { return TRUE; }
  INT_PTR message(UINT messageId, WPARAM wParam, LPARAM lParam) override;
  // Enter and Escape are the window's OnOK and Exit.
  void endCommand(int) override {}

 private:
  CKelvaneDlg& m_window;
  Win32Host& m_host;
};

}  // namespace tavolin
