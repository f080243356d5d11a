#include "platform/linux/system_linux.h"

#include <grp.h>
#include <pwd.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "platform/linux/plain_file.h"
#include "platform/platform.h"
#include "text/cp1252.h"

namespace tavolin {

namespace {

// File names leave the program as UTF-8 and come back as Windows-1252.
std::string toUtf8(const std::string& path) { return cp1252ToUtf8(path); }

}  // namespace

std::string LinuxSystem::getApplicationPath() {
  char path[4096];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return {};
  path[length] = '\0';
  const char* slash = std::strrchr(path, '/');
  if (!slash) return {};
  return utf8ToCp1252(std::string(path, static_cast<std::size_t>(slash - path)));
}

std::string LinuxSystem::deliveredFileFolder(const std::string& fileName) {
  const std::string folder = getApplicationPath();
  if (folder.empty() || ::access(toUtf8(joinPath(folder, fileName)).c_str(), F_OK) == 0) return folder;
  char installed[4096];
  if (!::realpath(toUtf8(folder + "/../share/tavolin").c_str(), installed)) return folder;
  const std::string shared = utf8ToCp1252(installed);
  return ::access(toUtf8(joinPath(shared, fileName)).c_str(), F_OK) == 0 ? shared : folder;
}

std::string errnoText(int code) {
  // strerrordesc_np knows no text for codes the C library does not define,
  // where strerror would make one up.
  const char* text = code >= 0 ? strerrordesc_np(code) : nullptr;
  if (!text) return unknownErrorText(static_cast<std::uint32_t>(code));
  return utf8ToCp1252(text) + "\n";
}

std::string LinuxSystem::getErrorText(std::uint32_t code) { return errnoText(static_cast<int>(code)); }

std::string LinuxSystem::fromCommandLine(const char* argument) const { return utf8ToCp1252(argument); }

std::optional<std::string> LinuxSystem::getEnvironment(const char* name) {
  const char* value = std::getenv(name);
  if (!value) return std::nullopt;
  return utf8ToCp1252(value);
}

std::optional<std::string> LinuxSystem::applicationDataFolder() {
  for (const char* name : {"APPDATA", "XDG_DATA_HOME"}) {
    std::optional<std::string> folder = getEnvironment(name);
    if (folder && !folder->empty()) return folder;
  }
  std::optional<std::string> home = getEnvironment("HOME");
  if (home && !home->empty()) return *home + "/.local/share";
  return std::nullopt;
}

LocalTime LinuxSystem::localTime() {
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

// Whatever stands at the path counts, a link or a pipe too: opening it
// then refuses it and says so, where passing it over would leave tracing
// off without a word.
bool LinuxSystem::canReadFile(const std::string& path) {
  struct stat info {};
  if (::lstat(toUtf8(path).c_str(), &info) != 0) return false;
  return !S_ISREG(info.st_mode) || ::access(toUtf8(path).c_str(), R_OK) == 0;
}

bool LinuxSystem::isDirectory(const std::string& path) {
  struct stat info {};
  return ::stat(toUtf8(path).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The trace and the data log hold card numbers: their owner's alone, and
// never written through a link or into a pipe someone put at their name.
std::unique_ptr<TextFile> LinuxSystem::openTextFile(const std::string& path, FileMode mode) {
  const bool replace = mode == FileMode::Replace;
  PlainFile file(toUtf8(path), O_WRONLY | O_CREAT | (replace ? O_TRUNC : O_APPEND));
  if (!file.isOpen()) {
    if (file.error() == 0) {
      const std::string text = "Tavolin: " + toUtf8(path) + " is not written: " + file.problem() + ".\n";
      std::fputs(text.c_str(), stderr);
      std::fflush(stderr);
    }
    return nullptr;
  }
  std::FILE* stream = ::fdopen(file.fd(), replace ? "w" : "a");
  if (!stream) return nullptr;
  file.release();
  return std::make_unique<StdioTextFile>(stream, textEncoding());
}

std::optional<std::string> LinuxSystem::userName() {
  passwd entry{};
  passwd* found = nullptr;
  char buffer[4096];
  if (getpwuid_r(geteuid(), &entry, buffer, sizeof buffer, &found) != 0 || !found) return std::nullopt;
  return utf8ToCp1252(found->pw_name);
}

bool LinuxSystem::isUserAdmin() {
  if (geteuid() == 0) return true;
  gid_t groups[256];
  const int count = getgroups(256, groups);
  for (const char* name : {"sudo", "wheel", "admin"}) {
    const group* admin = getgrnam(name);
    if (!admin) continue;
    for (int i = 0; i < count; ++i) {
      if (groups[i] == admin->gr_gid) return true;
    }
    if (getegid() == admin->gr_gid) return true;
  }
  return false;
}

}  // namespace tavolin

namespace tavolin {

std::unique_ptr<System> makeSystem() { return std::make_unique<LinuxSystem>(); }

}  // namespace tavolin
