#include "frontend/win32/property_sheet.h"

#include <commctrl.h>

#include <memory>
#include <vector>

#include "frontend/win32/dialog_window.h"
#include "resource_ids.h"

namespace tavolin {

namespace {

int buttonId(SheetButton button) {
  switch (button) {
    case SheetButton::Ok:
      return IDOK;
    case SheetButton::Cancel:
      return IDCANCEL;
    case SheetButton::Apply:
      return IDC_SHEET_APPLY;
    case SheetButton::Help:
      return IDC_SHEET_HELP;
  }
  return 0;
}

RECT rectIn(HWND sheet, HWND window) {
  RECT rect;
  GetWindowRect(window, &rect);
  MapWindowPoints(nullptr, sheet, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

// Shows the offered buttons, in their order and each in its size, in the
// row where the sheet's buttons stand, the last one ending where the tabs
// end; the others are hidden. The system's own layout of the row differs
// between its versions (some leave a hidden button's place empty, some
// move the buttons past the edge).
void layOutButtons(HWND sheet, const std::vector<SheetButton>& offered) {
  RECT client;
  GetClientRect(sheet, &client);
  LONG gap = 0;
  HWND previous = nullptr;
  for (SheetButton button : {SheetButton::Ok, SheetButton::Cancel, SheetButton::Apply, SheetButton::Help}) {
    HWND window = GetDlgItem(sheet, buttonId(button));
    if (!window) continue;
    if (previous && gap <= 0) gap = rectIn(sheet, window).left - rectIn(sheet, previous).right;
    previous = window;
    ShowWindow(window, SW_HIDE);
    EnableWindow(window, FALSE);
  }
  if (gap <= 0) gap = 6;
  const HWND tabs = PropSheet_GetTabControl(sheet);
  LONG right = tabs ? rectIn(sheet, tabs).right : client.right - gap;
  for (auto it = offered.rbegin(); it != offered.rend(); ++it) {
    HWND window = GetDlgItem(sheet, buttonId(*it));
    if (!window) continue;
    const RECT rect = rectIn(sheet, window);
    const LONG width = rect.right - rect.left;
    SetWindowPos(window, nullptr, right - width, rect.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EnableWindow(window, TRUE);
    ShowWindow(window, SW_SHOW);
    right -= width + gap;
  }
}

// What the pages of one run share.
struct SheetRun {
  const std::vector<SheetButton> buttons;
  bool laidOut = false;
  bool ok = false;
};

// A page: initialised once when the system makes its window, activated
// at every showing; OK commits nothing but says that the sheet ended so.
class PageWindow final : public DialogWindow {
 public:
  PageWindow(PropertyPage& page, SheetRun& run, Trace& trace) : DialogWindow(page, trace), m_page(page), m_run(run) {}

  // WM_INITDIALOG's parameter is the system's copy of the page record,
  // which carries the PageWindow.
  static INT_PTR CALLBACK pageProcedure(HWND window, UINT messageId, WPARAM wParam, LPARAM lParam) {
    if (messageId == WM_INITDIALOG) lParam = reinterpret_cast<const PROPSHEETPAGEA*>(lParam)->lParam;
    return procedure(window, messageId, wParam, lParam);
  }

 protected:
  INT_PTR message(UINT messageId, WPARAM wParam, LPARAM lParam) override {
    if (messageId != WM_NOTIFY) return DialogWindow::message(messageId, wParam, lParam);
    switch (reinterpret_cast<const NMHDR*>(lParam)->code) {
      case PSN_SETACTIVE:
        if (!m_run.laidOut) {
          m_run.laidOut = true;
          layOutButtons(GetParent(handle()), m_run.buttons);
        }
        m_page.OnSetActive();
        return result(0);
      case PSN_KILLACTIVE:
        return result(FALSE);
      case PSN_APPLY:
        m_run.ok = true;
        return result(PSNRET_NOERROR);
      default:
        return FALSE;
    }
  }
  // The sheet's OK and Cancel are the sheet's.
  void endCommand(int) override {}

 private:
  INT_PTR result(LONG_PTR value) {
    SetWindowLongPtrA(handle(), DWLP_MSGRESULT, value);
    return TRUE;
  }

  PropertyPage& m_page;
  SheetRun& m_run;
};

}  // namespace

bool runPropertySheet(AttrSheet& sheet, HWND owner, Trace& trace) {
  SheetRun run{sheet.buttons()};
  std::vector<std::unique_ptr<PageWindow>> windows;
  std::vector<PROPSHEETPAGEA> pages;
  for (PropertyPage* page : sheet.pages()) {
    windows.push_back(std::make_unique<PageWindow>(*page, run, trace));
    PROPSHEETPAGEA record{};
    record.dwSize = sizeof record;
    record.dwFlags = PSP_DEFAULT;
    record.hInstance = GetModuleHandleA(nullptr);
    record.pszTemplate = MAKEINTRESOURCEA(page->templateId());
    record.pfnDlgProc = PageWindow::pageProcedure;
    record.lParam = reinterpret_cast<LPARAM>(windows.back().get());
    pages.push_back(record);
  }
  PROPSHEETHEADERA header{};
  header.dwSize = sizeof header;
  header.dwFlags = PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW | PSH_NOCONTEXTHELP;
  header.hwndParent = owner;
  header.hInstance = GetModuleHandleA(nullptr);
  header.pszCaption = sheet.caption().c_str();
  header.nPages = static_cast<UINT>(pages.size());
  header.nStartPage = 0;
  header.ppsp = pages.data();
  PropertySheetA(&header);
  return run.ok;
}

}  // namespace tavolin
