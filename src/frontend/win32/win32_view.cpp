#include "frontend/win32/win32_view.h"

#include "ui/find_string_prefix.h"

namespace tavolin {

std::string applicationTitle() {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string name(path, length < MAX_PATH ? length : 0);
  name.erase(0, name.find_last_of("\\/") + 1);
  if (const std::size_t dot = name.rfind('.'); dot != std::string::npos && dot > 0) name.erase(dot);
  return name;
}

Win32View::Win32View(HWND window, Trace& trace) : m_hWnd(window), m_trace(trace) {}

Win32View::~Win32View() {
  m_browsers.clear();
  for (const Font& f : m_fonts) DeleteObject(f.handle);
}

void Win32View::windowDestroyed() { m_browsers.clear(); }

void Win32View::setCaption(const std::string& text) { SetWindowTextA(m_hWnd, text.c_str()); }

void Win32View::setIcon(std::int32_t iconId) {
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  const auto icon = [instance, iconId](int sizeX, int sizeY) {
    return reinterpret_cast<LPARAM>(LoadImageA(instance, MAKEINTRESOURCEA(iconId), IMAGE_ICON, GetSystemMetrics(sizeX),
                                               GetSystemMetrics(sizeY), LR_SHARED));
  };
  SendMessageA(m_hWnd, WM_SETICON, ICON_BIG, icon(SM_CXICON, SM_CYICON));
  SendMessageA(m_hWnd, WM_SETICON, ICON_SMALL, icon(SM_CXSMICON, SM_CYSMICON));
}

void Win32View::setItemText(std::int32_t id, const std::string& text) { SetDlgItemTextA(m_hWnd, id, text.c_str()); }

std::string Win32View::getItemText(std::int32_t id) {
  std::string text(static_cast<std::size_t>(GetWindowTextLengthA(item(id))) + 1, '\0');
  text.resize(GetDlgItemTextA(m_hWnd, id, &text[0], static_cast<int>(text.size())));
  return text;
}

void Win32View::enableItem(std::int32_t id, bool enable) { EnableWindow(item(id), enable ? TRUE : FALSE); }

void Win32View::checkItem(std::int32_t id, bool check) {
  CheckDlgButton(m_hWnd, id, check ? BST_CHECKED : BST_UNCHECKED);
}

bool Win32View::isChecked(std::int32_t id) { return IsDlgButtonChecked(m_hWnd, id) == BST_CHECKED; }

// The dialog's own way to move the focus, so that the default button
// follows it.
void Win32View::setFocus(std::int32_t id) {
  SendMessageA(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(item(id)), TRUE);
}

HFONT Win32View::font(const FontSpec& wanted) {
  for (const Font& f : m_fonts) {
    if (f.face == wanted.face && f.height == wanted.height && f.weight == wanted.weight) return f.handle;
  }
  const HFONT handle =
      CreateFontA(wanted.height, 0, 0, 0, wanted.weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                  CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, wanted.face);
  m_fonts.push_back({wanted.face, wanted.height, wanted.weight, handle});
  return handle;
}

void Win32View::setFont(std::int32_t id, const FontSpec& wanted) {
  SendMessageA(item(id), WM_SETFONT, reinterpret_cast<WPARAM>(font(wanted)), TRUE);
}

void Win32View::resetContent(std::int32_t id) { SendDlgItemMessageA(m_hWnd, id, CB_RESETCONTENT, 0, 0); }

void Win32View::addString(std::int32_t id, const std::string& text) {
  SendDlgItemMessageA(m_hWnd, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

// The program's select-string rule is one function for every view (it
// folds only the letters A to Z, whatever the locale): the items are read
// and the rule applied, rather than the list's own search.
std::int32_t Win32View::selectString(std::int32_t id, const std::string& text) {
  const LRESULT count = SendDlgItemMessageA(m_hWnd, id, CB_GETCOUNT, 0, 0);
  std::vector<std::string> items;
  for (LRESULT i = 0; i < count; ++i) {
    const LRESULT length = SendDlgItemMessageA(m_hWnd, id, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
    std::string itemText(length > 0 ? static_cast<std::size_t>(length) + 1 : 1, '\0');
    SendDlgItemMessageA(m_hWnd, id, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&itemText[0]));
    itemText.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
    items.push_back(itemText);
  }
  const std::int32_t found = findStringPrefix(items, text);
  if (found >= 0) SendDlgItemMessageA(m_hWnd, id, CB_SETCURSEL, static_cast<WPARAM>(found), 0);
  return found;
}

void Win32View::setCurSel(std::int32_t id, std::int32_t index) {
  SendDlgItemMessageA(m_hWnd, id, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

std::string Win32View::selectedText(std::int32_t id) {
  const LRESULT index = SendDlgItemMessageA(m_hWnd, id, CB_GETCURSEL, 0, 0);
  if (index == CB_ERR) return std::string();
  const LRESULT length = SendDlgItemMessageA(m_hWnd, id, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length <= 0) return std::string();
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  SendDlgItemMessageA(m_hWnd, id, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&text[0]));
  text.resize(static_cast<std::size_t>(length));
  return text;
}

void Win32View::limitText(std::int32_t id, std::int32_t maxCharacters) {
  SendDlgItemMessageA(m_hWnd, id, EM_LIMITTEXT, static_cast<WPARAM>(maxCharacters), 0);
}

// EM_REPLACESEL keeps to the edit's limit and cuts what does not fit.
void Win32View::appendText(std::int32_t id, const std::string& text) {
  const int end = GetWindowTextLengthA(item(id));
  SendDlgItemMessageA(m_hWnd, id, EM_SETSEL, static_cast<WPARAM>(end), end);
  SendDlgItemMessageA(m_hWnd, id, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
}

void Win32View::navigate(std::int32_t id, const std::string& address) {
  std::unique_ptr<BrowserHost>& browser = m_browsers[id];
  if (!browser) browser = std::make_unique<BrowserHost>(item(id), m_trace);
  browser->navigate(address);
}

// Owned by the window's top-level window, so that a page's message box
// holds the whole sheet.
void Win32View::messageBox(const std::string& text, MessageIcon icon, const char* caption) {
  UINT type = MB_OK;
  switch (icon) {
    case MessageIcon::None:
      break;
    case MessageIcon::Error:
      type |= MB_ICONERROR;
      break;
    case MessageIcon::Warning:
      type |= MB_ICONWARNING;
      break;
    case MessageIcon::Information:
      type |= MB_ICONINFORMATION;
      break;
  }
  MessageBoxA(GetAncestor(m_hWnd, GA_ROOT), text.c_str(), caption ? caption : applicationTitle().c_str(), type);
}

}  // namespace tavolin
