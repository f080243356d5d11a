#pragma once

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "fakes/shared.h"
#include "processing/us_layout_keyboard.h"

namespace tavolin::testing {

// A US-layout keyboard that records the events it is sent; overrides give single characters other key
// codes (other layouts; set before typing starts). The reading thread types while the test looks.
class RecordingKeyboard : public Keyboard {
 public:
  struct Event {
    std::uint8_t vk;
    std::uint8_t scan;
    std::uint32_t flags;
  };

  KeyCode vkKeyScan(char c) override {
    const auto it = overrides.find(c);
    return it != overrides.end() ? it->second : m_layout.vkKeyScan(c);
  }
  std::uint32_t mapVirtualKey(std::uint32_t vk) override { return m_layout.mapVirtualKey(vk); }
  void keyEvent(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags) override {
    m_events.change([&](std::vector<Event>& events) { events.push_back({vk, scan, flags}); });
  }
  void refreshLayout() override {
    m_refreshes.change([](int& count) { ++count; });
  }

  std::vector<Event> events() const { return m_events.copy(); }
  int refreshes() const { return m_refreshes.copy(); }
  void clear() {
    m_events.change([](std::vector<Event>& events) { events.clear(); });
  }

  // The events as a line: "+41" for a press of virtual key 0x41, "-41" for its release.
  std::string keys() const {
    std::string result;
    for (const Event& e : events()) {
      char text[8];
      std::snprintf(text, sizeof text, "%s%c%02X", result.empty() ? "" : " ", e.flags ? '-' : '+', e.vk);
      result += text;
    }
    return result;
  }

  // What a US-layout user sees typed: characters with their SHIFT state, <NAME> for keys without
  // one, any key with CTRL or ALT held as <CTRL+ALT+KEY>.
  std::string typed() const {
    static const std::map<std::uint8_t, std::string> names = {
        {0x08, "BS"}, {0x09, "TAB"}, {0x0A, "0A"}, {0x0D, "CR"}, {0x1B, "ESC"}, {0x70, "F1"}, {0x71, "F2"},
        {0x72, "F3"}, {0x73, "F4"},  {0x74, "F5"}, {0x75, "F6"}, {0x76, "F7"},  {0x77, "F8"}, {0xFF, "FF"}};
    std::string result;
    bool shift = false, ctrl = false, alt = false;
    for (const Event& e : events()) {
      const bool down = e.flags == KeyDown;
      if (e.vk == key_code::VkShift) shift = down;
      if (e.vk == key_code::VkControl) ctrl = down;
      if (e.vk == key_code::VkMenu) alt = down;
      if (!down || (e.vk >= key_code::VkShift && e.vk <= key_code::VkMenu)) continue;
      const auto name = names.find(e.vk);
      std::string key = name != names.end() ? name->second : std::string(1, characterOf(e.vk, shift));
      if (name != names.end() && shift) key = "SHIFT+" + key;
      if (alt) key = "ALT+" + key;
      if (ctrl) key = "CTRL+" + key;
      result += key.size() == 1 ? key : "<" + key + ">";
    }
    return result;
  }

  std::map<char, KeyCode> overrides;

 private:
  char characterOf(std::uint8_t vk, bool shift) const {
    const KeyCode code = static_cast<KeyCode>(vk | (shift ? key_code::ShiftBit : 0));
    for (int c = 0x20; c < 0x7F; ++c) {
      if (m_layout.vkKeyScan(static_cast<char>(c)) == code) return static_cast<char>(c);
    }
    return '#';
  }

  mutable UsLayoutKeyboard m_layout;
  Shared<std::vector<Event>> m_events;
  Shared<int> m_refreshes;
};

}  // namespace tavolin::testing
