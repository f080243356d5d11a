#pragma once

#include "services/system.h"

namespace tavolin {

// The system's message text for an error code, with its line break; the
// unknown-error text when the system has none.
std::string win32ErrorText(std::uint32_t code);

class Win32System : public System {
 public:
  std::string getApplicationPath() override;
  std::uint32_t lastError() override;
  std::string getErrorText(std::uint32_t code) override;
  std::optional<std::string> getEnvironment(const char* name) override;
  std::optional<std::string> applicationDataFolder() override;
  LocalTime localTime() override;
  char pathSeparator() const override { return '\\'; }
  StdioTextFile::Encoding textEncoding() const override { return StdioTextFile::Encoding::Windows1252; }
  std::string fromCommandLine(const char* argument) const override { return argument; }
  bool canReadFile(const std::string& path) override;
  bool isDirectory(const std::string& path) override;
  std::unique_ptr<TextFile> openTextFile(const std::string& path, FileMode mode) override;
  std::optional<std::string> userName() override;
  bool isUserAdmin() override;
  bool isUacEnabled() override;
};

}  // namespace tavolin
