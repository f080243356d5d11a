#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

#include "readers/serial_port.h"
#include "readers/session_error.h"
#include "readers/session_owner.h"
#include "services/auto_reset_event.h"
#include "services/data_log.h"
#include "services/event_log.h"
#include "services/sound.h"
#include "services/system.h"
#include "services/trace.h"
#include "text/build_texts.h"

namespace tavolin {

// The process-wide services a reader session uses.
struct SessionServices {
  System& system;
  SerialPorts& ports;
  Sound& sound;
  EventLog& eventLog;
  Trace& trace;
  DataLog& dataLog;
  AutoResetEvent& abortEvent;  // set by a reading thread that fails
  const BuildTexts& texts;
};

// What both reader sessions share: the port, the cancel event, the reading
// thread, the idle cadence of their reads, and the hand-over of readings.
class Session {
 public:
  static constexpr int StillActive = 259;  // exit code of a thread that has not ended

  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;
  virtual ~Session();

  void setTestMode(bool on) { m_bTestMode = on; }
  // Asks the reading thread to end and waits for it.
  void cancelSession();
  void setAbortEvent();

 protected:
  Session(const SessionServices& services, const char* name, std::string devicePath, bool signaling, bool useSound,
          std::string soundFile, SessionOwner& owner);

  // Throws the session's own error type.
  virtual void raise(const std::string& message) const = 0;
  [[noreturn]] void fail(const std::string& message) const;
  // The reading loop, on the reading thread.
  virtual void run() = 0;

  // Opens the port for exclusive use with the line set-up and time-outs.
  void openPort(const SerialPorts::LineSetUp& line, const CommTimeouts& timeouts);
  // Starts the reading thread; on failure closes the port and throws.
  void startThread();
  // Stops the thread and releases the port; the destructors' common part.
  void endSession(bool traceClose);

  // One read of up to maxBytes, ended early when complete says so. After
  // an idle period without a byte it looks at the cancel event (0 when
  // set) and otherwise writes a zero byte and reads again; with
  // exitOnTimeout it returns 0 after the first idle period instead. A stop
  // request ends the idle period at once.
  std::uint32_t readPort(char* buffer, std::uint32_t maxBytes, bool exitOnTimeout,
                         const SerialPort::PacketComplete& complete = {});
  // Writes all bytes in one write; the count written.
  std::uint32_t writePort(const char* data, std::uint32_t size, const char* operation);
  // Throws the system's text of a failed port operation after tracing it.
  [[noreturn]] void raisePortError(const char* operation, std::uint32_t error);

  // Counts an accepted reading, hands it to the owner for display or
  // typing, and writes its data log line, which ends at the reading's
  // first zero byte.
  void deliverReading(const char* reading, std::int32_t length);
  // The sound of a reading, when signalling and sound are both on.
  void playSignal();
  void traceBytes(const char* data, std::uint32_t count);

  SessionServices m_services;
  Trace& m_trace;
  const char* m_pszName;
  std::string m_sDevicePath;
  std::unique_ptr<SerialPort> m_hCom;
  AutoResetEvent m_hCancelEvent;
  SessionOwner& m_pDlg;
  std::atomic<bool> m_bTestMode{false};
  std::int32_t m_iReadings = 0;
  bool m_bSignaling;
  bool m_bUseSound;
  std::string m_sSoundFile;

 private:
  void _run();

  std::thread m_hThread;
  std::atomic<int> m_iExitCode{StillActive};  // 0 after a normal end, -1 after a failure
};

}  // namespace tavolin
