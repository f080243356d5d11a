#pragma once

#include <array>
#include <cstdint>

namespace tavolin {

// How a byte of the card holds characters: one, two (one in each half),
// or one in the low or in the high half.
enum class NibbleMode : std::int32_t { Bytewise, Nibbelwise, LowNibbelwise, HighNibbelwise };

// A key: virtual-key code in the low byte, modifier bits in the high byte.
using KeyCode = std::uint16_t;

namespace key_code {
constexpr KeyCode None = 0xFFFF;  // no key of the layout produces the character
constexpr KeyCode ShiftBit = 0x0100;
constexpr KeyCode CtrlBit = 0x0200;
constexpr KeyCode AltBit = 0x0400;
constexpr std::uint8_t VkShift = 0x10;
constexpr std::uint8_t VkControl = 0x11;
constexpr std::uint8_t VkMenu = 0x12;
}  // namespace key_code

// Runtime layout of the card data, derived from CardDataSettings.
struct CardAttr {
  bool bFixedLen = false;
  std::int32_t iTotalLen = 0;
  std::int32_t iByteStart = 0;
  std::int32_t iByteStop = 0;
  std::int32_t iReadLen = 0;
  std::int32_t iByteLen1 = 0;
  std::int32_t iByteLen2 = 0;
  std::int32_t iByteStart2 = 0;
  std::int32_t iCardStart = 0;
  std::int32_t iCardStop = 0;
  std::int32_t iCardLen1 = 0;
  std::int32_t iCardLen2 = 0;
  std::int32_t iCardStart2 = 0;
  NibbleMode iNibbleMode = NibbleMode::Bytewise;
  bool bMapToHex = true;
  bool bForward = true;
};

// Padding removal and conversion of the ranges, derived from CardDataSettings.
struct FilterAttr {
  bool bTruncateFirst = false;
  bool bPadUsed = false;
  std::uint8_t cPadChar = 0;
  bool bHexToDec = false;
  std::int32_t iDigits = 0;
};

// A list of at most 100 keys.
struct KeyCodeList {
  static constexpr std::int32_t capacity = 100;
  std::array<KeyCode, capacity> codes{};
  std::int32_t count = 0;
};

// Keys typed around the card data, derived from AddCharsSettings.
struct DataPostProcessing {
  KeyCodeList PrefixCode;
  KeyCodeList InterfixCode;
  KeyCodeList PostfixCode;
};

}  // namespace tavolin
