#pragma once

#include <cstdint>

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
};

}  // namespace tavolin
