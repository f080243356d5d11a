#pragma once

#include <cstdint>
#include <vector>

#include "platform/linux/xkb_layout.h"

namespace tavolin {

// Where the keys of the Linux keyboards go: a press or a release of the key
// with this evdev code.
class KeySink {
 public:
  virtual ~KeySink() = default;
  virtual void key(std::uint32_t evdevCode, bool press) = 0;
};

// Turns the Windows-style key events of the core into presses and releases
// of real keys. SHIFT, CTRL and ALT wait for the key they modify; CTRL and
// ALT together become the level-three shift (AltGr) where the layout has
// one, so that AltGr characters arrive as characters and not as shortcuts.
// Otherwise the events keep the order the core sends them in.
class KeyTranslator {
 public:
  explicit KeyTranslator(KeySink& sink) : m_sink(sink) {}

  void keyEvent(const XkbLayout& layout, std::uint8_t vk, std::uint8_t scan, std::uint32_t flags);

 private:
  enum Modifier : unsigned { Shift = 1, Control = 2, Alt = 4 };
  struct Held {
    std::uint32_t key;
    unsigned owners;  // the modifiers of the core that hold it
  };

  void pressModifiers(const XkbLayout& layout);

  KeySink& m_sink;
  unsigned m_logical = 0;     // modifiers the core holds
  std::vector<Held> m_held;   // real modifier keys pressed, in order
};

}  // namespace tavolin
