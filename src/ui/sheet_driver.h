#pragma once

#include <cstddef>

#include "ui/attr_sheet.h"
#include "ui/dialog_view.h"

namespace tavolin {

// Runs the pages of a settings sheet as a property sheet does: a page's
// dialog is made the first time the page is shown, its view attached and
// initialised once, and the page is activated every time it is shown. A
// front-end whose toolkit has no property sheet of its own (tabs) shows
// its pages through it.
class SheetDriver {
 public:
  explicit SheetDriver(AttrSheet& sheet) : m_sheet(sheet) {}

  // Shows the page of that index in the view, which stays the page's view
  // from its first showing on.
  void show(std::size_t index, DialogView& view) { showPage(*m_sheet.pages()[index], view); }

  static void showPage(PropertyPage& page, DialogView& view) {
    if (!page.attached()) {
      page.attach(view);
      page.OnInitDialog();
    }
    page.OnSetActive();
  }

 private:
  AttrSheet& m_sheet;
};

}  // namespace tavolin
