#include "frontend/win32/win32_host.h"

#include <commdlg.h>

#include "frontend/win32/dialog_window.h"
#include "frontend/win32/property_sheet.h"

namespace tavolin {

Win32Host::Win32Host(Trace& trace) : m_trace(trace) {}

void Win32Host::attach(HWND mainWindow) {
  bool pending = false;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_hMain = mainWindow;
    pending = !m_tasks.empty();
  }
  m_trayIcon.setOwner(mainWindow);
  if (pending) PostMessageA(mainWindow, RunTasksMessage, 0, 0);
}

// One task at a time, taken from the front: a task that runs a modal
// loop, in which the next message runs tasks again, keeps the order.
void Win32Host::runTasks() {
  for (;;) {
    std::function<void()> task;
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      if (m_tasks.empty()) return;
      task = std::move(m_tasks.front());
      m_tasks.pop_front();
    }
    task();
  }
}

std::int32_t Win32Host::run() {
  MSG message;
  while (!m_bEnded && GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (!IsDialogMessageA(m_hMain, &message)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
  return m_iResult;
}

void Win32Host::post(std::function<void()> task) {
  HWND target = nullptr;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_tasks.push_back(std::move(task));
    target = m_hMain;
  }
  if (target) PostMessageA(target, RunTasksMessage, 0, 0);
}

std::uint32_t Win32Host::setTimer(std::uint32_t id, std::uint32_t periodMs) {
  return static_cast<std::uint32_t>(SetTimer(m_hMain, id, periodMs, nullptr));
}

void Win32Host::killTimer(std::uint32_t id) { KillTimer(m_hMain, id); }

void Win32Host::showWindow(bool show) { ShowWindow(m_hMain, show ? SW_SHOW : SW_HIDE); }

bool Win32Host::isWindowVisible() { return IsWindowVisible(m_hMain) != FALSE; }

void Win32Host::setForegroundWindow() { SetForegroundWindow(m_hMain); }

bool Win32Host::addTrayIcon(std::int32_t iconId, const std::string& tip) { return m_trayIcon.add(iconId, tip); }

bool Win32Host::removeTrayIcon() { return m_trayIcon.remove(); }

MenuChoice Win32Host::trackPopupMenu(std::int32_t menuId) { return m_trayIcon.trackPopupMenu(menuId); }

void Win32Host::beginWaitCursor() {
  const HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
  if (m_iWaitDepth++ == 0) m_hPreviousCursor = previous;
}

void Win32Host::restoreCursor() {
  if (m_iWaitDepth == 0) return;
  if (--m_iWaitDepth == 0) SetCursor(m_hPreviousCursor);
}

HWND Win32Host::owner() const {
  const HWND active = GetActiveWindow();
  return active ? active : m_hMain;
}

void Win32Host::runModal(DialogPresenter& dialog) { DialogWindow::runModal(dialog, owner(), m_trace); }

bool Win32Host::runPropertySheet(AttrSheet& sheet) { return tavolin::runPropertySheet(sheet, owner(), m_trace); }

std::optional<std::string> Win32Host::openFileDialog(const OpenFileRequest& request) {
  std::string filter;
  for (int i = 0; i < 2; ++i) {
    filter += request.filterNames[i];
    filter += '\0';
    filter += request.filterPatterns[i];
    filter += '\0';
  }
  char path[MAX_PATH] = "";
  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner();
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = path;
  dialog.nMaxFile = MAX_PATH;
  dialog.lpstrDefExt = request.defaultExtension;
  dialog.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER;
  if (!GetOpenFileNameA(&dialog)) return std::nullopt;
  return std::string(path);
}

// The loop ends; the window goes with the program.
void Win32Host::endDialog(std::int32_t result) {
  m_bEnded = true;
  m_iResult = result;
  PostMessageA(m_hMain, WM_NULL, 0, 0);
}

void Win32Host::exitProcess(std::int32_t code) { ExitProcess(static_cast<UINT>(code)); }

}  // namespace tavolin
