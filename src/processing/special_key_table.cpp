#include "processing/special_key_table.h"

namespace tavolin {

namespace {

constexpr SpecialKeyTable::Row kRows[] = {
    {"<CR>", 0x000D},        {"<LF=Ctrl-ENTER>", 0x020D},
    {"<LF=0x0A>", 0x000A},   {"<TAB>", 0x0009},
    {"<SHIFT TAB>", 0x0109}, {"<ESC>", 0x001B},
    {"<F1>", 0x0070},        {"<F2>", 0x0071},
    {"<F3>", 0x0072},        {"<F4>", 0x0073},
    {"<F5>", 0x0074},        {"<F6>", 0x0075},
    {"<F7>", 0x0076},        {"<F8>", 0x0077},
};

constexpr std::int32_t kRowCount = sizeof kRows / sizeof kRows[0];

}  // namespace

std::int32_t SpecialKeyTable::rowCount() { return kRowCount; }

const char* SpecialKeyTable::rowToken(std::int32_t row) {
  return row >= 0 && row < kRowCount ? kRows[row].token : nullptr;
}

const SpecialKeyTable::Row* SpecialKeyTable::rows() { return kRows; }

}  // namespace tavolin
