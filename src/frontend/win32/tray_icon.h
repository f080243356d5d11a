#pragma once

#include <windows.h>

#include <shellapi.h>

#include <cstdint>
#include <optional>
#include <string>

#include "ui/dialog_view.h"
#include "ui/tray_dlg.h"

namespace tavolin {

// The program's icon in the notification area, owned by the main window:
// the shell reports the mouse at the icon to the window with the callback
// message, and the tray's context menu is shown from here.
class TrayIcon {
 public:
  // The shell's message to the main window about the mouse at the icon.
  static constexpr UINT CallbackMessage = WM_USER + 200;

  TrayIcon();
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  void setOwner(HWND owner) { m_data.hWnd = owner; }

  bool add(std::int32_t iconId, const std::string& tip);
  bool remove();
  // The taskbar tells every window when it was made (the shell was
  // restarted, or started after the program): the icon it lost, or could
  // not take, goes in.
  bool isTaskbarCreated(UINT message) const { return message == m_uTaskbarCreated; }
  void addAgain();
  // The window goes: an icon that went in after the program gave up on it
  // goes too.
  void windowDestroyed();

  // What the mouse message of the callback means; nothing for the mouse
  // actions the program does not answer.
  static std::optional<TrayActivation> activation(LPARAM mouseMessage);

  // The first pop-up of the menu at the cursor, its first item the
  // default; the chosen command, 0 when dismissed.
  MenuChoice trackPopupMenu(std::int32_t menuId);

 private:
  NOTIFYICONDATAA m_data;
  bool m_bWanted = false;  // added and not removed by the program
  bool m_bAdded = false;   // in the tray
  UINT m_uTaskbarCreated;
};

}  // namespace tavolin
