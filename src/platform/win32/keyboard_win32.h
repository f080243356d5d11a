#pragma once

#include "processing/keyboard.h"

namespace tavolin {

// The Windows keyboard: the layout of the focused thread, events into the
// system's input.
class Win32Keyboard : public Keyboard {
 public:
  KeyCode vkKeyScan(char c) override;
  std::uint32_t mapVirtualKey(std::uint32_t vk) override;
  void keyEvent(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags) override;
};

}  // namespace tavolin
