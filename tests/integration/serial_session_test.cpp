// Both reader sessions on the edition's real serial port, against
// tavolin-readersim on a pseudo-terminal (see run_with_readersim.sh): what
// only the real port shows, its timing and its pieces.
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

// The fixture's fakes but for the edition's own system and serial ports.
struct SerialSessionTest : ::testing::Test, testing::SessionFixture {
  void SetUp() override {
    if (device.empty()) GTEST_SKIP() << "run through run_with_readersim.sh";
    simulator("kind active");
  }
  static std::string simulatorLog() {
    std::ifstream log(environment("TAVOLIN_SIM_LOG"), std::ios::binary);
    return {std::istreambuf_iterator<char>(log), {}};
  }
  // Waits until the simulator has logged the text after position from.
  static bool simulatorLogged(const std::string& text, std::size_t from) {
    return testing::waitUntil([&] { return simulatorLog().find(text, from) != std::string::npos; }, milliseconds(8000));
  }
  // One command line to the simulator; returns once the simulator has taken it up.
  static void simulator(const std::string& line) {
    const std::size_t from = simulatorLog().size();
    std::FILE* file = std::fopen(environment("TAVOLIN_SIM_COMMANDS").c_str(), "a");
    ASSERT_NE(file, nullptr);
    std::fprintf(file, "%s\n", line.c_str());
    std::fclose(file);
    ASSERT_TRUE(simulatorLogged(" cmd " + line + "\n", from)) << line;
  }
  SessionServices services() { return SessionFixture::services(*realSystem, *realPorts); }
  std::unique_ptr<ReaderSession> activeSession(std::int32_t length = 8) {
    return std::make_unique<ReaderSession>(services(), device, ComSettings{}, false, false, "", true, 1, length, owner);
  }

  std::string device = environment("TAVOLIN_SIM_DEVICE");
  std::unique_ptr<System> realSystem = makeSystem();
  std::unique_ptr<SerialPorts> realPorts = makeSerialPorts();
};

// Without a bus reader the identification waits its 3140 ms. A continuous
// stream arrives in buffer-sized pieces of 108 bytes. An open port is busy
// for a second opener (wine's serial driver shares ports), a missing one not
// found; an idle line gets a zero byte after every empty read of 2260 ms, and
// a stop ends the idle read at once. A bus reader's frame is taken as soon as
// it is whole, not once the line is quiet.
TEST_F(SerialSessionTest, TimingAndPiecesOfTheRealPort) {
  Clock::time_point start = Clock::now();
  EXPECT_EQ(testing::errorOf<RavlinkSession::RavlinkSessionError>(
                [&] { RavlinkSession session(services(), device, true, false, "", owner); }),
            " No Ravlink reader?");
  EXPECT_NEAR(testing::msSince(start), 3140, 3140 * 0.15);

  auto session = activeSession(107);
  using Error = ReaderSession::ReaderSessionError;
  if (environment("TAVOLIN_SIM_WINE").empty()) {
    EXPECT_EQ(testing::errorOf<Error>([&] { activeSession(107); }), " COM port busy.");
  }
  std::string card = "card";
  for (int i = 0; i < 250; ++i) card += " 3" + std::to_string(i % 10);
  simulator(card);
  ASSERT_TRUE(owner.waitFor("ShowCounter 3 3"));
  EXPECT_TRUE(traced("bytesRead != m_iByteStop: 108 != 107"));
  EXPECT_TRUE(traced("bytesRead != m_iByteStop: 34 != 107"));
  ASSERT_TRUE(simulatorLogged("rx 00", simulatorLog().size()));
  start = Clock::now();
  ASSERT_TRUE(simulatorLogged("rx 00", simulatorLog().size()));
  EXPECT_NEAR(testing::msSince(start), 2260, 2260 * 0.15);
  start = Clock::now();
  session.reset();
  EXPECT_LT(testing::msSince(start), 500);
  EXPECT_TRUE(traced("ReaderSession::cancelSession(): Exit code of thread: 0\n"));
  EXPECT_FALSE(abortEvent.tryTake());

  simulator("kind bus");
  auto bus = std::make_unique<RavlinkSession>(services(), device, true, false, "", owner);
  const std::size_t from = simulatorLog().size();
  simulator("frame a;b;c;d;e;12345678*");
  ASSERT_TRUE(owner.waitFor("Typed 12345678"));
  const std::string log = simulatorLog();
  const std::size_t frame = log.find(" tx 02 ", from), ack = log.find(" rx 06", frame);
  ASSERT_NE(ack, std::string::npos);
  const auto msAt = [&log](std::size_t at) { return std::atoll(log.c_str() + log.rfind('\n', at) + 1); };
  EXPECT_LT(msAt(ack) - msAt(frame), 100);
  bus.reset();
  device = realPorts->devicePath("250");
  EXPECT_EQ(testing::errorOf<Error>([&] { activeSession(); }), " COM port not found.");
}

}  // namespace
}  // namespace tavolin
