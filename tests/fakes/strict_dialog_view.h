#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ui/memory_dialog_view.h"

namespace tavolin::testing {

// An in-memory window whose presenter may read a control only for the
// user's input, while it handles that control's notification. Any other
// read takes back state the presenter should hold itself; it is recorded
// for the test to expect none. Tests look at the controls through
// control() and selection().
class StrictDialogView : public MemoryDialogView {
 public:
  // The user acted on the control; the presenter hears of it.
  void notify(DialogPresenter& presenter, std::int32_t id, Notification notification) {
    const std::int32_t outer = m_iNotified;
    m_iNotified = id;
    presenter.onCommand(id, notification);
    m_iNotified = outer;
  }
  std::string getItemText(std::int32_t id) override { return read(id).text; }
  bool isChecked(std::int32_t id) override { return read(id).checked; }
  std::string selectedText(std::int32_t id) override {
    read(id);
    return selection(id);
  }

  std::string selection(std::int32_t id) { return MemoryDialogView::selectedText(id); }
  const std::vector<std::int32_t>& readBacks() const { return m_readBacks; }

 private:
  const Control& read(std::int32_t id) {
    if (id != m_iNotified) m_readBacks.push_back(id);
    return control(id);
  }

  std::int32_t m_iNotified = 0;  // 0: none
  std::vector<std::int32_t> m_readBacks;
};

}  // namespace tavolin::testing
