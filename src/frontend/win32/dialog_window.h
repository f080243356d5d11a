#pragma once

#include <windows.h>

#include <memory>
#include <optional>

#include "frontend/win32/win32_view.h"
#include "services/trace.h"
#include "ui/dialog_view.h"

namespace tavolin {

// A window of the program made from a dialog template, with the dialog
// procedure that hands the window's messages to its presenter. The window
// keeps itself in the window's DWLP_USER from WM_INITDIALOG on, makes its
// view there, and forwards every control's command as (id, notification).
// A modal dialog ends with OK or Cancel; the main window and the pages
// say what those mean for them.
class DialogWindow {
 public:
  DialogWindow(DialogPresenter& presenter, Trace& trace);
  virtual ~DialogWindow();
  DialogWindow(const DialogWindow&) = delete;
  DialogWindow& operator=(const DialogWindow&) = delete;

  // The dialog procedure: WM_INITDIALOG's parameter is the DialogWindow.
  static INT_PTR CALLBACK procedure(HWND window, UINT messageId, WPARAM wParam, LPARAM lParam);

  // Runs the presenter's template as a modal dialog owned by owner.
  static void runModal(DialogPresenter& presenter, HWND owner, Trace& trace);

  HWND handle() const { return m_hWnd; }
  // The view, from WM_INITDIALOG on.
  Win32View& view() { return *m_pView; }

  // The notification a control's command code stands for.
  static std::optional<Notification> notification(WORD code);

 protected:
  // Binds the window to this object and makes its view; the first thing
  // of WM_INITDIALOG.
  void bind(HWND window);
  // The controls exist: attach the view and initialise the presenter; the
  // result tells the system whether to set the focus.
  virtual INT_PTR initDialog();
  // Messages other than WM_INITDIALOG; FALSE for the default handling.
  virtual INT_PTR message(UINT messageId, WPARAM wParam, LPARAM lParam);
  // OK or Cancel after the presenter had them: a modal dialog ends.
  virtual void endCommand(int id) { EndDialog(m_hWnd, id); }

  DialogPresenter& m_presenter;
  Trace& m_trace;

 private:
  bool m_bBare;
  HWND m_hWnd = nullptr;
  std::unique_ptr<Win32View> m_pView;
};

}  // namespace tavolin
