// The Linux keyboards: the layout model against what Windows reports for
// the same layouts, the translation of key events into real keys, and the
// virtual keyboard device.
#include <gtest/gtest.h>
#include <linux/uinput.h>

#include <string>
#include <vector>

#include "platform/linux/key_translator.h"
#include "platform/linux/keyboard_linux.h"
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
// character of the third level, for which it has no key.
TEST(XkbLayout, UsMatchesTheWindowsUsLayout) {
  auto us = layoutOf("us");
  ASSERT_NE(us, nullptr);
  UsLayoutKeyboard windows;
  for (int c = 0x80; c < 256; ++c) EXPECT_EQ(us->vkKeyScan(static_cast<char>(c)), key_code::None) << "byte " << c;
  for (int c = 0; c < 0x80; ++c) {
    if (c == 0x1C || c == 0x1D || c == 0x1E || c == 0x1F) continue;
    EXPECT_EQ(us->vkKeyScan(static_cast<char>(c)), windows.vkKeyScan(static_cast<char>(c))) << "byte " << c;
  }
  EXPECT_EQ(us->keyOf(0x41), 30u);  // KEY_A
  EXPECT_EQ(us->keyOf(0x0D), 28u);  // KEY_ENTER
  EXPECT_EQ(us->keyOf(0x70), 59u);  // KEY_F1
}

// What VkKeyScanA answers on the German (Germany) layout of Windows.
TEST(XkbLayout, GermanMatchesWindows) {
  auto de = layoutOf("de");
  ASSERT_NE(de, nullptr);
  const struct {
    char c;
    KeyCode code;
  } keys[] = {
      {'a', 0x0041}, {'z', 0x005A}, {'y', 0x0059}, {'Z', 0x015A}, {'1', 0x0031}, {'!', 0x0131}, {'"', 0x0132},
      {'\xA7', 0x0133}, {'&', 0x0136}, {'/', 0x0137}, {'(', 0x0138}, {')', 0x0139}, {'=', 0x0130},
      {'\xDF', 0x00DB}, {'?', 0x01DB}, {'\xFC', 0x00BA}, {'\xDC', 0x01BA}, {'\xF6', 0x00C0}, {'\xE4', 0x00DE},
      {'+', 0x00BB}, {'*', 0x01BB}, {'#', 0x00BF}, {'\'', 0x01BF}, {'-', 0x00BD}, {'_', 0x01BD}, {',', 0x00BC},
      {';', 0x01BC}, {'.', 0x00BE}, {':', 0x01BE}, {'<', 0x00E2}, {'>', 0x01E2}, {'\xB0', 0x01DC},
      // AltGr: CTRL + ALT
      {'@', 0x0651}, {'\\', 0x06DB}, {'{', 0x0637}, {'[', 0x0638}, {']', 0x0639}, {'}', 0x0630}, {'|', 0x06E2},
      {'~', 0x06BB}, {'\x80', 0x0645}, {'\xB5', 0x064D}, {'\xB2', 0x0632}, {'\xB3', 0x0633},
      // dead keys produce no character of their own
      {'^', key_code::None}, {'`', key_code::None},
  };
  for (const auto& k : keys) {
    EXPECT_EQ(de->vkKeyScan(k.c), k.code) << "'" << k.c << "' " << static_cast<int>(static_cast<unsigned char>(k.c));
  }
  EXPECT_EQ(de->keyOf(0x5A), 21u);  // Z lies where the US layout has Y
  EXPECT_EQ(de->levelThreeKey(), 100u);
  EXPECT_EQ(de->vkKeyScan('\x0A'), 0x020D);
  EXPECT_EQ(de->vkKeyScan('\x1A'), 0x025A);
}

class RecordingSink : public KeySink {
 public:
  void key(std::uint32_t code, bool press) override {
    if (!keys.empty()) keys += ' ';
    keys += (press ? "+" : "-") + std::to_string(code);
  }
  std::string keys;
};

// The core's events of one key code, as TypeKeyCode sends them.
void send(KeyTranslator& translator, const XkbLayout& layout, KeyCode code) {
  const auto event = [&](std::uint8_t vk, bool press) {
    translator.keyEvent(layout, vk, static_cast<std::uint8_t>(layout.keyOf(vk)), press ? 0 : 2);
  };
  const std::uint8_t mods[] = {0x10, 0x11, 0x12};
  for (int i = 0; i < 3; ++i) {
    if (code & (0x100 << i)) event(mods[i], true);
  }
  event(static_cast<std::uint8_t>(code & 0xFF), true);
  event(static_cast<std::uint8_t>(code & 0xFF), false);
  for (int i = 0; i < 3; ++i) {
    if (code & (0x100 << i)) event(mods[i], false);
  }
}

TEST(KeyTranslator, AltGrBecomesTheLevelThreeShift) {
  auto de = layoutOf("de");
  ASSERT_NE(de, nullptr);
  RecordingSink sink;
  KeyTranslator translator(sink);
  send(translator, *de, de->vkKeyScan('@'));  // CTRL + ALT + Q
  EXPECT_EQ(sink.keys, "+100 +16 -16 -100");
  sink.keys.clear();
  send(translator, *de, 0x0751);  // SHIFT + AltGr + Q
  EXPECT_EQ(sink.keys, "+42 +100 +16 -16 -42 -100");
}

TEST(KeyTranslator, ModifiersInTheCoresOrder) {
  auto us = layoutOf("us");
  ASSERT_NE(us, nullptr);
  RecordingSink sink;
  KeyTranslator translator(sink);
  send(translator, *us, 0x0141);  // SHIFT + A
  send(translator, *us, 0x020D);  // CTRL + Enter
  EXPECT_EQ(sink.keys, "+42 +30 -30 -42 +29 +28 -28 -29");
  sink.keys.clear();
  send(translator, *us, 0x0641);  // no AltGr on this layout: CTRL and ALT as they are
  EXPECT_EQ(sink.keys, "+29 +56 +30 -30 -29 -56");
  sink.keys.clear();
  send(translator, *us, 0x000A);  // a virtual key without a key: nothing
  EXPECT_EQ(sink.keys, "");
}

class RecordingChannel : public UinputChannel {
 public:
  bool writeKey(std::uint16_t code, bool press) override {
    written.push_back({code, press});
    return true;
  }
  std::vector<std::pair<std::uint16_t, bool>> written;
};

TEST(UinputKeyboard, TypesThroughItsChannel) {
  auto channel = std::make_unique<RecordingChannel>();
  RecordingChannel* recorded = channel.get();
  UinputKeyboard keyboard(std::move(channel), layoutOf("us"));
  const KeyCode a = keyboard.vkKeyScan('A');
  ASSERT_EQ(a, 0x0141);
  keyboard.keyEvent(0x10, static_cast<std::uint8_t>(keyboard.mapVirtualKey(0x10)), Keyboard::KeyDown);
  keyboard.keyEvent(0x41, static_cast<std::uint8_t>(keyboard.mapVirtualKey(0x41)), Keyboard::KeyDown);
  keyboard.keyEvent(0x41, static_cast<std::uint8_t>(keyboard.mapVirtualKey(0x41)), Keyboard::KeyUp);
  keyboard.keyEvent(0x10, static_cast<std::uint8_t>(keyboard.mapVirtualKey(0x10)), Keyboard::KeyUp);
  const std::vector<std::pair<std::uint16_t, bool>> expected = {{42, true}, {30, true}, {30, false}, {42, false}};
  EXPECT_EQ(recorded->written, expected);

  input_event events[2];
  encodeKey(30, true, events);
  EXPECT_EQ(events[0].type, EV_KEY);
  EXPECT_EQ(events[0].code, 30);
  EXPECT_EQ(events[0].value, 1);
  EXPECT_EQ(events[1].type, EV_SYN);
  EXPECT_EQ(events[1].code, SYN_REPORT);
  encodeKey(30, false, events);
  EXPECT_EQ(events[0].value, 0);
}

TEST(UinputKeyboard, RealDevice) {
  std::string problem;
  auto keyboard = UinputKeyboard::open(problem);
  if (!keyboard) GTEST_SKIP() << "skipped: " << problem;
  EXPECT_NE(keyboard->vkKeyScan('a'), key_code::None);
}

TEST(UinputKeyboard, ProblemNamesTheDeviceAndTheRemedy) {
  std::string problem;
  EXPECT_EQ(UinputKeyboard::open(problem, "/nonexistent/uinput"), nullptr);
  EXPECT_EQ(problem.rfind("/nonexistent/uinput cannot be opened (No such file or directory)", 0), 0u) << problem;
  EXPECT_NE(problem.find("modprobe uinput"), std::string::npos);
}

TEST(XkbLayout, SystemConfiguration) {
  char path[] = "/tmp/tavolin-keyboard-XXXXXX";
  const int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  const std::string text = "XKBMODEL=\"pc105\"\nXKBLAYOUT=\"de,us\"\nXKBVARIANT=\"nodeadkeys,\"\nXKBOPTIONS=\"\"\n";
  ASSERT_EQ(write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
  close(fd);
  unsetenv("XKB_DEFAULT_LAYOUT");
  const XkbLayout::Names names = XkbLayout::systemNames(path);
  EXPECT_EQ(names.layout, "de");
  EXPECT_EQ(names.variant, "nodeadkeys");
  EXPECT_EQ(names.model, "pc105");
  setenv("XKB_DEFAULT_LAYOUT", "fr", 1);
  EXPECT_EQ(XkbLayout::systemNames(path).layout, "");  // left to xkbcommon, which reads the variable
  unsetenv("XKB_DEFAULT_LAYOUT");
  unlink(path);
}

}  // namespace
}  // namespace tavolin
