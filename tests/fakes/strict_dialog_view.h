#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "dialog_layout.h"
#include "ui/memory_dialog_view.h"

namespace tavolin::testing {

// The texts of the message boxes the view has shown, in order.
inline std::vector<std::string> messageTexts(const MemoryDialogView& view) {
  std::vector<std::string> texts;
  for (const auto& m : view.messages()) texts.push_back(m.text);
  return texts;
}

// What the user does to a control: a click checks it ("off" unchecks), a choice selects the item,
// typing into or leaving an edit leaves the value as its text. A PageInput does it on a sheet's
// page (no control: the page is only shown).
struct UserInput {
  std::int32_t id = 0;  // 0: none
  Notification how = Notification::Clicked;
  const char* value = "";
};

struct PageInput {
  std::size_t page;
  UserInput input;
};

// An in-memory window whose presenter may read a control only while it handles that control's
// notification; any other read takes back state the presenter should hold itself and is recorded
// for the test to expect none. Tests look through control() and selection().
class StrictDialogView : public MemoryDialogView {
 public:
  void notify(DialogPresenter& presenter, std::int32_t id, Notification notification) {
    const std::int32_t outer = m_iNotified;
    m_iNotified = id;
    presenter.onCommand(id, notification);
    m_iNotified = outer;
  }
  void act(DialogPresenter& presenter, const UserInput& input) {
    if (input.how == Notification::Clicked) {
      checkItem(input.id, std::string(input.value) != "off");
    } else if (input.how == Notification::SelectionChange) {
      if (selectString(input.id, input.value) < 0) ADD_FAILURE() << "no item " << input.value << " in " << input.id;
    } else {
      setItemText(input.id, input.value);
    }
    notify(presenter, input.id, input.how);
  }
  std::string getItemText(std::int32_t id) override { return read(id).text; }
  bool isChecked(std::int32_t id) override { return read(id).checked; }
  std::string selectedText(std::int32_t id) override {
    read(id);
    return selection(id);
  }

  std::string selection(std::int32_t id) { return MemoryDialogView::selectedText(id); }
  const std::vector<std::int32_t>& readBacks() const { return m_readBacks; }

  // These edits report every change of their text to the presenter, also its own, as the system's do.
  void reportEditChanges(DialogPresenter& presenter, std::vector<std::int32_t> edits) {
    m_pEditOwner = &presenter;
    m_reportingEdits = std::move(edits);
  }

 protected:
  void textChanged(std::int32_t id) override {
    for (std::int32_t edit : m_reportingEdits) {
      if (edit == id) notify(*m_pEditOwner, id, Notification::EditChange);
    }
  }

 private:
  const Control& read(std::int32_t id) {
    if (id != m_iNotified) m_readBacks.push_back(id);
    return control(id);
  }

  std::int32_t m_iNotified = 0;  // 0: none
  std::vector<std::int32_t> m_readBacks;
  DialogPresenter* m_pEditOwner = nullptr;
  std::vector<std::int32_t> m_reportingEdits;
};

// The controls whose template text (a German placeholder) the open window has not replaced.
inline std::vector<std::int32_t> placeholdersLeft(MemoryDialogView& view, std::int32_t dialogId) {
  std::vector<std::int32_t> left;
  const layout::DialogLayout& dialog = *layout::findDialogLayout(dialogId);
  for (std::size_t i = 0; i < dialog.controlCount; ++i) {
    const layout::ControlLayout& c = dialog.controls[i];
    const bool image = c.kind == layout::ControlKind::Picture || c.kind == layout::ControlKind::Icon;
    if (c.id >= 0 && !image && *c.text && view.control(c.id).text.empty()) left.push_back(c.id);
  }
  return left;
}

}  // namespace tavolin::testing
