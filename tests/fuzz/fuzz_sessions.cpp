// A whole reader session over a port whose reads come from the fuzzer: the
// bus session (identification, release, readings, signalling) or, for one
// input in four, the active-sending session. Each read takes a header byte:
// odd, the next (header / 2) bytes arrive; even, the line stays quiet. At
// the end of the input the port fails, as an unplugged adapter does, and the
// reading thread must end by that failure (within seconds, not hang) and
// never by an error that is not the session's own.
#include <atomic>
#include <memory>

#include "fakes/session_fixture.h"
#include "fuzz/fuzz_input.h"
#include "readers/ravlink_session.h"
#include "readers/reader_session.h"

namespace tavolin::fuzzing {

namespace {

class ScriptedPort : public SerialPort {
 public:
  explicit ScriptedPort(FuzzInput& input) : m_input(input) {}
  bool read(char* buffer, std::uint32_t maxBytes, std::uint32_t& bytesRead, std::uint32_t& error,
            const PacketComplete& complete) override {
    bytesRead = 0;
    if (m_interrupted) return true;
    if (m_input.empty()) {
      error = 5;
      return false;
    }
    const std::uint8_t header = m_input.byte();
    if (header % 2 == 0) return true;
    const std::string bytes = m_input.take(std::min<std::uint32_t>(header / 2, maxBytes));
    bytes.copy(buffer, bytes.size());
    bytesRead = static_cast<std::uint32_t>(bytes.size());
    // Each scripted read is one arrival; the packet check sees it as a
    // real port's read would, though it cannot make it shorter.
    if (complete && bytesRead > 0) complete(buffer, bytesRead);
    return true;
  }
  bool write(const char*, std::uint32_t size, std::uint32_t& written, std::uint32_t&) override {
    written = size;
    return true;
  }
  void interruptRead() override { m_interrupted = true; }

 private:
  FuzzInput& m_input;
  std::atomic<bool> m_interrupted{false};
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
  testing::SessionFixture fixture;
  ScriptedPorts ports(input);
  const SessionServices services{fixture.system,         ports,           fixture.sound,      fixture.eventLog,
                                 fixture.captured.trace, fixture.dataLog, fixture.abortEvent, BuildTexts::english()};
  const std::uint8_t kind = input.byte();
  const bool signaling = kind & 2, useSound = kind & 4;
  std::unique_ptr<Session> session;
  try {
    if (kind % 4 == 0) {
      const bool fixedLength = input.flag();
      const std::int32_t byteStart = input.byte() % 110, readingLength = input.byte() % 110;
      session = std::make_unique<ReaderSession>(services, "\\\\.\\COM1", ComSettings{}, signaling, useSound, "beep.wav",
                                                fixedLength, byteStart, readingLength, fixture.owner);
    } else {
      session =
          std::make_unique<RavlinkSession>(services, "\\\\.\\COM2", signaling, useSound, "beep.wav", fixture.owner);
    }
    session->setTestMode(kind & 8);
  } catch (const SessionError&) {
    return;  // no session: the port was released, nothing runs
  }
  check(fixture.abortEvent.waitFor(std::chrono::seconds(10)));  // else the reading thread hangs
  session.reset();
  // The lines of the catch-alls, whole: a reading's text is traced too and
  // may hold any of their words.
  const std::string trace = "\n" + fixture.captured.text();
  for (const char* unexpected : {
           "ReaderSession run(): catch error from readRaw()",
           "RavlinkSession::sendRavlinkRequest(): catch error from sendRaw()",
           "RavlinkSession::getReaderInfo(): catch error from readRavlinkRequest() or sendRavlinkRequest()",
           "RavlinkSession::run(): catch unknown error",
           "~ReaderSession(): cancelSession() mit unbekannter Exception",
           "~RavlinkSession(): cancelSession() mit unbekannter Exception",
       }) {
    check(trace.find("\n" + std::string(unexpected) + "\n") == std::string::npos);
  }
}

}  // namespace tavolin::fuzzing
