// The Windows keyboard answers with the layout of the system (US here).
#include <gtest/gtest.h>

#include "platform/win32/keyboard_win32.h"

namespace tavolin {
namespace {

TEST(Win32Keyboard, KeyCodesOfTheLayout) {
  Win32Keyboard keyboard;
  EXPECT_EQ(keyboard.vkKeyScan('a'), 0x0041);
  EXPECT_EQ(keyboard.vkKeyScan('A'), 0x0141);
  EXPECT_EQ(keyboard.mapVirtualKey(0x41), 0x1Eu);
  EXPECT_EQ(keyboard.mapVirtualKey(0x0D), 0x1Cu);
}

}  // namespace
}  // namespace tavolin
