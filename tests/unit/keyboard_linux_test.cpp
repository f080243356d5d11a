// The Linux keyboards: the layout model against what Windows reports for
// the same layouts, the translation of key events into real keys, and the
// virtual keyboard device.
#include "platform/linux/keyboard_linux.h"

#include <gtest/gtest.h>
#include <linux/uinput.h>
#include <xkbcommon/xkbcommon.h>

#include <fstream>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "platform/linux/xkb_layout.h"
#include "processing/us_layout_keyboard.h"

namespace tavolin {
namespace {

std::unique_ptr<XkbLayout> layoutOf(const char* name) {
  auto layout = XkbLayout::fromNames({"evdev", "pc105", name, "", ""});
  if (!layout) ADD_FAILURE() << "no keymap for " << name << " (is xkb-data installed?)";
  return layout;
}

// The US layout gives for ASCII what the Windows US layout gives, and no
// character of the third level, for which it has no key; every scan code
// of the US layout model is the key that xkbcommon's US keymap has for its
// virtual key (evdev key code = scan code + 8).
TEST(XkbLayout, UsMatchesTheWindowsUsLayoutAndTheUsKeymap) {
  auto layout = layoutOf("us");
  ASSERT_NE(layout, nullptr);
  UsLayoutKeyboard us;
  for (int c = 0; c < 256; ++c) {
    const KeyCode windows = c < 0x80 ? us.vkKeyScan(static_cast<char>(c)) : key_code::None;
    EXPECT_TRUE((c >= 0x1C && c <= 0x1F) || layout->vkKeyScan(static_cast<char>(c)) == windows) << "byte " << c;
  }
  xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
  const xkb_rule_names names{"evdev", "pc105", "us", "", ""};
  xkb_keymap* keymap = xkb_keymap_new_from_names(context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS);
  ASSERT_NE(keymap, nullptr) << "is xkb-data installed?";
  const std::map<std::uint32_t, std::string> named = {{0x08, "BackSpace"}, {0x09, "Tab"},       {0x0D, "Return"},
                                                      {0x10, "Shift_L"},   {0x11, "Control_L"}, {0x12, "Alt_L"},
                                                      {0x1B, "Escape"},    {0x20, "space"}};
  int keys = 0;
  for (std::uint32_t vk = 1; vk < 256; ++vk) {
    const std::uint32_t scan = us.mapVirtualKey(vk);
    if (scan == 0) continue;
    ++keys;
    const xkb_keysym_t* syms = nullptr;
    ASSERT_EQ(xkb_keymap_key_get_syms_by_level(keymap, scan + 8, 0, 0, &syms), 1) << vk;
    char name[64];
    xkb_keysym_get_name(syms[0], name, sizeof name);
    std::string expected = named.count(vk)            ? named.at(vk)
                           : vk >= 0x70 && vk <= 0x7B ? "F" + std::to_string(vk - 0x6F)
                                                      : "";
    for (int c = 0x21; c < 0x7F && expected.empty(); ++c) {
      if (us.vkKeyScan(static_cast<char>(c)) == vk) expected = std::string(1, static_cast<char>(c));
    }
    EXPECT_EQ(expected.size() == 1 ? std::string(1, static_cast<char>(xkb_keysym_to_utf32(syms[0]))) : name, expected)
        << "virtual key " << vk << ", scan code " << scan;
  }
  EXPECT_EQ(keys, 67);
  xkb_keymap_unref(keymap);
  xkb_context_unref(context);
}

// What VkKeyScanA answers on the German (Germany) layout of Windows.
TEST(XkbLayout, GermanMatchesWindows) {
  auto de = layoutOf("de");
  ASSERT_NE(de, nullptr);
  // clang-format off
  const std::pair<char, KeyCode> keys[] = {
      {'a', 0x0041}, {'z', 0x005A}, {'y', 0x0059}, {'Z', 0x015A}, {'1', 0x0031}, {'!', 0x0131}, {'"', 0x0132},
      {'\xA7', 0x0133}, {'&', 0x0136}, {'/', 0x0137}, {'(', 0x0138}, {')', 0x0139}, {'=', 0x0130}, {'\xDF', 0x00DB},
      {'?', 0x01DB}, {'\xFC', 0x00BA}, {'\xDC', 0x01BA}, {'\xF6', 0x00C0}, {'\xE4', 0x00DE}, {'+', 0x00BB},
      {'*', 0x01BB}, {'#', 0x00BF}, {'\'', 0x01BF}, {'-', 0x00BD}, {'_', 0x01BD}, {',', 0x00BC}, {';', 0x01BC},
      {'.', 0x00BE}, {':', 0x01BE}, {'<', 0x00E2}, {'>', 0x01E2}, {'\xB0', 0x01DC}, {'\x0A', 0x020D}, {'\x1A', 0x025A},
      // AltGr: CTRL + ALT
      {'@', 0x0651}, {'\\', 0x06DB}, {'{', 0x0637}, {'[', 0x0638}, {']', 0x0639}, {'}', 0x0630}, {'|', 0x06E2},
      {'~', 0x06BB}, {'\x80', 0x0645}, {'\xB5', 0x064D}, {'\xB2', 0x0632}, {'\xB3', 0x0633},
      {'^', key_code::None}, {'`', key_code::None},  // dead keys produce no character of their own
  };
  // clang-format on
  for (const auto& [c, code] : keys)
    EXPECT_EQ(de->vkKeyScan(c), code) << static_cast<int>(static_cast<unsigned char>(c));
}

struct RecordingChannel : UinputChannel {
  explicit RecordingChannel(std::string& keys) : keys(keys) {}
  bool writeKey(std::uint16_t code, bool press) override {
    keys += (keys.empty() ? "" : " ") + std::string(press ? "+" : "-") + std::to_string(code);
    return true;
  }
  std::string& keys;
};

// The core's events of key codes, as TypeKeyCode sends them (modifiers
// down, the key down and up, modifiers up), reach the virtual keyboard as
// presses and releases of real keys, each written as a key and a report.
TEST(UinputKeyboard, KeyEventsBecomeRealKeys) {
  // clang-format off
  const std::tuple<const char*, std::vector<KeyCode>, const char*> cases[] = {
      {"de", {0x0651}, "+100 +16 -16 -100"},                        // CTRL + ALT + Q: AltGr
      {"de", {0x075A}, "+42 +100 +21 -21 -42 -100"},                // SHIFT + AltGr + Z, where the US layout has Y
      {"us", {0x0141, 0x020D}, "+42 +30 -30 -42 +29 +28 -28 -29"},  // SHIFT + A, CTRL + Enter
      {"us", {0x0641}, "+29 +56 +30 -30 -29 -56"},                  // no AltGr on this layout: CTRL and ALT as they are
      {"us", {0x000A}, ""},                                         // a virtual key without a key: nothing
  };
  // clang-format on
  for (const auto& [layout, codes, expected] : cases) {
    std::string keys;
    UinputKeyboard keyboard(std::make_unique<RecordingChannel>(keys), layoutOf(layout));
    const auto event = [&](std::uint8_t vk, bool press) {
      keyboard.keyEvent(vk, static_cast<std::uint8_t>(keyboard.mapVirtualKey(vk)), press ? 0 : Keyboard::KeyUp);
    };
    for (const KeyCode code : codes) {
      const std::uint8_t vk = code & 0xFF, mods[] = {0x10, 0x11, 0x12};
      for (int i = 0; i < 3; ++i)
        if (code & (0x100 << i)) event(mods[i], true);
      event(vk, true);
      event(vk, false);
      for (int i = 0; i < 3; ++i)
        if (code & (0x100 << i)) event(mods[i], false);
    }
    EXPECT_EQ(keys, expected) << layout << " " << std::hex << codes.front();
  }
  input_event e[2];
  encodeKey(30, true, e);
  EXPECT_TRUE(e[0].type == EV_KEY && e[0].code == 30 && e[0].value == 1 && e[1].type == EV_SYN &&
              e[1].code == SYN_REPORT);
  encodeKey(30, false, e);
  EXPECT_EQ(e[0].value, 0);
}

// A device that cannot be opened is named, with the remedy. The layout
// is the first of the system's keyboard configuration, unless the
// environment names one, which xkbcommon then reads itself.
TEST(UinputKeyboard, TheDeviceAndTheSystemsLayout) {
  std::string problem;
  EXPECT_EQ(UinputKeyboard::open(problem, "/nonexistent/uinput"), nullptr);
  EXPECT_EQ(problem.rfind("/nonexistent/uinput cannot be opened (No such file or directory)", 0), 0u) << problem;
  EXPECT_NE(problem.find("modprobe uinput"), std::string::npos);
  const auto keyboard = UinputKeyboard::open(problem);  // where there is a device: with a layout
  EXPECT_TRUE(!keyboard || keyboard->vkKeyScan('a') != key_code::None);
  const std::string path = testing::TempDir() + "tavolin-keyboard";
  std::ofstream(path) << "XKBMODEL=\"pc105\"\nXKBLAYOUT=\"de,us\"\nXKBVARIANT=\"nodeadkeys,\"\nXKBOPTIONS=\"\"\n";
  unsetenv("XKB_DEFAULT_LAYOUT");
  const XkbLayout::Names names = XkbLayout::systemNames(path);
  EXPECT_EQ(names.model + " " + names.layout + " " + names.variant, "pc105 de nodeadkeys");
  setenv("XKB_DEFAULT_LAYOUT", "fr", 1);
  EXPECT_EQ(XkbLayout::systemNames(path).layout, "");
  unsetenv("XKB_DEFAULT_LAYOUT");
  std::remove(path.c_str());
}

}  // namespace
}  // namespace tavolin
