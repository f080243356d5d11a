#pragma once

#include <string>
#include <vector>

#include "ui/property_page.h"

namespace tavolin {

// The settings sheet: the pages in the order they were added, opened on
// the first; only OK and Cancel are offered.
class AttrSheet {
 public:
  static constexpr std::int32_t buttonShift = 160;

  explicit AttrSheet(std::string caption) : m_sCaption(std::move(caption)) {}

  void AddPage(PropertyPage& page) { m_pages.push_back(&page); }
  const std::vector<PropertyPage*>& pages() const { return m_pages; }
  const std::string& caption() const { return m_sCaption; }

  // After the platform's own initialisation of the sheet window: Apply
  // and Help are hidden and OK and Cancel take their places.
  void OnInitDialog(DialogView& sheet);

 private:
  std::string m_sCaption;
  std::vector<PropertyPage*> m_pages;
};

}  // namespace tavolin
