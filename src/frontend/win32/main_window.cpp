#include "frontend/win32/main_window.h"

#include "resource_ids.h"

namespace tavolin {

MainWindow::MainWindow(CKelvaneDlg& window, Win32Host& host, Trace& trace)
    : DialogWindow(window, trace), m_window(window), m_host(host) {}

MainWindow::~MainWindow() {
  if (handle()) DestroyWindow(handle());
}

bool MainWindow::create() {
  const HWND window = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_TAVOLIN_DIALOG), nullptr,
                                         procedure, reinterpret_cast<LPARAM>(this));
  if (!window) return false;
  m_host.attach(window);
  return true;
}

INT_PTR MainWindow::message(UINT messageId, WPARAM wParam, LPARAM lParam) {
  switch (messageId) {
    case Win32Host::RunTasksMessage:
      m_host.runTasks();
      return TRUE;
    case WM_TIMER:
      m_window.OnTimer(static_cast<std::uint32_t>(wParam));
      return TRUE;
    case TrayIcon::CallbackMessage:
      if (const std::optional<TrayActivation> activation = TrayIcon::activation(lParam)) {
        m_window.OnTrayActivated(*activation);
      }
      return TRUE;
    case HideMessage:
      m_window.OnTrayHide();
      return TRUE;
    case WM_CLOSE:
      m_window.OnClose();
      return TRUE;
    case WM_DESTROY:
      m_host.trayIcon().windowDestroyed();
      return DialogWindow::message(messageId, wParam, lParam);
    case WM_QUERYDRAGICON:
      return static_cast<INT_PTR>(reinterpret_cast<LONG_PTR>(LoadImageA(
          GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_TAVOLIN), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED)));
    default:
      if (m_host.trayIcon().isTaskbarCreated(messageId)) {
        m_host.trayIcon().addAgain();
        return TRUE;
      }
      return DialogWindow::message(messageId, wParam, lParam);
  }
}

}  // namespace tavolin
