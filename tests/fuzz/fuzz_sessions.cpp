// A whole reader session over a port whose reads come from the fuzzer: the
// bus session or, for one input in four, the active-sending one. Each read
// takes a header byte: odd, the next (header / 2) bytes arrive; even, the
// line stays quiet. At the end of the input the port fails, as an unplugged
// adapter does: the reading thread must end by that failure, within
// seconds, and never by an error that is not the session's own.
#include <atomic>

#include "fakes/session_fixture.h"
#include "fuzz/fuzz_input.h"
#include "readers/ravlink_session.h"
#include "readers/reader_session.h"

namespace tavolin::fuzzing {
namespace {

struct ScriptedPort : SerialPort {
  explicit ScriptedPort(FuzzInput& input) : input(input) {}
  bool read(char* buffer, std::uint32_t maxBytes, std::uint32_t& bytesRead, std::uint32_t& error,
            const PacketComplete& complete) override {
    bytesRead = 0;
    if (interrupted) return true;
    if (input.empty()) return error = 5, false;
    const std::uint8_t header = input.byte();
    if (header % 2 == 0) return true;
    const std::string bytes = input.take(std::min<std::uint32_t>(header / 2, maxBytes));
    bytesRead = static_cast<std::uint32_t>(bytes.copy(buffer, bytes.size()));
    if (complete && bytesRead > 0) complete(buffer, bytesRead);  // it sees each arrival, though cannot shorten it
    return true;
  }
  bool write(const char*, std::uint32_t size, std::uint32_t& written, std::uint32_t&) override {
    return written = size, true;
  }
  void interruptRead() override { interrupted = true; }

  FuzzInput& input;
  std::atomic<bool> interrupted{false};
};

struct ScriptedPorts : testing::SimulatedPorts {
  explicit ScriptedPorts(FuzzInput& input) : input(input) {}
  OpenResult open(const std::string&, const LineSetUp& line, const CommTimeouts&) override {
    line();
    OpenResult result;
    result.port = std::make_unique<ScriptedPort>(input);
    return result;
  }
  FuzzInput& input;
};

}  // namespace

void fuzzOne(FuzzInput& input) {
  testing::SessionFixture f;
  ScriptedPorts ports(input);
  const SessionServices services{f.system,         ports,     f.sound,      f.eventLog,
                                 f.captured.trace, f.dataLog, f.abortEvent, BuildTexts::english()};
  const std::uint8_t kind = input.byte();
  std::unique_ptr<Session> session;
  try {
    if (kind % 4 == 0) {
      const bool fixedLength = input.flag();
      const std::int32_t byteStart = input.byte() % 110, readingLength = input.byte() % 110;
      session = std::make_unique<ReaderSession>(services, "\\\\.\\COM1", ComSettings{}, kind & 2, kind & 4, "beep.wav",
                                                fixedLength, byteStart, readingLength, f.owner);
    } else {
      session = std::make_unique<RavlinkSession>(services, "\\\\.\\COM2", kind & 2, kind & 4, "beep.wav", f.owner);
    }
    session->setTestMode(kind & 8);
  } catch (const SessionError&) {
    return;  // no session: the port was released, nothing runs
  }
  check(f.abortEvent.waitFor(std::chrono::seconds(10)));  // else the reading thread hangs
  session.reset();
  // The lines of the catch-alls, whole: a reading's text is traced too.
  const std::string trace = "\n" + f.captured.text();
  for (const char* unexpected :
       {"ReaderSession run(): catch error from readRaw()",
        "RavlinkSession::sendRavlinkRequest(): catch error from sendRaw()",
        "RavlinkSession::getReaderInfo(): catch error from readRavlinkRequest() or "
        "sendRavlinkRequest()",
        "RavlinkSession::run(): catch unknown error", "~ReaderSession(): cancelSession() mit unbekannter Exception",
        "~RavlinkSession(): cancelSession() mit unbekannter Exception"}) {
    check(trace.find("\n" + std::string(unexpected) + "\n") == std::string::npos);
  }
}

}  // namespace tavolin::fuzzing
