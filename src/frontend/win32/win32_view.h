#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "frontend/win32/browser_host.h"
#include "services/trace.h"
#include "ui/dialog_view.h"

namespace tavolin {

// The title of message boxes without a caption of their own: the
// program's name, as the window system names an application that gives
// none (the program file's name without its extension).
std::string applicationTitle();

// A dialog window of the program as its presenter sees it: each method is
// the Win32 call on the control of that id. The view owns what it makes
// for its window: the fonts it gives to controls and the browser controls;
// the fonts outlive the window, whose controls use them to the end.
class Win32View final : public DialogView {
 public:
  Win32View(HWND window, Trace& trace);
  ~Win32View() override;
  Win32View(const Win32View&) = delete;
  Win32View& operator=(const Win32View&) = delete;

  HWND handle() const { return m_hWnd; }
  // The window is being destroyed: the browser controls go while it
  // still exists.
  void windowDestroyed();

  void setCaption(const std::string& text) override;
  void setIcon(std::int32_t iconId) override;
  void setItemText(std::int32_t id, const std::string& text) override;
  std::string getItemText(std::int32_t id) override;
  void enableItem(std::int32_t id, bool enable) override;
  void checkItem(std::int32_t id, bool check) override;
  bool isChecked(std::int32_t id) override;
  void setFocus(std::int32_t id) override;
  void setFont(std::int32_t id, const FontSpec& font) override;
  void resetContent(std::int32_t id) override;
  void addString(std::int32_t id, const std::string& text) override;
  std::int32_t selectString(std::int32_t id, const std::string& text) override;
  void setCurSel(std::int32_t id, std::int32_t index) override;
  std::string selectedText(std::int32_t id) override;
  void limitText(std::int32_t id, std::int32_t maxCharacters) override;
  void appendText(std::int32_t id, const std::string& text) override;
  void navigate(std::int32_t id, const std::string& address) override;
  void messageBox(const std::string& text, MessageIcon icon, const char* caption = nullptr) override;

 private:
  struct Font {
    std::string face;
    std::int32_t height;
    std::int32_t weight;
    HFONT handle;
  };

  HWND item(std::int32_t id) const { return GetDlgItem(m_hWnd, id); }
  HFONT font(const FontSpec& wanted);

  HWND m_hWnd;
  Trace& m_trace;
  std::vector<Font> m_fonts;
  std::map<std::int32_t, std::unique_ptr<BrowserHost>> m_browsers;
};

}  // namespace tavolin
