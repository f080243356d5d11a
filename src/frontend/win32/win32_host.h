#pragma once

#include <windows.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

#include "frontend/win32/tray_icon.h"
#include "services/trace.h"
#include "ui/dialog_view.h"

namespace tavolin {

// The window system for the main window: tasks posted from any thread
// reach the user-interface thread as a private message to the main
// window; timers, showing and hiding, the tray, the cursor and the modal
// windows are the system's own; the main window's end ends the message
// loop.
class Win32Host final : public WindowHost {
 public:
  // The main window's message that runs the posted tasks.
  static constexpr UINT RunTasksMessage = WM_APP + 1;

  explicit Win32Host(Trace& trace);

  // The main window exists.
  void attach(HWND mainWindow);
  // Runs the posted tasks, in the order posted; at RunTasksMessage.
  void runTasks();
  // The message loop of the main window, with the dialog keys; until the
  // main window ends. Its result.
  std::int32_t run();
  TrayIcon& trayIcon() { return m_trayIcon; }

  void post(std::function<void()> task) override;
  std::uint32_t setTimer(std::uint32_t id, std::uint32_t periodMs) override;
  void killTimer(std::uint32_t id) override;
  void showWindow(bool show) override;
  bool isWindowVisible() override;
  void setForegroundWindow() override;
  bool addTrayIcon(std::int32_t iconId, const std::string& tip) override;
  bool removeTrayIcon() override;
  MenuChoice trackPopupMenu(std::int32_t menuId) override;
  void beginWaitCursor() override;
  void restoreCursor() override;
  void runModal(DialogPresenter& dialog) override;
  bool runPropertySheet(AttrSheet& sheet) override;
  std::optional<std::string> openFileDialog(const OpenFileRequest& request) override;
  void endDialog(std::int32_t result) override;
  void exitProcess(std::int32_t code) override;

 private:
  // The window a new modal window belongs to: the active one of the
  // program (the sheet, for its pages' dialogs), else the main window.
  HWND owner() const;

  Trace& m_trace;
  HWND m_hMain = nullptr;  // written before any other thread runs
  std::mutex m_mutex;
  std::deque<std::function<void()>> m_tasks;
  TrayIcon m_trayIcon;
  HCURSOR m_hPreviousCursor = nullptr;
  int m_iWaitDepth = 0;
  bool m_bEnded = false;
  std::int32_t m_iResult = 0;
};

}  // namespace tavolin
