// The compiled resources against their description: every dialog template
// made into a window has the described controls, in order, of the described
// class, style, place and text (the logo inside its frame); the tray menu
// and the icon are there in the build's language. Built once per language.
#include <gtest/gtest.h>
#include <windows.h>

#include <ostream>
#include <string>

#include "dialog_layout.h"

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

// What a control of each kind must be: its window class and the value of
// its type bits.
struct KindCheck {
  const char* windowClass;
  LONG typeMask;
  LONG type;
};

KindCheck kindCheck(const ControlLayout& c) {
  const LONG staticText = (c.flags & kRightAligned) ? SS_RIGHT : SS_LEFT;
  switch (c.kind) {
    case ControlKind::Button:
      return {"Button", BS_TYPEMASK, BS_PUSHBUTTON};
    case ControlKind::DefaultButton:
      return {"Button", BS_TYPEMASK, BS_DEFPUSHBUTTON};
    case ControlKind::CheckBox:
      return {"Button", BS_TYPEMASK, BS_AUTOCHECKBOX};
    case ControlKind::RadioButton:
      return {"Button", BS_TYPEMASK, BS_AUTORADIOBUTTON};
    case ControlKind::GroupBox:
      return {"Button", BS_TYPEMASK, BS_GROUPBOX};
    case ControlKind::Label:
      return {"Static", SS_TYPEMASK, staticText};
    case ControlKind::NumberField:
      return {"Static", SS_TYPEMASK | SS_SUNKEN, staticText | SS_SUNKEN};
    case ControlKind::Edit:
      return {"Edit", ES_READONLY, (c.flags & kReadOnly) ? ES_READONLY : 0};
    case ControlKind::DropDownList:
      return {"ComboBox", CBS_DROPDOWNLIST | CBS_SORT, CBS_DROPDOWNLIST};
    case ControlKind::Picture:
      return {"Static", SS_TYPEMASK, SS_BITMAP};
    case ControlKind::Icon:
      return {"Static", SS_TYPEMASK, SS_ICON};
    case ControlKind::Browser:
      return {"Static", 0, 0};
  }
  return {"", 0, 0};
}

// Style bits that the flags ask for.
LONG flagStyles(const ControlLayout& c) {
  LONG style = 0;
  if (c.kind != ControlKind::RadioButton || (c.flags & kGroupStart)) style |= WS_GROUP;
  if (c.flags & kTextLeft) style |= BS_LEFTTEXT;
  if (c.flags & kMultiLine) style |= BS_MULTILINE;
  if (c.flags & kSunken) style |= SS_SUNKEN;
  return style;
}

// The dialog manager turns a control's border into a sunken client edge.
bool hasBorder(HWND control) {
  return (GetWindowLongA(control, GWL_STYLE) & WS_BORDER) || (GetWindowLongA(control, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
}

class DialogTemplates : public testing::TestWithParam<DialogLayout> {
 protected:
  void SetUp() override {
    m_owner = CreateWindowExA(0, "Static", "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(m_owner, nullptr);
  }
  void TearDown() override { DestroyWindow(m_owner); }

  HWND m_owner = nullptr;
};

TEST_P(DialogTemplates, MakeTheDescribedWindow) {
  const DialogLayout& layout = GetParam();
  HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(layout.id), m_owner, quietDialogProc, 0);
  ASSERT_NE(dialog, nullptr) << "template " << layout.id << ", error " << GetLastError();

  RECT size{0, 0, layout.width, layout.height};
  MapDialogRect(dialog, &size);
  RECT client{};
  GetClientRect(dialog, &client);
  EXPECT_EQ(client.right, size.right);
  EXPECT_EQ(client.bottom, size.bottom);
  EXPECT_EQ(windowText(dialog), fromCp1252(kGerman ? layout.captionGerman : layout.captionEnglish));
  const LONG dialogStyle = GetWindowLongA(dialog, GWL_STYLE);
  EXPECT_EQ((dialogStyle & WS_CAPTION) == WS_CAPTION, layout.kind != DialogKind::Bare);
  EXPECT_EQ((dialogStyle & WS_SYSMENU) != 0, layout.kind == DialogKind::Modal);
  EXPECT_EQ((dialogStyle & WS_CHILD) != 0, layout.kind == DialogKind::Page);

  HWND child = GetWindow(dialog, GW_CHILD);
  for (std::size_t i = 0; i < layout.controlCount; ++i, child = GetWindow(child, GW_HWNDNEXT)) {
    const ControlLayout& c = layout.controls[i];
    SCOPED_TRACE("template " + std::to_string(layout.id) + ", control " + std::to_string(i) + ", id " +
                 std::to_string(c.id));
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(static_cast<short>(GetDlgCtrlID(child)), c.id);
    if (c.id != -1) {
      EXPECT_EQ(GetDlgItem(dialog, c.id), child);
    }

    const KindCheck kind = kindCheck(c);
    char windowClass[64] = {};
    GetClassNameA(child, windowClass, sizeof windowClass);
    EXPECT_STRCASEEQ(windowClass, kind.windowClass);
    const LONG style = GetWindowLongA(child, GWL_STYLE);
    EXPECT_EQ(style & kind.typeMask, kind.type);
    EXPECT_EQ(style & flagStyles(c), flagStyles(c));
    if (c.flags & kBorder) {
      EXPECT_TRUE(hasBorder(child));
    }

    // Each of the four values in pixels, as the dialog manager places it.
    RECT expected{c.x, c.y, c.width, c.height};
    MapDialogRect(dialog, &expected);
    RECT placed{};
    GetWindowRect(child, &placed);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_EQ(placed.left, expected.left);
    EXPECT_EQ(placed.top, expected.top);
    if (c.kind == ControlKind::Picture) {
      const auto image = reinterpret_cast<HBITMAP>(SendMessageA(child, STM_GETIMAGE, IMAGE_BITMAP, 0));
      ASSERT_NE(image, nullptr);
      // A framed picture keeps its place, and its frame goes round the
      // whole bitmap.
      if (c.flags & kSunken) {
        BITMAP bitmap{};
        GetObjectA(image, sizeof bitmap, &bitmap);
        RECT inside{};
        GetClientRect(child, &inside);
        EXPECT_EQ(placed.right - placed.left, expected.right);
        EXPECT_EQ(placed.bottom - placed.top, expected.bottom);
        EXPECT_GE(inside.right, bitmap.bmWidth);
        EXPECT_GE(inside.bottom, bitmap.bmHeight);
      }
    } else if (c.kind == ControlKind::Icon) {
      EXPECT_NE(SendMessageA(child, STM_GETICON, 0, 0), 0);
    } else {
      // A closed drop-down list is as high as its font makes it.
      if (c.kind != ControlKind::DropDownList) {
        EXPECT_EQ(placed.bottom - placed.top, expected.bottom);
      }
      EXPECT_EQ(placed.right - placed.left, expected.right);
      EXPECT_EQ(windowText(child), fromCp1252(c.text));
    }
  }
  EXPECT_EQ(child, nullptr) << "more controls than described";
  DestroyWindow(dialog);
}

INSTANTIATE_TEST_SUITE_P(EveryDialog, DialogTemplates, testing::ValuesIn(kDialogLayouts),
                         [](const testing::TestParamInfo<DialogLayout>& info) {
                           return "Template" + std::to_string(info.param.id);
                         });

TEST(TrayMenu, HasOnePopUpWithShowHelpAboutInTheBuildsLanguage) {
  HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_TRAY_MENU));
  ASSERT_NE(menu, nullptr);
  ASSERT_EQ(GetMenuItemCount(menu), 1);
  char text[64] = {};
  GetMenuStringA(menu, 0, text, sizeof text, MF_BYPOSITION);
  EXPECT_STREQ(text, "&Tray");
  HMENU popup = GetSubMenu(menu, 0);
  ASSERT_NE(popup, nullptr);
  const UINT ids[] = {ID_TRAY_SHOW, ID_TRAY_HELP, ID_TRAY_ABOUT};
  const char* const texts[] = {kGerman ? "In den &Vordergrund" : "Show", kGerman ? "&Hilfe" : "Help",
                               kGerman ? "&Info" : "About"};
  ASSERT_EQ(GetMenuItemCount(popup), 3);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(GetMenuItemID(popup, i), ids[i]);
    GetMenuStringA(popup, i, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, texts[i]);
  }
  DestroyMenu(menu);
}

TEST(Images, IconInEverySize) {
  for (int size : {16, 24, 32, 48, 256}) {
    HICON icon = static_cast<HICON>(
        LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_TAVOLIN), IMAGE_ICON, size, size, 0));
    ASSERT_NE(icon, nullptr) << size;
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
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
