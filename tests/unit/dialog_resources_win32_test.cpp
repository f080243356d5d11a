// The compiled resources against their description: every dialog template
// made into a window has the described controls, in order, of the described
// class, style, place and text (the logo inside its frame); the tray menu
// and the icon are there in the build's language. Built once per language.
// And the Windows view keeps the views' contract on windows made from the
// templates, the user's actions sent to the controls as the system sends them.
#include <gtest/gtest.h>
#include <windows.h>

#include <ostream>
#include <string>

#include "dialog_layout.h"
#include "dialog_view_contract.h"
#include "frontend/win32/dialog_window.h"

namespace tavolin::layout {

void PrintTo(const DialogLayout& dialog, std::ostream* out) { *out << "template " << dialog.id; }

namespace {

#ifdef TAVOLIN_GERMAN
constexpr bool kGerman = true;
#else
constexpr bool kGerman = false;
#endif

std::wstring fromCp1252(const char* text) {
  wchar_t buffer[512] = {};
  MultiByteToWideChar(1252, 0, text, -1, buffer, 512);
  return buffer;
}

std::wstring windowText(HWND window) {
  wchar_t buffer[512] = {};
  GetWindowTextW(window, buffer, 512);
  return buffer;
}

INT_PTR CALLBACK quietDialogProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

class DialogTemplates : public ::testing::TestWithParam<DialogLayout> {};

TEST_P(DialogTemplates, MakeTheDescribedWindow) {
  const DialogLayout& layout = GetParam();
  // A page is a child window: a window of the test's own owns it.
  HWND owner = CreateWindowExA(0, "Static", "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
  HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(layout.id), owner, quietDialogProc, 0);
  ASSERT_NE(dialog, nullptr) << "template " << layout.id << ", error " << GetLastError();
  RECT size{0, 0, layout.width, layout.height}, client{};
  MapDialogRect(dialog, &size);
  GetClientRect(dialog, &client);
  EXPECT_TRUE(client.right == size.right && client.bottom == size.bottom);
  EXPECT_EQ(windowText(dialog), fromCp1252(kGerman ? layout.captionGerman : layout.captionEnglish));
  const LONG dialogStyle = GetWindowLongA(dialog, GWL_STYLE);
  EXPECT_EQ((dialogStyle & WS_CAPTION) == WS_CAPTION, layout.kind != DialogKind::Bare);
  EXPECT_EQ((dialogStyle & WS_SYSMENU) != 0, layout.kind == DialogKind::Modal);
  EXPECT_EQ((dialogStyle & WS_CHILD) != 0, layout.kind == DialogKind::Page);

  HWND child = GetWindow(dialog, GW_CHILD);
  for (std::size_t i = 0; i < layout.controlCount; ++i, child = GetWindow(child, GW_HWNDNEXT)) {
    const ControlLayout& c = layout.controls[i];
    SCOPED_TRACE("template " + std::to_string(layout.id) + ", control " + std::to_string(i));
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(static_cast<short>(GetDlgCtrlID(child)), c.id);
    EXPECT_TRUE(c.id == -1 || GetDlgItem(dialog, c.id) == child);
    // Each kind's window class and the value of its type bits, by ControlKind.
    const LONG text = (c.flags & kRightAligned) ? SS_RIGHT : SS_LEFT,
               readOnly = (c.flags & kReadOnly) ? ES_READONLY : 0;
    // clang-format off
    const struct { const char* windowClass; LONG mask, type; } kinds[] = {
        {"Button", BS_TYPEMASK, BS_PUSHBUTTON}, {"Button", BS_TYPEMASK, BS_DEFPUSHBUTTON},
        {"Button", BS_TYPEMASK, BS_AUTOCHECKBOX}, {"Button", BS_TYPEMASK, BS_AUTORADIOBUTTON},
        {"Button", BS_TYPEMASK, BS_GROUPBOX}, {"Static", SS_TYPEMASK, text},
        {"Static", SS_TYPEMASK | SS_SUNKEN, text | SS_SUNKEN},
        {"Edit", ES_READONLY, readOnly}, {"ComboBox", CBS_DROPDOWNLIST | CBS_SORT, CBS_DROPDOWNLIST},
        {"Static", SS_TYPEMASK, SS_BITMAP}, {"Static", SS_TYPEMASK, SS_ICON}, {"Static", 0, 0}};
    // clang-format on
    const auto& kind = kinds[static_cast<int>(c.kind)];
    char windowClass[64] = {};
    GetClassNameA(child, windowClass, sizeof windowClass);
    EXPECT_STRCASEEQ(windowClass, kind.windowClass);
    const LONG style = GetWindowLongA(child, GWL_STYLE), exStyle = GetWindowLongA(child, GWL_EXSTYLE);
    EXPECT_EQ(style & kind.mask, kind.type);
    const LONG flagged = ((c.kind != ControlKind::RadioButton || (c.flags & kGroupStart)) ? WS_GROUP : 0) |
                         ((c.flags & kTextLeft) ? BS_LEFTTEXT : 0) | ((c.flags & kMultiLine) ? BS_MULTILINE : 0) |
                         ((c.flags & kSunken) ? SS_SUNKEN : 0);
    EXPECT_EQ(style & flagged, flagged);
    // The dialog manager turns a control's border into a sunken client edge.
    EXPECT_TRUE(!(c.flags & kBorder) || (style & WS_BORDER) || (exStyle & WS_EX_CLIENTEDGE));

    // Each of the four values in pixels, as the dialog manager places it.
    RECT expected{c.x, c.y, c.width, c.height}, placed{};
    MapDialogRect(dialog, &expected);
    GetWindowRect(child, &placed);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_TRUE(placed.left == expected.left && placed.top == expected.top);
    const bool sized = placed.right - placed.left == expected.right && placed.bottom - placed.top == expected.bottom;
    if (c.kind == ControlKind::Picture) {
      // A framed picture keeps its place, and its frame goes round the whole bitmap.
      const auto image = reinterpret_cast<HBITMAP>(SendMessageA(child, STM_GETIMAGE, IMAGE_BITMAP, 0));
      BITMAP bitmap{};
      RECT inside{};
      ASSERT_TRUE(image && GetObjectA(image, sizeof bitmap, &bitmap) && GetClientRect(child, &inside));
      EXPECT_TRUE(!(c.flags & kSunken) ||
                  (sized && inside.right >= bitmap.bmWidth && inside.bottom >= bitmap.bmHeight));
    } else if (c.kind == ControlKind::Icon) {
      EXPECT_NE(SendMessageA(child, STM_GETICON, 0, 0), 0);
    } else {
      // A closed drop-down list is as high as its font makes it.
      EXPECT_TRUE(sized || (c.kind == ControlKind::DropDownList && placed.right - placed.left == expected.right));
      EXPECT_EQ(windowText(child), fromCp1252(c.text));
    }
  }
  EXPECT_EQ(child, nullptr) << "more controls than described";
  DestroyWindow(dialog);
  DestroyWindow(owner);
}

INSTANTIATE_TEST_SUITE_P(EveryDialog, DialogTemplates, ::testing::ValuesIn(kDialogLayouts),
                         [](const ::testing::TestParamInfo<DialogLayout>& info) {
                           return "Template" + std::to_string(info.param.id);
                         });

// The tray menu: one pop-up of the three items in the build's language;
// the icon in every size.
TEST(Resources, TrayMenuAndIcon) {
  HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_TRAY_MENU));
  ASSERT_EQ(GetMenuItemCount(menu), 1);
  std::string texts;
  char text[64] = {};
  HMENU popup = GetSubMenu(menu, 0);
  for (int i = -1; i < GetMenuItemCount(popup); ++i) {
    GetMenuStringA(i < 0 ? menu : popup, i < 0 ? 0 : i, text, sizeof text, MF_BYPOSITION);
    texts += text + (i < 0 ? std::string() : "=" + std::to_string(GetMenuItemID(popup, i))) + "|";
  }
  EXPECT_EQ(texts, kGerman ? "&Tray|In den &Vordergrund=40005|&Hilfe=57670|&Info=40007|"
                           : "&Tray|Show=40005|Help=57670|About=40007|");
  DestroyMenu(menu);
  for (int size : {16, 24, 32, 48, 256}) {
    auto icon = static_cast<HICON>(
        LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_TAVOLIN), IMAGE_ICON, size, size, 0));
    ICONINFO info{};
    ASSERT_TRUE(icon && GetIconInfo(icon, &info)) << size;
    BITMAP bitmap{};
    GetObjectA(info.hbmColor, sizeof bitmap, &bitmap);
    EXPECT_EQ(bitmap.bmWidth, size);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(icon);
  }
}

}  // namespace
}  // namespace tavolin::layout

namespace tavolin {
namespace {

using testing::DialogViewContract;
using testing::UserInputContract;

class Win32Window : public testing::ViewWindow {
 public:
  explicit Win32Window(std::int32_t dialog) : m_presenter(dialog, *this), m_window(m_presenter, m_trace) {
    // A page of the sheet is a child window: its owner stands in for the sheet.
    m_owner =
        CreateWindowExA(0, "Static", "", WS_POPUP | WS_VISIBLE, 0, 0, 800, 600, nullptr, nullptr, nullptr, nullptr);
    const HWND made = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(dialog), m_owner,
                                         DialogWindow::procedure, reinterpret_cast<LPARAM>(&m_window));
    EXPECT_NE(made, nullptr) << GetLastError();
    ShowWindow(made, SW_SHOW);
    heard.clear();
  }
  ~Win32Window() override {
    DestroyWindow(m_window.handle());
    DestroyWindow(m_owner);
  }
  DialogView& view() override { return m_window.view(); }
  void click(std::int32_t id) override { SendMessageA(item(id), BM_CLICK, 0, 0); }
  void chooseNext(std::int32_t id) override { SendMessageA(item(id), WM_KEYDOWN, VK_DOWN, 0); }
  void type(std::int32_t id, const std::string& text) override {
    for (char c : text) SendMessageA(item(id), WM_CHAR, static_cast<unsigned char>(c), 0);
  }

 private:
  struct Listener : DialogPresenter {
    Listener(std::int32_t dialog, ViewWindow& window) : DialogPresenter(dialog), window(window) {}
    bool OnInitDialog() override { return true; }
    void onCommand(std::int32_t id, Notification notification) override { window.heard.emplace_back(id, notification); }
    ViewWindow& window;
  };

  HWND item(std::int32_t id) { return GetDlgItem(m_window.handle(), id); }

  Trace m_trace;
  Listener m_presenter;
  DialogWindow m_window;
  HWND m_owner = nullptr;
};

const testing::ViewKind kWin32View{"Win32", [](std::int32_t dialog) { return std::make_unique<Win32Window>(dialog); }};
INSTANTIATE_TEST_SUITE_P(Win32, DialogViewContract, ::testing::Values(kWin32View), testing::NamedParam());
INSTANTIATE_TEST_SUITE_P(Win32, UserInputContract, ::testing::Values(kWin32View), testing::NamedParam());

}  // namespace
}  // namespace tavolin
