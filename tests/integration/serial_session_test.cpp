// Both reader sessions on the edition's real serial port, against
// tavolin-readersim on a pseudo-terminal (see run_with_readersim.sh).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "fakes/session_fixture.h"
#include "platform/platform.h"
#include "readers/ravlink_session.h"
#include "readers/reader_session.h"

namespace tavolin {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

std::string environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

class SerialSessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (device.empty()) GTEST_SKIP() << "run through run_with_readersim.sh";
    simulator("kind active");
    simulator("fault none");
  }

  // The serial driver of wine lacks two things of the Windows driver: it
  // keeps received zero bytes and lets a second opener in.
  static bool driverIsWine() { return !environment("TAVOLIN_SIM_WINE").empty(); }

  // One command line to the simulator; returns once the simulator has
  // taken it up.
  static void simulator(const std::string& line) {
    const std::size_t from = simulatorLog().size();
    std::FILE* file = std::fopen(environment("TAVOLIN_SIM_COMMANDS").c_str(), "a");
    ASSERT_NE(file, nullptr);
    std::fprintf(file, "%s\n", line.c_str());
    std::fclose(file);
    ASSERT_TRUE(simulatorLogged(" cmd " + line + "\n", from)) << line;
  }

  static std::string simulatorLog() {
    std::ifstream log(environment("TAVOLIN_SIM_LOG"), std::ios::binary);
    return {std::istreambuf_iterator<char>(log), {}};
  }

  // Waits until the simulator has logged the text after position from.
  static bool simulatorLogged(const std::string& text, std::size_t from = 0) {
    return testing::waitUntil(
        [&] {
          const std::string log = simulatorLog();
          return log.size() > from && log.find(text, from) != std::string::npos;
        },
        milliseconds(8000));
  }

  // Milliseconds from the first frame the simulator sent after position
  // from to the next acknowledgement it received; -1 when there is none.
  static long long acknowledgedAfterMs(std::size_t from) {
    const std::string log = simulatorLog();
    const std::size_t frame = log.find(" tx 02 ", from);
    const std::size_t ack = frame == std::string::npos ? frame : log.find(" rx 06", frame);
    if (ack == std::string::npos) return -1;
    const auto timeOf = [&log](std::size_t at) { return std::atoll(log.c_str() + log.rfind('\n', at) + 1); };
    return timeOf(ack) - timeOf(frame);
  }

  SessionServices services() {
    return {*system, *ports, sound, eventLog, captured.trace, dataLog, abortEvent, BuildTexts::english()};
  }

  std::unique_ptr<ReaderSession> activeSession(std::int32_t byteStart = 1, std::int32_t length = 8) {
    return std::make_unique<ReaderSession>(services(), device, line, false, false, "", true, byteStart, length, owner);
  }

  std::unique_ptr<RavlinkSession> busSession(bool signaling = true) {
    return std::make_unique<RavlinkSession>(services(), device, signaling, false, "", owner);
  }

  std::string device = environment("TAVOLIN_SIM_DEVICE");
  std::unique_ptr<System> system = makeSystem();
  std::unique_ptr<SerialPorts> ports = makeSerialPorts();
  testing::RecordingSound sound;
  testing::RecordingEventLog eventLog;
  testing::CapturedTrace captured;
  DataLog dataLog{*system, captured.trace};
  AutoResetEvent abortEvent;
  testing::RecordingSessionOwner owner;
  ComSettings line;  // the defaults: 9600 baud, 8 data bits, no parity
};

TEST_F(SerialSessionTest, BurstsOfEveryLength) {
  auto session = activeSession(3, 8);
  simulator("text 12345678");
  ASSERT_TRUE(owner.waitFor("Typed 12345678"));
  session->setTestMode(true);
  simulator("sleep 400");
  simulator("text 1234567890");
  ASSERT_TRUE(owner.waitFor("Shown 12345678"));
  EXPECT_TRUE(owner.waitFor("ShowMessage 4 '' 8 10"));
  simulator("sleep 400");
  simulator("text 12");  // shorter than the start: discarded
  simulator("sleep 400");
  simulator(driverIsWine() ? "card 41 42 43 44" : "card 41 42 00 43 44");  // the line drops zero bytes
  ASSERT_TRUE(owner.waitFor("Shown ABCD" + std::string(4, '\0')));
  EXPECT_TRUE(owner.waitFor("ShowCounter 3 3"));
  session.reset();
  EXPECT_TRUE(captured.contains("bytesRead < m_iByteStart (2 < 3) -> verwerfen"));
}

TEST_F(SerialSessionTest, ContinuousStreamIsCutInto108BytePieces) {
  auto session = activeSession(1, 107);
  std::string card = "card";
  for (int i = 0; i < 250; ++i) card += " 3" + std::to_string(i % 10);
  simulator(card);
  ASSERT_TRUE(owner.waitFor("ShowCounter 3 3"));
  session.reset();
  EXPECT_TRUE(captured.contains("bytesRead != m_iByteStop: 108 != 107"));
  EXPECT_TRUE(captured.contains("bytesRead != m_iByteStop: 34 != 107"));
}

// The cadence of an idle line: a zero byte after every empty read of
// 2260 ms; a stop ends the idle read at once.
TEST_F(SerialSessionTest, IdleCadenceAndStop) {
  const std::size_t from = simulatorLog().size();
  auto session = activeSession();
  ASSERT_TRUE(simulatorLogged("rx 00", from));
  const Clock::time_point first = Clock::now();
  const std::size_t after = simulatorLog().size();
  ASSERT_TRUE(simulatorLogged("rx 00", after));
  const auto period = std::chrono::duration_cast<milliseconds>(Clock::now() - first).count();
  EXPECT_NEAR(period, 2260, 2260 * 0.15);
  const Clock::time_point stop = Clock::now();
  session.reset();
  EXPECT_LT(std::chrono::duration_cast<milliseconds>(Clock::now() - stop).count(), 500);
  EXPECT_TRUE(captured.contains("ReaderSession::cancelSession(): Exit code of thread: 0\n"));
  EXPECT_FALSE(abortEvent.tryTake());
}

TEST_F(SerialSessionTest, SecondOpenerIsBusyAndAMissingPortNotFound) {
  using Error = ReaderSession::ReaderSessionError;
  if (!driverIsWine()) {  // wine's serial driver shares ports
    auto session = activeSession();
    EXPECT_EQ(testing::errorOf<Error>([&] { activeSession(); }), " COM port busy.");
  }
  device = ports->devicePath("250");
  EXPECT_EQ(testing::errorOf<Error>([&] { activeSession(); }), " COM port not found.");
}

TEST_F(SerialSessionTest, BusReaderIdentifiedAndReadings) {
  simulator("kind bus");
  simulator("type H");
  simulator("info V3");
  simulator("param 777");
  auto session = busSession();
  EXPECT_EQ(owner.calls().at(0), "ShowMessage 5 'Hitag V3\nParameterization 777' 0 0");
  const std::size_t from = simulatorLog().size();
  simulator("frame a;b;c;d;e;12345678*");
  ASSERT_TRUE(owner.waitFor("Typed 12345678"));
  // The signalling request, framed, after the reading's acknowledgement.
  EXPECT_TRUE(simulatorLogged("02 00 08 1b 62 31 3b 31 3b 31 2a 03", from));
  // The frame is taken as soon as it is whole, not once the line is quiet.
  const long long acknowledged = acknowledgedAfterMs(from);
  EXPECT_GE(acknowledged, 0);
  EXPECT_LT(acknowledged, 100);
  simulator("fault split");
  simulator("frame 1;2;3;4;5;X*");
  ASSERT_TRUE(owner.waitFor("Typed X"));
  simulator("fault checksum");
  simulator("frame Z*");
  ASSERT_TRUE(owner.waitFor("Typed Z"));
  EXPECT_TRUE(owner.waitFor("ShowCounter 3 3"));
  // Each next frame comes right after our acknowledgement, while the reader
  // is being asked to signal the last one.
  simulator("queue Q1* | Q2* | Q3* | Q4* | Q5*");
  ASSERT_TRUE(owner.waitFor("Typed Q5"));
  // Two frames in one write: the second is still waiting when the request
  // is to be sent, and is read after the request's acknowledgement.
  simulator("frames C* | D*");
  ASSERT_TRUE(owner.waitFor("Typed C"));
  ASSERT_TRUE(owner.waitFor("Typed D"));
  EXPECT_TRUE(owner.waitFor("ShowCounter 3 10"));
  session.reset();
  EXPECT_FALSE(abortEvent.tryTake());
}

TEST_F(SerialSessionTest, BusSessionWithoutReaderFails) {
  const Clock::time_point start = Clock::now();
  EXPECT_EQ(testing::errorOf<RavlinkSession::RavlinkSessionError>([&] { busSession(); }), " No Ravlink reader?");
  const auto took = std::chrono::duration_cast<milliseconds>(Clock::now() - start).count();
  EXPECT_NEAR(took, 3140, 3140 * 0.15);
}

}  // namespace
}  // namespace tavolin
