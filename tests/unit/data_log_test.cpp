#include "services/data_log.h"

#include <gtest/gtest.h>

#include "fakes/fake_system.h"

namespace tavolin {
namespace {

// Files are named after the start and rotate after 2000 lines, numbers
// growing past two digits. A name too long is refused rather than cut; a
// file that cannot be opened stops data logging until the next start.
TEST(DataLogTest, FilesRotateAfter2000LinesAndOneThatCannotBeWrittenIsSaidOnce) {
  testing::FakeSystem system;
  testing::CapturedTrace captured;
  DataLog dataLog{system, captured.trace};
  system.environment["APPDATA"] = "C:\\Users\\u\\AppData";
  const std::string folder = "C:\\Users\\u\\AppData\\TavolinLog",
                    firstFile = folder + "\\Datalog20140512_08_03_07-01.txt";
  system.directories.insert(folder);
  setUpTraceAndDataLog(system, captured.trace, dataLog);
  ASSERT_TRUE(dataLog.isOpen());
  system.now = {2014, 2, 1, 9, 5, 3};
  for (int i = 0; i < 2001; ++i) dataLog.writeReading("12345678");
  const std::string line = "01.02.2014 09:05:03: data: 12345678\n";
  std::string twoThousand;
  for (int i = 0; i < 2000; ++i) twoThousand += line;
  EXPECT_EQ(system.content(firstFile), twoThousand);
  EXPECT_EQ(system.content(folder + "\\Datalog20140512_08_03_07-02.txt"), line);
  EXPECT_EQ(dataLog.lines(), 1);
  for (int i = 2001; i < 99 * 2000; ++i) dataLog.writeReading("1");
  EXPECT_EQ(system.opened().back(), folder + "\\Datalog20140512_08_03_07-100.txt");

  testing::FakeSystem other;
  DataLog refused{other, captured.trace};
  other.readOnly.insert(firstFile);
  for (const std::string& where : {"C:\\" + std::string(70, 'x') + "\\TavolinLog", folder}) {
    captured.clear();
    refused.start(where, {2014, 5, 12, 8, 3, 7});
    EXPECT_FALSE(refused.isOpen());
    EXPECT_EQ(captured.text(), "Logfile " + where + "\\Datalog20140512_08_03_07-01.txt cannot be written.\n");
    for (int i = 0; i < 2500; ++i) refused.writeReading("1");
  }
  EXPECT_EQ(other.opened(), std::vector<std::string>{firstFile});
}

// The trace file and the data log folder in the application-data folder
// switch them on.
TEST(DataLogSetUp, TraceAndLogAreSwitchedOnByWhatExists) {
  const std::string appData = "C:\\Users\\u\\AppData", tracePath = appData + "\\TavolinTrace.txt";
  const struct {
    bool appData, traceFile, traceReadOnly, logFolder;
    TraceSetUp result;
    bool traceOn, logOpen;
    const char* traceText;
  } cases[] = {
      {true, false, false, false, TraceSetUp::Off, false, false, "<none>"},
      {true, false, false, true, TraceSetUp::Off, false, true, "<none>"},
      {true, true, false, true, TraceSetUp::On, true, true, "Logging data starts.\n"},
      {true, true, false, false, TraceSetUp::On, true, false, "Directory to create log files does not exist.\n"},
      {true, true, true, false, TraceSetUp::NotWritable, false, false, "old trace"},
      {false, true, false, true, TraceSetUp::Off, false, false, "old trace"},  // no application-data folder
  };
  for (const auto& c : cases) {
    testing::FakeSystem system;
    if (c.appData) system.environment["APPDATA"] = appData;
    if (c.traceFile) system.addFile(tracePath, "old trace");
    if (c.traceReadOnly) system.readOnly.insert(tracePath);
    if (c.logFolder) system.directories.insert(appData + "\\TavolinLog");
    Trace trace;
    DataLog log(system, trace);
    EXPECT_EQ(setUpTraceAndDataLog(system, trace, log), c.result) << &c - cases;
    EXPECT_EQ(std::make_pair(trace.isOn(), log.isOpen()), std::make_pair(c.traceOn, c.logOpen)) << &c - cases;
    EXPECT_EQ(system.hasFile(tracePath) ? system.content(tracePath) : "<none>", c.traceText) << &c - cases;
  }
}

}  // namespace
}  // namespace tavolin
