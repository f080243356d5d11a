#pragma once

#include "processing/keyboard.h"
#include "services/text_file.h"

namespace tavolin {

// A deterministic keyboard with the Windows US layout. It types nothing;
// when given a file it prints each key event as one line
// "down 0xVK 0xSCAN" or "up 0xVK 0xSCAN", written and flushed at once.
class UsLayoutKeyboard : public Keyboard {
 public:
  explicit UsLayoutKeyboard(TextFile* printTo = nullptr) : m_pOut(printTo) {}

  KeyCode vkKeyScan(char c) override;
  std::uint32_t mapVirtualKey(std::uint32_t vk) override;
  void keyEvent(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags) override;

 private:
  TextFile* m_pOut;
};

}  // namespace tavolin
