#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "ui/dialog_view.h"

namespace tavolin {

// A window whose controls live in memory and behave as the Win32 controls
// do: drop-down lists with the select-string rule, edits with a limit,
// check boxes. The console edition draws its lines from it; the tests read
// it back.
class MemoryDialogView : public DialogView {
 public:
  struct Control {
    std::string text;
    bool enabled = true;
    bool checked = false;
    std::vector<std::string> items;
    std::int32_t selected = -1;
    std::int32_t limit = 30000;  // the edit's default limit
    std::string font;
  };

  struct Message {
    std::string text;
    MessageIcon icon;
    std::string caption;  // empty: the application's title
  };

  void setCaption(const std::string& text) override { m_sCaption = text; }
  void setIcon(std::int32_t iconId) override { m_iIcon = iconId; }
  void setItemText(std::int32_t id, const std::string& text) override;
  std::string getItemText(std::int32_t id) override { return m_controls[id].text; }
  void enableItem(std::int32_t id, bool enable) override { m_controls[id].enabled = enable; }
  void checkItem(std::int32_t id, bool check) override { m_controls[id].checked = check; }
  bool isChecked(std::int32_t id) override { return m_controls[id].checked; }
  void setFocus(std::int32_t id) override;
  void setFont(std::int32_t id, const FontSpec& font) override;
  void resetContent(std::int32_t id) override;
  void addString(std::int32_t id, const std::string& text) override { m_controls[id].items.push_back(text); }
  std::int32_t selectString(std::int32_t id, const std::string& text) override;
  void setCurSel(std::int32_t id, std::int32_t index) override;
  std::string selectedText(std::int32_t id) override;
  void limitText(std::int32_t id, std::int32_t maxCharacters) override;
  void appendText(std::int32_t id, const std::string& text) override;
  void navigate(std::int32_t id, const std::string& address) override { m_controls[id].text = address; }
  void messageBox(const std::string& text, MessageIcon icon, const char* caption = nullptr) override;

  const Control& control(std::int32_t id) { return m_controls[id]; }
  const std::string& caption() const { return m_sCaption; }
  std::int32_t icon() const { return m_iIcon; }
  const std::vector<Message>& messages() const { return m_messages; }
  std::int32_t focus() const { return m_iFocus; }

 protected:
  // Called after a control's text changed and after a message box.
  virtual void textChanged(std::int32_t /*id*/) {}
  virtual void messageShown(const Message& /*message*/) {}

 private:
  std::map<std::int32_t, Control> m_controls;
  std::vector<Message> m_messages;
  std::string m_sCaption;
  std::int32_t m_iIcon = 0;
  std::int32_t m_iFocus = 0;
};

}  // namespace tavolin
