// The event entries of the Linux edition.
#include "platform/linux/event_log_linux.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "fakes/memory_text_file.h"

namespace tavolin {
namespace {

TEST(LinuxEventLog, OneLineAnEntryWithItsId) {
  EXPECT_EQ(LinuxEventLog::entryText(8, {"Elvor Tavolin", "Version 2.10.00", "/dev/ttyUSB0",
                                         "Mifare DESFire EV1 F1\nParameterization 12345"}),
            "[8] Elvor Tavolin (Version 2.10.00) information of reader connected to /dev/ttyUSB0: Mifare DESFire EV1 "
            "F1 Parameterization 12345");
}

// An entry that cannot be written is not lost silently: the first failure
// says so in the trace (and on standard error), once.
TEST(LinuxEventLog, UnwritableFileIsReportedOnce) {
  testing::CapturedTrace captured;
  LinuxEventLog log(captured.trace);
  const auto source = log.registerSource("Tavolin");
  ::setenv("TAVOLIN_EVENTLOG", "/nonexistent-folder/events.log", 1);
  source->report(EventLog::Type::Error, 10, {"Elvor Tavolin", "Version 2.10.00", "maria", "/dev/ttyUSB0"});
  source->report(EventLog::Type::Error, 10, {"Elvor Tavolin", "Version 2.10.00", "maria", "/dev/ttyUSB0"});
  ::unsetenv("TAVOLIN_EVENTLOG");
  EXPECT_EQ(captured.text(),
            "Tavolin: the event log file /nonexistent-folder/events.log cannot be written (No such file or "
            "directory); its entries are lost.\n");
}

}  // namespace
}  // namespace tavolin
