#pragma once

#include <cstdint>
#include <string>

#include "processing/settings.h"
#include "readers/session.h"

namespace tavolin {

// A session with a reader that sends each card on its own as a burst of
// bytes; a burst ends with the reader's first pause of more than 200 ms.
class ReaderSession final : public Session {
 public:
  class ReaderSessionError : public SessionError {
   public:
    using SessionError::SessionError;
  };

  static constexpr std::uint32_t bufferSize = 108;

  // Opens the port with the line set-up of the COM settings and starts the
  // reading thread, or throws ReaderSessionError and leaves nothing open.
  ReaderSession(const SessionServices& services, const std::string& devicePath, const ComSettings& line,
                bool signaling, bool useSound, std::string soundFile, bool fixedLength, std::int32_t byteStart,
                std::int32_t readingLength, SessionOwner& owner);
  ~ReaderSession() override;

  // The line set-up from the stored COM settings.
  static DeviceControl setCOMProperties(const ComSettings& settings, Trace& trace);
  static CommTimeouts timeouts();

 protected:
  void raise(const std::string& message) const override;
  void run() override;

 private:
  // Bytes of one burst, or 0 when the cancel event was found.
  std::uint32_t readRaw(char* buffer, std::uint32_t maxBytes);

  bool m_bFixedLength;
  std::int32_t m_iByteStart;
  std::int32_t m_iByteStop;
};

}  // namespace tavolin
