#include "platform/win32/system_win32.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "platform/platform.h"

namespace tavolin {

std::string Win32System::getApplicationPath() {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  if (length == 0 || length >= sizeof path) return {};
  const char* backslash = std::strrchr(path, '\\');
  if (!backslash) return {};
  return std::string(path, static_cast<std::size_t>(backslash - path));
}

std::string win32ErrorText(std::uint32_t code) {
  char text[1024];
  const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                                      text, sizeof text, nullptr);
  if (length == 0) return unknownErrorText(code);
  return std::string(text, length);
}

std::string Win32System::getErrorText(std::uint32_t code) { return win32ErrorText(code); }

std::optional<std::string> Win32System::getEnvironment(const char* name) {
  char value[32767];
  const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
  if (length == 0 || length >= sizeof value) return std::nullopt;
  return std::string(value, length);
}

std::optional<std::string> Win32System::applicationDataFolder() { return getEnvironment("APPDATA"); }

LocalTime Win32System::localTime() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

bool Win32System::canReadFile(const std::string& path) {
  std::FILE* stream = std::fopen(path.c_str(), "r");
  if (!stream) return false;
  std::fclose(stream);
  return true;
}

bool Win32System::isDirectory(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::unique_ptr<TextFile> Win32System::openTextFile(const std::string& path, FileMode mode) {
  // Text mode: every "\n" becomes CR LF in the file.
  std::FILE* stream = std::fopen(path.c_str(), mode == FileMode::Replace ? "wt" : "a");
  if (!stream) return nullptr;
  return std::make_unique<StdioTextFile>(stream, textEncoding());
}

}  // namespace tavolin

namespace tavolin {

std::unique_ptr<System> makeSystem() { return std::make_unique<Win32System>(); }

}  // namespace tavolin
