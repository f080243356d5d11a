// The event entries of the Linux edition.
#include "platform/linux/event_log_linux.h"

#include <gtest/gtest.h>

namespace tavolin {
namespace {

TEST(LinuxEventLog, OneLineAnEntryWithItsId) {
  EXPECT_EQ(LinuxEventLog::entryText(8, {"Elvor Tavolin", "Version 2.10.00", "/dev/ttyUSB0",
                                         "Mifare DESFire EV1 F1\nParameterization 12345"}),
            "[8] Elvor Tavolin (Version 2.10.00) information of reader connected to /dev/ttyUSB0: Mifare DESFire EV1 "
            "F1 Parameterization 12345");
}

}  // namespace
}  // namespace tavolin
