#include "ui/attr_sheet.h"

#include "resource_ids.h"

namespace tavolin {

void AttrSheet::OnInitDialog(DialogView& sheet) {
  sheet.showItem(IDC_SHEET_APPLY, false);
  sheet.showItem(IDC_SHEET_HELP, false);
  sheet.moveItemBy(IDC_OK, buttonShift, 0);
  sheet.moveItemBy(IDC_CANCEL, buttonShift, 0);
}

}  // namespace tavolin
