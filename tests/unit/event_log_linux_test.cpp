// The event entries of the Linux edition.
#include "platform/linux/event_log_linux.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "fakes/memory_text_file.h"

namespace tavolin {
namespace {

// The id first, the message's line end gone and a line end within its texts a blank.
TEST(LinuxEventLog, OneLineAnEntryWithItsId) {
  EXPECT_EQ(LinuxEventLog::entryText(8, {"A", "B", "/dev/ttyUSB0", "EV1 F1\nParameters 12"}),
            "[8] A (B) information of reader connected to /dev/ttyUSB0: EV1 F1 Parameters 12");
}

// An entry that cannot be written is not lost silently: the first failure
// says so in the trace (and on standard error), once.
TEST(LinuxEventLog, UnwritableFileIsReportedOnce) {
  testing::CapturedTrace captured;
  LinuxEventLog log(captured.trace);
  const auto source = log.registerSource("Tavolin");
  ::setenv("TAVOLIN_EVENTLOG", "/nonexistent-folder/events.log", 1);
  for (int entry = 0; entry < 2; ++entry) source->report(EventLog::Type::Error, 10, {"Elvor Tavolin", "V", "maria"});
  ::unsetenv("TAVOLIN_EVENTLOG");
  EXPECT_EQ(captured.text(),
            "Tavolin: the event log file /nonexistent-folder/events.log cannot be written (No such file or "
            "directory); its entries are lost.\n");
}

}  // namespace
}  // namespace tavolin
