#include "processing/us_layout_keyboard.h"

#include <gtest/gtest.h>

#include <set>

namespace tavolin {
namespace {

// What VkKeyScanA answers on the US layout of Windows, and scan codes of set
// one; every key's is checked against xkbcommon's US keymap in the Linux
// edition's keyboard test.
TEST(UsLayoutKeyboard, KeysAndScanCodes) {
  UsLayoutKeyboard keyboard;
  const std::pair<char, KeyCode> keys[] = {
      // clang-format off
      {'a', 0x0041}, {'z', 0x005A}, {'A', 0x0141}, {'Z', 0x015A}, {'0', 0x0030}, {'9', 0x0039}, {')', 0x0130},
      {'!', 0x0131}, {'@', 0x0132}, {'#', 0x0133}, {'^', 0x0136}, {'(', 0x0139}, {';', 0x00BA}, {':', 0x01BA},
      {'=', 0x00BB}, {'+', 0x01BB}, {',', 0x00BC}, {'<', 0x01BC}, {'-', 0x00BD}, {'_', 0x01BD}, {'.', 0x00BE},
      {'>', 0x01BE}, {'/', 0x00BF}, {'?', 0x01BF}, {'`', 0x00C0}, {'~', 0x01C0}, {'[', 0x00DB}, {'{', 0x01DB},
      {'\\', 0x00DC}, {'|', 0x01DC}, {']', 0x00DD}, {'}', 0x01DD}, {'\'', 0x00DE}, {'"', 0x01DE}, {' ', 0x0020},
      {'\x08', 0x0008}, {'\x09', 0x0009}, {'\x0D', 0x000D}, {'\x1B', 0x001B}, {'\x0A', 0x020D}, {'\x01', 0x0241},
      {'\x03', 0x0243}, {'\x1A', 0x025A},
      // clang-format on
  };
  for (const auto& [c, code] : keys) EXPECT_EQ(keyboard.vkKeyScan(c), code) << static_cast<int>(c);
  const std::pair<std::uint32_t, std::uint32_t> scans[] = {
      {0x41, 0x1E}, {0x51, 0x10}, {0x4D, 0x32}, {0x31, 0x02}, {0x30, 0x0B}, {0x0D, 0x1C}, {0x09, 0x0F}, {0x1B, 0x01},
      {0x10, 0x2A}, {0x11, 0x1D}, {0x12, 0x38}, {0x70, 0x3B}, {0x77, 0x42}, {0xBF, 0x35}, {0x0A, 0x00}, {0xFF, 0x00}};
  for (const auto& [vk, scan] : scans) EXPECT_EQ(keyboard.mapVirtualKey(vk), scan) << vk;
}

// Every byte has exactly one meaning: the printable ASCII characters each
// have their own key, with SHIFT at most, and every key its own scan code;
// the control characters up to ESC have a key, the rest has none.
TEST(UsLayoutKeyboard, EveryByteAndEveryKey) {
  UsLayoutKeyboard keyboard;
  std::set<KeyCode> printable;
  for (int c = 0; c < 256; ++c) {
    const KeyCode code = keyboard.vkKeyScan(static_cast<char>(c));
    EXPECT_EQ(code != key_code::None, (c >= 0x01 && c <= 0x1B) || (c >= 0x20 && c <= 0x7E)) << c;
    if (c < 0x20 || c > 0x7E) continue;
    EXPECT_TRUE(printable.insert(code).second) << "two characters on one key: " << c;
    EXPECT_EQ(code & 0xFE00, 0) << c;
    EXPECT_NE(keyboard.mapVirtualKey(code & 0xFF), 0u) << c;
  }
  std::set<std::uint32_t> scans;
  for (std::uint32_t vk = 0; vk < 256; ++vk) {
    const std::uint32_t scan = keyboard.mapVirtualKey(vk);
    EXPECT_TRUE(scan == 0 || scans.insert(scan).second) << "two keys with scan code " << scan << ": " << vk;
  }
}

}  // namespace
}  // namespace tavolin
