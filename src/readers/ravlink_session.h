#pragma once

#include <string>

#include "readers/ravlink_framing.h"
#include "readers/session.h"

namespace tavolin {

// A session with a reader on the Ravlink bus: the reader is asked for its
// type and parameterization number, released for reading, and then sends
// each card reading as a frame.
class RavlinkSession final : public Session, private RavlinkChannel {
 public:
  class RavlinkSessionError : public SessionError {
   public:
    using SessionError::SessionError;
  };

  static constexpr std::uint32_t readSize = 132;

  // Opens the port, identifies and releases the reader and starts the
  // reading thread, or throws RavlinkSessionError and leaves nothing open.
  RavlinkSession(const SessionServices& services, const std::string& devicePath, bool signaling, bool useSound,
                 std::string soundFile, SessionOwner& owner);
  ~RavlinkSession() override;

  // 19200 baud, 8 data bits, no parity, one stop bit, nothing else.
  static DeviceControl busLine();
  static CommTimeouts timeouts();

  // Asks the reader for its type and parameterization and shows them;
  // false when the reader does not answer as expected.
  bool getReaderInfo();

 protected:
  void raise(const std::string& message) const override;
  void run() override;

 private:
  std::string readRaw(bool bExitOnTimeout) override;
  void sendRaw(const std::string& bytes) override;
  void reportReaderInfo(const std::string& text) override;
  static std::string request(const char* text);
  // Asks the reader to signal an accepted reading.
  void signalReading(const std::string& request);

  RavlinkFraming m_link;
};

}  // namespace tavolin
