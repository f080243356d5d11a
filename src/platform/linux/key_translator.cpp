#include "platform/linux/key_translator.h"

#include <algorithm>

namespace tavolin {

namespace {

constexpr std::uint8_t kVkShift = 0x10, kVkControl = 0x11, kVkMenu = 0x12;

}  // namespace

void KeyTranslator::pressModifiers(const XkbLayout& layout) {
  const auto hold = [&](std::uint32_t key, unsigned owners) {
    if (key == 0) return;
    for (const Held& held : m_held) {
      if (held.key == key) return;
    }
    m_sink.key(key, true);
    m_held.push_back({key, owners});
  };
  if (m_logical & Shift) hold(layout.keyOf(kVkShift), Shift);
  const bool altGr = (m_logical & Control) && (m_logical & Alt) && layout.levelThreeKey() != 0;
  if (altGr) {
    hold(layout.levelThreeKey(), Control | Alt);
  } else {
    if (m_logical & Control) hold(layout.keyOf(kVkControl), Control);
    if (m_logical & Alt) hold(layout.keyOf(kVkMenu), Alt);
  }
}

void KeyTranslator::keyEvent(const XkbLayout& layout, std::uint8_t vk, std::uint8_t scan, std::uint32_t flags) {
  const bool press = (flags & 2) == 0;
  const unsigned modifier = vk == kVkShift     ? Shift
                            : vk == kVkControl ? Control
                            : vk == kVkMenu    ? Alt
                                               : 0u;
  if (modifier && press) {
    m_logical |= modifier;
    return;
  }
  if (modifier) {
    // The key goes up with the first of the modifiers that hold it.
    m_logical &= ~modifier;
    const auto held = std::find_if(m_held.begin(), m_held.end(), [&](const Held& h) { return h.owners & modifier; });
    if (held != m_held.end()) {
      m_sink.key(held->key, false);
      m_held.erase(held);
    }
    return;
  }
  if (scan == 0) return;  // no key of this layout
  if (press) pressModifiers(layout);
  m_sink.key(scan, press);
}

}  // namespace tavolin
