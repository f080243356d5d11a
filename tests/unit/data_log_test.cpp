#include "services/data_log.h"

#include <gtest/gtest.h>

#include "fakes/fake_system.h"

namespace tavolin {
namespace {

class DataLogTest : public ::testing::Test {
 protected:
  DataLogTest() { system.environment["APPDATA"] = "C:\\Users\\u\\AppData"; }

  testing::FakeSystem system;
  testing::CapturedTrace captured;
  DataLog dataLog{system, captured.trace};
  const std::string folder = "C:\\Users\\u\\AppData\\TavolinLog";
  const std::string firstFile = folder + "\\Datalog20140512_08_03_07-01.txt";
};

TEST_F(DataLogTest, FilesAreNamedAfterTheStartAndRotateAfter2000Lines) {
  system.directories.insert(folder);
  ASSERT_EQ(setUpTraceAndDataLog(system, captured.trace, dataLog), TraceSetUp::Off);
  ASSERT_TRUE(dataLog.isOpen());
  system.now = {2014, 2, 1, 9, 5, 3};
  for (int i = 0; i < 2001; ++i) dataLog.writeReading("12345678");

  const std::string line = "01.02.2014 09:05:03: data: 12345678\n";
  std::string twoThousand;
  for (int i = 0; i < 2000; ++i) twoThousand += line;
  EXPECT_EQ(system.content(firstFile), twoThousand);
  EXPECT_EQ(system.content(folder + "\\Datalog20140512_08_03_07-02.txt"), line);
  EXPECT_EQ(dataLog.lines(), 1);
}

TEST_F(DataLogTest, NumbersGrowPastTwoDigits) {
  dataLog.start(folder, {2014, 5, 12, 8, 3, 7});
  for (int i = 0; i < 99 * 2000; ++i) dataLog.writeReading("1");
  EXPECT_EQ(system.opened.back(), folder + "\\Datalog20140512_08_03_07-100.txt");
}

TEST_F(DataLogTest, TooLongNameIsRefusedNotCut) {
  const std::string longFolder = "C:\\" + std::string(70, 'x') + "\\TavolinLog";
  dataLog.start(longFolder, {2014, 5, 12, 8, 3, 7});
  EXPECT_FALSE(dataLog.isOpen());
  EXPECT_TRUE(system.opened.empty());
  EXPECT_EQ(captured.text(), "Logfile " + longFolder + "\\Datalog20140512_08_03_07-01.txt cannot be written.\n");
  dataLog.writeReading("1");  // nothing, no crash
}

TEST_F(DataLogTest, FailedOpeningStopsDataLogging) {
  system.readOnly.insert(firstFile);
  dataLog.start(folder, {2014, 5, 12, 8, 3, 7});
  EXPECT_FALSE(dataLog.isOpen());
  EXPECT_EQ(captured.text(), "Logfile " + firstFile + " cannot be written.\n");
  for (int i = 0; i < 2500; ++i) dataLog.writeReading("1");
  EXPECT_EQ(system.opened.size(), 1u);
}

TEST_F(DataLogTest, TraceAndLogAreSwitchedOnByWhatExists) {
  const std::string tracePath = "C:\\Users\\u\\AppData\\TavolinTrace.txt";
  Trace trace;
  {
    DataLog log(system, trace);
    EXPECT_EQ(setUpTraceAndDataLog(system, trace, log), TraceSetUp::Off);
    EXPECT_FALSE(trace.isOn());
    EXPECT_FALSE(log.isOpen());
    EXPECT_TRUE(system.opened.empty());  // no trace file is made
  }
  system.addFile(tracePath, "old trace");
  system.directories.insert(folder);
  {
    DataLog log(system, trace);
    EXPECT_EQ(setUpTraceAndDataLog(system, trace, log), TraceSetUp::On);
    EXPECT_TRUE(trace.isOn());
    EXPECT_TRUE(log.isOpen());
    EXPECT_EQ(system.content(tracePath), "Logging data starts.\n");
  }
}

TEST_F(DataLogTest, MissingFolderIsTraced) {
  const std::string tracePath = "C:\\Users\\u\\AppData\\TavolinTrace.txt";
  system.addFile(tracePath);
  Trace trace;
  DataLog log(system, trace);
  setUpTraceAndDataLog(system, trace, log);
  EXPECT_EQ(system.content(tracePath), "Directory to create log files does not exist.\n");
}

TEST_F(DataLogTest, TraceFileThatCannotBeRewritten) {
  const std::string tracePath = "C:\\Users\\u\\AppData\\TavolinTrace.txt";
  system.addFile(tracePath);
  system.readOnly.insert(tracePath);
  Trace trace;
  DataLog log(system, trace);
  EXPECT_EQ(setUpTraceAndDataLog(system, trace, log), TraceSetUp::NotWritable);
  EXPECT_FALSE(trace.isOn());
}

TEST_F(DataLogTest, WithoutApplicationDataFolderNothingIsUsed) {
  system.environment.clear();
  system.directories.insert(folder);
  Trace trace;
  DataLog log(system, trace);
  EXPECT_EQ(setUpTraceAndDataLog(system, trace, log), TraceSetUp::Off);
  EXPECT_FALSE(log.isOpen());
}

}  // namespace
}  // namespace tavolin
