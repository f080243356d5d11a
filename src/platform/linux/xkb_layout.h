#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "processing/derived_records.h"

struct xkb_keymap;

namespace tavolin {

// The keyboard layout as Windows' VkKeyScanA would report it: for each
// Windows-1252 character the virtual key of the key that produces it, and
// in the high byte 1 SHIFT, 2 CTRL, 4 ALT, with the third level (AltGr) as
// CTRL + ALT. Keys are named by their Linux (evdev) key codes.
class XkbLayout {
 public:
  struct Names {
    std::string rules, model, layout, variant, options;
  };

  // From an xkbcommon keymap (the X server's or one made from names), with
  // the layout (group) in force.
  explicit XkbLayout(xkb_keymap* keymap, std::uint32_t layoutIndex = 0);
  // From rule names; empty names take xkbcommon's defaults, which follow
  // the XKB_DEFAULT_* variables. Nothing when no keymap can be made.
  static std::unique_ptr<XkbLayout> fromNames(const Names& names);
  // The system's keyboard configuration, /etc/default/keyboard; the
  // XKB_DEFAULT_* variables override it.
  static Names systemNames(const std::string& file = "/etc/default/keyboard");

  KeyCode vkKeyScan(char c) const { return m_byChar[static_cast<unsigned char>(c)]; }
  // The evdev code of the key of a virtual key; 0 when there is none.
  std::uint32_t keyOf(std::uint32_t vk) const { return vk < 256 ? m_keyByVk[vk] : 0; }
  // The evdev code of the key that shifts to the third level (AltGr).
  std::uint32_t levelThreeKey() const { return m_levelThreeKey; }

 private:
  void build(xkb_keymap* keymap, std::uint32_t layoutIndex);

  std::array<KeyCode, 256> m_byChar{};
  std::array<std::uint16_t, 256> m_keyByVk{};
  std::uint32_t m_levelThreeKey = 0;
};

}  // namespace tavolin
