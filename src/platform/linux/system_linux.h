#pragma once

#include <cerrno>

#include "services/system.h"

namespace tavolin {

// The C library's text for an errno value, with a line break; the
// unknown-error text for a value it has no text for.
std::string errnoText(int code);

class LinuxSystem : public System {
 public:
  std::string getApplicationPath() override;
  // Beside the program (a build), else in ../share/tavolin (an
  // installation: /usr/bin and /usr/share/tavolin).
  std::string deliveredFileFolder(const std::string& fileName) override;
  std::uint32_t lastError() override { return static_cast<std::uint32_t>(errno); }
  std::string getErrorText(std::uint32_t code) override;
  std::optional<std::string> getEnvironment(const char* name) override;
  std::optional<std::string> applicationDataFolder() override;
  LocalTime localTime() override;
  char pathSeparator() const override { return '/'; }
  StdioTextFile::Encoding textEncoding() const override { return StdioTextFile::Encoding::Utf8; }
  std::string fromCommandLine(const char* argument) const override;
  bool canReadFile(const std::string& path) override;
  bool isDirectory(const std::string& path) override;
  std::unique_ptr<TextFile> openTextFile(const std::string& path, FileMode mode) override;
  std::optional<std::string> userName() override;
  // Root, or a member of the group sudo, wheel or admin.
  bool isUserAdmin() override;
  // Linux has no user account control.
  bool isUacEnabled() override { return false; }
};

}  // namespace tavolin
