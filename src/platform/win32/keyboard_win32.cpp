#include "platform/win32/keyboard_win32.h"

#include <windows.h>

namespace tavolin {

KeyCode Win32Keyboard::vkKeyScan(char c) { return static_cast<KeyCode>(VkKeyScanA(c)); }

std::uint32_t Win32Keyboard::mapVirtualKey(std::uint32_t vk) { return MapVirtualKeyA(vk, 0); }

void Win32Keyboard::keyEvent(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags) {
  keybd_event(vk, scan, flags, 0);
}

}  // namespace tavolin
