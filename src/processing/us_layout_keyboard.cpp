#include "processing/us_layout_keyboard.h"

#include <cstdio>

namespace tavolin {

namespace {

// The keys of the US layout that are neither letters nor digits: virtual
// key, plain character, character with SHIFT.
struct OemKey {
  std::uint8_t vk;
  char plain;
  char shifted;
};

constexpr OemKey kOemKeys[] = {
    {0xBA, ';', ':'}, {0xBB, '=', '+'}, {0xBC, ',', '<'},  {0xBD, '-', '_'}, {0xBE, '.', '>'},  {0xBF, '/', '?'},
    {0xC0, '`', '~'}, {0xDB, '[', '{'}, {0xDC, '\\', '|'}, {0xDD, ']', '}'}, {0xDE, '\'', '"'},
};

// The signs on the digit keys 0 to 9 with SHIFT.
constexpr char kShiftedDigits[] = ")!@#$%^&*(";

// PC/AT scan code set 1, by virtual key.
struct ScanCode {
  std::uint8_t vk;
  std::uint8_t scan;
};

constexpr ScanCode kScanCodes[] = {
    {0x08, 0x0E}, {0x09, 0x0F}, {0x0D, 0x1C}, {0x10, 0x2A}, {0x11, 0x1D}, {0x12, 0x38}, {0x1B, 0x01}, {0x20, 0x39},
    {0x30, 0x0B}, {0x31, 0x02}, {0x32, 0x03}, {0x33, 0x04}, {0x34, 0x05}, {0x35, 0x06}, {0x36, 0x07}, {0x37, 0x08},
    {0x38, 0x09}, {0x39, 0x0A}, {0x41, 0x1E}, {0x42, 0x30}, {0x43, 0x2E}, {0x44, 0x20}, {0x45, 0x12}, {0x46, 0x21},
    {0x47, 0x22}, {0x48, 0x23}, {0x49, 0x17}, {0x4A, 0x24}, {0x4B, 0x25}, {0x4C, 0x26}, {0x4D, 0x32}, {0x4E, 0x31},
    {0x4F, 0x18}, {0x50, 0x19}, {0x51, 0x10}, {0x52, 0x13}, {0x53, 0x1F}, {0x54, 0x14}, {0x55, 0x16}, {0x56, 0x2F},
    {0x57, 0x11}, {0x58, 0x2D}, {0x59, 0x15}, {0x5A, 0x2C}, {0x70, 0x3B}, {0x71, 0x3C}, {0x72, 0x3D}, {0x73, 0x3E},
    {0x74, 0x3F}, {0x75, 0x40}, {0x76, 0x41}, {0x77, 0x42}, {0x78, 0x43}, {0x79, 0x44}, {0x7A, 0x57}, {0x7B, 0x58},
    {0xBA, 0x27}, {0xBB, 0x0D}, {0xBC, 0x33}, {0xBD, 0x0C}, {0xBE, 0x34}, {0xBF, 0x35}, {0xC0, 0x29}, {0xDB, 0x1A},
    {0xDC, 0x2B}, {0xDD, 0x1B}, {0xDE, 0x28},
};

}  // namespace

KeyCode UsLayoutKeyboard::vkKeyScan(char character) {
  const auto c = static_cast<unsigned char>(character);
  if (c >= 'a' && c <= 'z') return static_cast<KeyCode>(c - 'a' + 'A');
  if (c >= 'A' && c <= 'Z') return static_cast<KeyCode>(key_code::ShiftBit | c);
  if (c >= '0' && c <= '9') return c;
  if (c == ' ') return c;
  for (int digit = 0; digit < 10; ++digit) {
    if (kShiftedDigits[digit] == character) return static_cast<KeyCode>(key_code::ShiftBit | ('0' + digit));
  }
  for (const OemKey& key : kOemKeys) {
    if (key.plain == character) return key.vk;
    if (key.shifted == character) return static_cast<KeyCode>(key_code::ShiftBit | key.vk);
  }
  switch (c) {
    case 0x08:  // Backspace
    case 0x09:  // Tab
    case 0x0D:  // Enter
    case 0x1B:  // Escape
      return c;
    case 0x0A:  // CTRL + Enter
      return key_code::CtrlBit | 0x0D;
    default:
      break;
  }
  // The other control characters are CTRL + their letter.
  if (c >= 0x01 && c <= 0x1A) return static_cast<KeyCode>(key_code::CtrlBit | (c - 1 + 'A'));
  return key_code::None;
}

std::uint32_t UsLayoutKeyboard::mapVirtualKey(std::uint32_t vk) {
  for (const ScanCode& entry : kScanCodes) {
    if (entry.vk == vk) return entry.scan;
  }
  return 0;
}

void UsLayoutKeyboard::keyEvent(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags) {
  if (!m_pOut) return;
  char line[32];
  const int length = std::snprintf(line, sizeof line, "%s 0x%02x 0x%02x\n", flags & KeyUp ? "up" : "down", vk, scan);
  m_pOut->write(std::string_view(line, static_cast<std::size_t>(length)));
}

}  // namespace tavolin
