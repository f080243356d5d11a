#pragma once

#include <string>
#include <vector>

#include "ui/property_page.h"

namespace tavolin {

// The buttons a settings sheet can have below its pages.
enum class SheetButton { Ok, Cancel, Apply, Help };

// The settings sheet: the pages in the order they were added, opened on
// the first; only OK and Cancel are offered.
class AttrSheet {
 public:
  explicit AttrSheet(std::string caption) : m_sCaption(std::move(caption)) {}

  void AddPage(PropertyPage& page) { m_pages.push_back(&page); }
  const std::vector<PropertyPage*>& pages() const { return m_pages; }
  const std::string& caption() const { return m_sCaption; }

  // The buttons the sheet offers, left to right. Nothing is committed
  // while the sheet is open, so there is no Apply, and the help is on the
  // main window. A front-end shows only these and lays them out where a
  // sheet's buttons stand, at the right.
  std::vector<SheetButton> buttons() const { return {SheetButton::Ok, SheetButton::Cancel}; }

 private:
  std::string m_sCaption;
  std::vector<PropertyPage*> m_pages;
};

}  // namespace tavolin
