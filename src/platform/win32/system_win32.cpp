#include "platform/win32/system_win32.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <vector>

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

std::uint32_t Win32System::lastError() { return GetLastError(); }

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

std::optional<std::string> Win32System::userName() {
  char name[260];
  DWORD size = 257;
  if (!GetUserNameA(name, &size)) return std::nullopt;
  return std::string(name);
}

bool Win32System::isUserAdmin() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  DWORD size = 0;
  GetTokenInformation(token, TokenGroups, nullptr, 0, &size);
  std::vector<BYTE> buffer(size);
  bool admin = false;
  SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
  PSID administrators = nullptr;
  if (size > 0 && GetTokenInformation(token, TokenGroups, buffer.data(), size, &size) &&
      AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0,
                               0, &administrators)) {
    // Every group counts, a group present only for deny too.
    const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(buffer.data());
    for (DWORD i = 0; i < groups->GroupCount && !admin; ++i) admin = EqualSid(groups->Groups[i].Sid, administrators);
    FreeSid(administrators);
  }
  CloseHandle(token);
  return admin;
}

bool Win32System::isUacEnabled() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System", 0, KEY_READ,
                    &key) != ERROR_SUCCESS) {
    return false;
  }
  DWORD value = 0;
  DWORD size = sizeof value;
  const bool read = RegQueryValueExA(key, "EnableLUA", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size) ==
                    ERROR_SUCCESS;
  RegCloseKey(key);
  return read && value != 0;
}

}  // namespace tavolin

namespace tavolin {

std::unique_ptr<System> makeSystem() { return std::make_unique<Win32System>(); }

}  // namespace tavolin
