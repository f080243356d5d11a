/* The controls of every dialog of the program, as resources/dialogs.txt
   describes them: the Qt windows are built from this table, the Windows
   edition's dialog templates from the same description. */
#ifndef TAVOLIN_DIALOG_LAYOUT_H
#define TAVOLIN_DIALOG_LAYOUT_H

#include <cstddef>
#include <cstdint>

#include "resource_ids.h"

namespace tavolin {
namespace layout {

enum class ControlKind : std::uint8_t {
  Button,
  DefaultButton,
  CheckBox,     // automatic
  RadioButton,  // automatic; a group runs from a GroupStart to the next
  GroupBox,
  Label,
  NumberField,  // sunken static text
  Edit,
  DropDownList,  // not sorted; height: with the list dropped down
  Picture,       // bitmap resource `image`
  Icon,          // icon resource `image`
  Browser        // where the web browser control goes
};

enum ControlFlag : std::uint32_t {
  kGroupStart = 1u << 0,
  kTextLeft = 1u << 1,
  kMultiLine = 1u << 2,
  kRightAligned = 1u << 3,
  kSunken = 1u << 4,
  kBorder = 1u << 5,
  kReadOnly = 1u << 6,
  kFixedPitch = 1u << 7  // the program sets a fixed-pitch font on it
};

struct ControlLayout {
  std::int32_t id;  // -1: no id
  ControlKind kind;
  std::int16_t x, y, width, height;  // dialog units
  const char* text;                  // the template's text (German), Windows-1252
  std::int32_t image;                // Picture, Icon: resource id; else 0
  std::uint32_t flags;               // ControlFlag bits
};

enum class DialogKind : std::uint8_t {
  MainWindow,  // pop-up with a title bar, no system menu
  Page,        // page of the settings sheet
  Modal,       // modal dialog with a title bar and a system menu
  Bare         // modal dialog without a title bar
};

struct DialogLayout {
  std::int32_t id;
  DialogKind kind;
  std::int16_t width, height;  // dialog units
  const char* fontFace;        // dialog units are measured in this font
  std::int16_t fontPoints;
  const char* captionEnglish;  // Windows-1252
  const char* captionGerman;
  const ControlLayout* controls;  // in template order, which is the tab order
  std::size_t controlCount;
};

#include "dialog_layouts.inc"  // kDialogLayouts[], generated

constexpr const DialogLayout* findDialogLayout(std::int32_t id) {
  for (const DialogLayout& dialog : kDialogLayouts) {
    if (dialog.id == id) return &dialog;
  }
  return nullptr;
}

}  // namespace layout
}  // namespace tavolin

#endif
