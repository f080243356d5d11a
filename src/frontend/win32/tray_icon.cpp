#include "frontend/win32/tray_icon.h"

#include <cstring>

namespace tavolin {

TrayIcon::TrayIcon() : m_data(), m_uTaskbarCreated(RegisterWindowMessageA("TaskbarCreated")) {
  // The record in its first form: icon, tooltip of 64 characters, callback.
  m_data.cbSize = NOTIFYICONDATAA_V1_SIZE;
  m_data.uID = 0;
  m_data.uCallbackMessage = CallbackMessage;
  m_data.uFlags = NIF_MESSAGE;
}

bool TrayIcon::add(std::int32_t iconId, const std::string& tip) {
  m_data.hIcon =
      static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(iconId), IMAGE_ICON,
                                    GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_SHARED));
  const std::size_t length = tip.size() < sizeof m_data.szTip - 1 ? tip.size() : sizeof m_data.szTip - 1;
  std::memcpy(m_data.szTip, tip.data(), length);
  m_data.szTip[length] = '\0';
  m_data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  m_bWanted = true;
  m_bAdded = Shell_NotifyIconA(NIM_ADD, &m_data) != FALSE;
  return m_bAdded;
}

bool TrayIcon::remove() {
  m_bWanted = false;
  if (!Shell_NotifyIconA(NIM_DELETE, &m_data)) return false;
  m_bAdded = false;
  return true;
}

void TrayIcon::addAgain() {
  if (m_bWanted) m_bAdded = Shell_NotifyIconA(NIM_ADD, &m_data) != FALSE;
}

void TrayIcon::windowDestroyed() {
  if (m_bAdded) remove();
}

std::optional<TrayActivation> TrayIcon::activation(LPARAM mouseMessage) {
  switch (static_cast<UINT>(mouseMessage)) {
    case WM_LBUTTONDBLCLK:
      return TrayActivation::DoubleClick;
    case WM_RBUTTONDOWN:
    case WM_CONTEXTMENU:
      return TrayActivation::ContextMenu;
    default:
      return std::nullopt;
  }
}

MenuChoice TrayIcon::trackPopupMenu(std::int32_t menuId) {
  HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(menuId));
  if (!menu) return {MenuChoice::Outcome::MenuMissing, 0};
  HMENU popUp = GetSubMenu(menu, 0);
  if (!popUp) {
    DestroyMenu(menu);
    return {MenuChoice::Outcome::NoPopUp, 0};
  }
  SetMenuDefaultItem(popUp, 0, TRUE);
  POINT cursor{};
  GetCursorPos(&cursor);
  // Without the window in the foreground the menu would not close when
  // the user clicks elsewhere.
  SetForegroundWindow(m_data.hWnd);
  const BOOL command = TrackPopupMenu(popUp, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, cursor.x, cursor.y, 0,
                                      m_data.hWnd, nullptr);
  // The next menu then opens at the first click.
  PostMessageA(m_data.hWnd, WM_NULL, 0, 0);
  DestroyMenu(menu);
  return {MenuChoice::Outcome::Chosen, static_cast<std::int32_t>(command)};
}

}  // namespace tavolin
