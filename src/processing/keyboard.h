#pragma once

#include <cstdint>
#include <string_view>

#include "processing/derived_records.h"

namespace tavolin {

// The system's keyboard, in the terms of the Windows keyboard functions.
class Keyboard {
 public:
  static constexpr std::uint32_t KeyDown = 0;
  static constexpr std::uint32_t KeyUp = 2;

  virtual ~Keyboard() = default;

  // Called before a batch of vkKeyScan calls (the additional characters,
  // one reading), so that a keyboard that models the layout can take the
  // layout in force now, once per batch rather than per character.
  virtual void refreshLayout() {}

  // The key that produces the Windows-1252 character on the current layout,
  // or key_code::None.
  virtual KeyCode vkKeyScan(char c) = 0;

  // The hardware scan code of the virtual key.
  virtual std::uint32_t mapVirtualKey(std::uint32_t vk) = 0;

  // Injects one press (KeyDown) or release (KeyUp) into the focused window.
  virtual void keyEvent(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags) = 0;

  // Called after the last key event of one reading with what those events
  // typed: characters as themselves ("<" as "<<"), special keys by their
  // token ("<TAB>12345678<CR>").
  virtual void sequenceTyped(std::string_view typed) { (void)typed; }

  // False for a keyboard that sends its key events nowhere (none could be
  // had): what it was given was not typed.
  virtual bool sendsKeys() const { return true; }
};

}  // namespace tavolin
