#pragma once

#include <string>

namespace tavolin {

// The message of a failed reader session; each session kind throws its
// own type derived from this.
class SessionError {
 public:
  explicit SessionError(std::string message) : m_sMessage(std::move(message)) {}
  const std::string& message() const { return m_sMessage; }

 private:
  std::string m_sMessage;
};

}  // namespace tavolin
