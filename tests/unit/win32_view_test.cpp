// The Windows edition's view keeps the views' contract, on windows made
// from the program's dialog templates, the user's actions sent to the
// controls as the system sends them.
#include <windows.h>

#include "dialog_view_contract.h"
#include "frontend/win32/dialog_window.h"
#include "resource_ids.h"

namespace tavolin {
namespace {

using testing::DialogViewContract;
using testing::UserInputContract;

class Win32Window : public testing::ViewWindow {
 public:
  explicit Win32Window(std::int32_t dialog) : m_presenter(dialog, *this), m_window(m_presenter, m_trace) {
    // A page of the sheet is a child window: its owner stands in for the sheet.
    m_owner = CreateWindowExA(0, "Static", "", WS_POPUP | WS_VISIBLE, 0, 0, 800, 600, nullptr, nullptr, nullptr, nullptr);
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
INSTANTIATE_TEST_SUITE_P(Win32, DialogViewContract, ::testing::Values(kWin32View), testing::viewName);
INSTANTIATE_TEST_SUITE_P(Win32, UserInputContract, ::testing::Values(kWin32View), testing::viewName);

}  // namespace
}  // namespace tavolin
