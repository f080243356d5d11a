#include "platform/linux/xkb_layout.h"

#include <xkbcommon/xkbcommon.h>

#include <cstdlib>
#include <fstream>
#include <map>

#include "text/cp1252.h"

namespace tavolin {

namespace {

constexpr xkb_keycode_t kEvdevOffset = 8;

// Windows virtual keys of the keys that carry neither a letter nor a digit,
// by their position (evdev code), as the US layout names them.
const std::map<std::uint32_t, std::uint8_t> kUsPositions = {
    {1, 0x1B},  {12, 0xBD}, {13, 0xBB}, {14, 0x08}, {15, 0x09}, {26, 0xDB}, {27, 0xDD}, {28, 0x0D},
    {29, 0x11}, {39, 0xBA}, {40, 0xDE}, {41, 0xC0}, {42, 0x10}, {43, 0xDC}, {51, 0xBC}, {52, 0xBE},
    {53, 0xBF}, {54, 0x10}, {55, 0x6A}, {56, 0x12}, {57, 0x20}, {58, 0x14}, {59, 0x70}, {60, 0x71},
    {61, 0x72}, {62, 0x73}, {63, 0x74}, {64, 0x75}, {65, 0x76}, {66, 0x77}, {67, 0x78}, {68, 0x79},
    {71, 0x67}, {72, 0x68}, {73, 0x69}, {74, 0x6D}, {75, 0x64}, {76, 0x65}, {77, 0x66}, {78, 0x6B},
    {79, 0x61}, {80, 0x62}, {81, 0x63}, {82, 0x60}, {83, 0x6E}, {86, 0xE2}, {87, 0x7A}, {88, 0x7B},
    {96, 0x0D}, {97, 0x11}, {98, 0x6F}, {100, 0x12},
};

// The German layouts name some of those keys otherwise.
const std::map<std::uint32_t, std::uint8_t> kGermanPositions = {
    {12, 0xDB}, {13, 0xDD}, {26, 0xBA}, {27, 0xBB}, {39, 0xC0}, {40, 0xDE},
    {41, 0xDC}, {43, 0xBF}, {51, 0xBC}, {52, 0xBE}, {53, 0xBD}, {86, 0xE2},
};

// Keys whose characters stand on other keys too: the keypad, and the extra
// key of 102-key keyboards (its "<" is Shift + comma on the US layout).
bool isSecondary(std::uint32_t evdev) {
  return (evdev >= 71 && evdev <= 83) || evdev == 55 || evdev == 96 || evdev == 98 || evdev == 86;
}

char32_t baseCharacter(xkb_keymap* keymap, xkb_keycode_t key, xkb_layout_index_t layout) {
  const xkb_keysym_t* syms = nullptr;
  if (xkb_keymap_key_get_syms_by_level(keymap, key, layout, 0, &syms) < 1) return 0;
  return xkb_keysym_to_utf32(syms[0]);
}

std::string readConfiguration(const std::string& file, const char* variable) {
  std::ifstream in(file);
  const std::string prefix = std::string(variable) + "=";
  for (std::string line; std::getline(in, line);) {
    if (line.rfind(prefix, 0) != 0) continue;
    std::string value = line.substr(prefix.size());
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'')) value = value.substr(1, value.size() - 2);
    return value;
  }
  return {};
}

}  // namespace

XkbLayout::XkbLayout(xkb_keymap* keymap, std::uint32_t layoutIndex) { build(keymap, layoutIndex); }

std::unique_ptr<XkbLayout> XkbLayout::fromNames(const Names& names) {
  xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
  if (!context) return nullptr;
  const auto orNull = [](const std::string& s) { return s.empty() ? nullptr : s.c_str(); };
  const xkb_rule_names rules{orNull(names.rules), orNull(names.model), orNull(names.layout), orNull(names.variant),
                             orNull(names.options)};
  xkb_keymap* keymap = xkb_keymap_new_from_names(context, &rules, XKB_KEYMAP_COMPILE_NO_FLAGS);
  xkb_context_unref(context);
  if (!keymap) return nullptr;
  auto layout = std::make_unique<XkbLayout>(keymap);
  xkb_keymap_unref(keymap);
  return layout;
}

XkbLayout::Names XkbLayout::systemNames(const std::string& file) {
  Names names;
  // The variables win over the file; xkbcommon reads them itself for the
  // names left empty.
  const auto pick = [&](const char* variable, const char* key) {
    const char* value = std::getenv(variable);
    return value && *value ? std::string() : readConfiguration(file, key);
  };
  names.model = pick("XKB_DEFAULT_MODEL", "XKBMODEL");
  names.layout = pick("XKB_DEFAULT_LAYOUT", "XKBLAYOUT");
  names.variant = pick("XKB_DEFAULT_VARIANT", "XKBVARIANT");
  names.options = pick("XKB_DEFAULT_OPTIONS", "XKBOPTIONS");
  // Only the first layout of a list is used.
  for (std::string* list : {&names.layout, &names.variant}) list->erase(std::min(list->find(','), list->size()));
  return names;
}

void XkbLayout::build(xkb_keymap* keymap, std::uint32_t layout) {
  if (layout >= xkb_keymap_num_layouts(keymap)) layout = 0;
  const char* name = xkb_keymap_layout_get_name(keymap, layout);
  const bool german = name && std::string(name).rfind("German", 0) == 0;

  // The modifiers of the levels: Shift, Control, Alt (Mod1) and the real
  // modifier that the level-three shift sets.
  const auto modBit = [keymap](const char* mod) -> xkb_mod_mask_t {
    const xkb_mod_index_t index = xkb_keymap_mod_get_index(keymap, mod);
    return index == XKB_MOD_INVALID ? 0 : 1u << index;
  };
  const xkb_mod_mask_t shift = modBit(XKB_MOD_NAME_SHIFT), control = modBit(XKB_MOD_NAME_CTRL),
                       alt = modBit(XKB_MOD_NAME_ALT);
  // The key that shifts to the third level, AltGr: the right Alt key where
  // it does, else another key a keyboard has. Without one, the characters
  // of the third level cannot be typed and are not offered.
  xkb_mod_mask_t levelThree = 0;
  constexpr std::uint32_t kVirtualLevelThree = 84;  // <LVL3>: on no keyboard
  for (xkb_keycode_t key = xkb_keymap_min_keycode(keymap); key <= xkb_keymap_max_keycode(keymap); ++key) {
    const xkb_keysym_t* syms = nullptr;
    if (key - kEvdevOffset == kVirtualLevelThree ||
        xkb_keymap_key_get_syms_by_level(keymap, key, layout, 0, &syms) < 1 || syms[0] != XKB_KEY_ISO_Level3_Shift) {
      continue;
    }
    if (m_levelThreeKey == 0 || key - kEvdevOffset == 100) m_levelThreeKey = key - kEvdevOffset;
    xkb_state* state = xkb_state_new(keymap);
    xkb_state_update_key(state, key, XKB_KEY_DOWN);
    levelThree = xkb_state_serialize_mods(state, XKB_STATE_MODS_EFFECTIVE);
    xkb_state_unref(state);
  }
  const auto bitsOf = [&](xkb_mod_mask_t mask) -> int {
    if (mask & ~(shift | control | alt | levelThree)) return -1;  // Caps Lock, Num Lock and the like
    int bits = 0;
    if (mask & shift) bits |= 1;
    if (mask & control) bits |= 2;
    if (mask & alt) bits |= 4;
    if (levelThree && (mask & levelThree) == levelThree) bits |= 6;
    return bits;
  };

  // The virtual key of every key.
  std::array<std::uint8_t, 256> vkOfKey{};
  for (xkb_keycode_t key = xkb_keymap_min_keycode(keymap); key <= xkb_keymap_max_keycode(keymap) && key < 256; ++key) {
    const std::uint32_t evdev = key - kEvdevOffset;
    const char32_t base = baseCharacter(keymap, key, layout);
    std::uint8_t vk = 0;
    if (base >= 'a' && base <= 'z') {
      vk = static_cast<std::uint8_t>(base - 'a' + 'A');
    } else if ((base >= 'A' && base <= 'Z') || (base >= '0' && base <= '9')) {
      vk = static_cast<std::uint8_t>(base);
    } else if (evdev >= 2 && evdev <= 11) {
      vk = static_cast<std::uint8_t>(evdev == 11 ? '0' : '0' + evdev - 1);  // the digit row, whatever it carries
    } else if (const auto g = kGermanPositions.find(evdev); german && g != kGermanPositions.end()) {
      vk = g->second;
    } else if (const auto u = kUsPositions.find(evdev); u != kUsPositions.end()) {
      vk = u->second;
    }
    vkOfKey[key] = vk;
    if (vk && !m_keyByVk[vk]) m_keyByVk[vk] = static_cast<std::uint16_t>(evdev);
  }

  // Each character from the first key and level that produce it: plain
  // before shifted before AltGr, the main keys before the secondary ones.
  m_byChar.fill(key_code::None);
  for (const bool secondary : {false, true}) {
    for (xkb_level_index_t level = 0; level < 4; ++level) {
      for (xkb_keycode_t key = xkb_keymap_min_keycode(keymap); key <= xkb_keymap_max_keycode(keymap) && key < 256;
           ++key) {
        if (!vkOfKey[key] || isSecondary(key - kEvdevOffset) != secondary) continue;
        if (level >= xkb_keymap_num_levels_for_key(keymap, key, layout)) continue;
        const xkb_keysym_t* syms = nullptr;
        if (xkb_keymap_key_get_syms_by_level(keymap, key, layout, level, &syms) != 1) continue;
        const int byte = cp1252FromCodePoint(xkb_keysym_to_utf32(syms[0]));
        if (byte < 0x20 || byte == 0x7F || m_byChar[static_cast<std::size_t>(byte)] != key_code::None) continue;
        xkb_mod_mask_t masks[8];
        const std::size_t count = xkb_keymap_key_get_mods_for_level(keymap, key, layout, level, masks, 8);
        for (std::size_t i = 0; i < count; ++i) {
          const int bits = bitsOf(masks[i]);
          if (bits < 0) continue;
          m_byChar[static_cast<std::size_t>(byte)] = static_cast<KeyCode>(bits << 8 | vkOfKey[key]);
          break;
        }
      }
    }
  }

  // Control characters, as Windows: Backspace, Tab, Enter and Escape
  // plain, line feed as CTRL + Enter, the others CTRL + their letter.
  for (unsigned c = 1; c <= 0x1A; ++c) m_byChar[c] = static_cast<KeyCode>(key_code::CtrlBit | ('A' + c - 1));
  for (const unsigned c : {0x08u, 0x09u, 0x0Du, 0x1Bu}) m_byChar[c] = static_cast<KeyCode>(c);
  m_byChar[0x0A] = key_code::CtrlBit | 0x0D;
}

}  // namespace tavolin
