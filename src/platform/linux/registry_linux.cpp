#include "platform/linux/registry_linux.h"

#include "platform/platform.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/linux/registry_file.h"
#include "processing/settings_store.h"
#include "text/cp1252.h"

namespace tavolin {

namespace {

constexpr char kKeyName[] = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Brellmark\\Tavolin";

std::uint32_t win32Error(int code) {
  switch (code) {
    case ENOENT:
    case ENOTDIR:
      return win32_error::FileNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
      return win32_error::AccessDenied;
    default:
      return win32_error::InvalidData;
  }
}

bool sameKeyPath(std::string a, std::string b) {
  for (std::string* s : {&a, &b}) {
    while (!s->empty() && s->back() == '\\') s->pop_back();
    for (char& c : *s) c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  }
  return a == b;
}

// Creates the folder and the folders above it.
int makeFolders(const std::string& folder) {
  if (folder.empty() || ::access(folder.c_str(), F_OK) == 0) return 0;
  const std::size_t slash = folder.rfind('/');
  if (slash != std::string::npos && slash > 0) {
    if (const int code = makeFolders(folder.substr(0, slash))) return code;
  }
  return ::mkdir(folder.c_str(), 0755) == 0 || errno == EEXIST ? 0 : errno;
}

// Replaces the file with the text, or leaves it as it was: 0 or errno.
int replaceFile(const std::string& file, const std::string& folder, const std::string& text) {
  std::string temporary = folder + "/.tavolin.reg.XXXXXX";
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) return errno;
  struct stat info {};
  const mode_t mode = ::stat(file.c_str(), &info) == 0 ? info.st_mode & 07777 : 0644;
  std::size_t done = 0;
  int code = 0;
  while (code == 0 && done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno != EINTR) code = errno;
    if (n > 0) done += static_cast<std::size_t>(n);
  }
  if (code == 0 && ::fchmod(fd, mode) != 0) code = errno;
  if (code == 0 && ::fsync(fd) != 0) code = errno;
  if (::close(fd) != 0 && code == 0) code = errno;
  if (code == 0 && ::rename(temporary.c_str(), file.c_str()) != 0) code = errno;
  if (code != 0) {
    ::unlink(temporary.c_str());
    return code;
  }
  const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return 0;
}

// The parent key: present when the folder is.
class FolderKey : public RegistryKey {
 public:
  std::uint32_t queryValue(const std::string&, std::uint32_t&, std::string&, std::size_t) override {
    return win32_error::FileNotFound;
  }
  std::uint32_t setValue(const std::string&, const std::string&) override { return win32_error::AccessDenied; }
};

class FileKey : public RegistryKey {
 public:
  FileKey(std::string file, std::string folder, bool writable, RegistryFile content)
      : m_sFile(std::move(file)), m_sFolder(std::move(folder)), m_bWritable(writable), m_content(std::move(content)) {}

  std::uint32_t queryValue(const std::string& name, std::uint32_t& type, std::string& data,
                           std::size_t bufferSize) override {
    const RegistryFile::Value* value = m_content.find(name);
    if (!value) return win32_error::FileNotFound;
    if (value->data.size() > bufferSize) return win32_error::MoreData;
    type = value->type;
    data = value->data;
    return win32_error::Success;
  }

  std::uint32_t setValue(const std::string& name, const std::string& text) override {
    if (!m_bWritable) return win32_error::AccessDenied;
    RegistryFile changed = m_content;
    changed.setString(name, text);
    if (const int code = replaceFile(m_sFile, m_sFolder, changed.serialize())) return win32Error(code);
    m_content = std::move(changed);
    return win32_error::Success;
  }

 private:
  std::string m_sFile;
  std::string m_sFolder;
  bool m_bWritable;
  RegistryFile m_content;
};

}  // namespace

std::string LinuxRegistry::filePath() {
  const char* file = std::getenv("TAVOLIN_REGISTRY");
  return file && *file ? utf8ToCp1252(file) : defaultFile;
}

LinuxRegistry::LinuxRegistry(std::string file, Trace& trace) : m_sFile(cp1252ToUtf8(file)), m_trace(trace) {
  const std::size_t slash = m_sFile.rfind('/');
  m_sFolder = slash == std::string::npos ? "." : slash == 0 ? "/" : m_sFile.substr(0, slash);
}

LinuxRegistry::Which LinuxRegistry::which(const std::string& path) const {
  if (sameKeyPath(path, SettingsStore::keyPath)) return Which::Program;
  if (sameKeyPath(path, SettingsStore::parentKeyPath)) return Which::Parent;
  return Which::Other;
}

std::uint32_t LinuxRegistry::openProgramKey(bool write, std::unique_ptr<RegistryKey>& key) {
  // A file that cannot be read as a whole is never replaced: what the
  // program would write back would lose what it could not read.
  struct stat info {};
  if (::stat(m_sFile.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
    return refuse("it is not a plain file");
  }
  if (info.st_size > static_cast<off_t>(maxFileSize)) return refuse("it is larger than 1 MiB");
  std::ifstream in(m_sFile, std::ios::binary);
  if (!in) return win32Error(::access(m_sFile.c_str(), F_OK) == 0 ? EACCES : ENOENT);
  std::string text;
  char block[4096];
  while (text.size() <= maxFileSize && in.read(block, sizeof block).gcount() > 0) {
    text.append(block, static_cast<std::size_t>(in.gcount()));
  }
  if (in.bad()) return refuse("reading it failed");
  if (text.size() > maxFileSize) return refuse("it is larger than 1 MiB");
  const bool writable = ::access(m_sFile.c_str(), W_OK) == 0 && ::access(m_sFolder.c_str(), W_OK) == 0;
  if (write && !writable) return win32_error::AccessDenied;

  RegistryFile content(kKeyName);
  std::vector<std::string> problems;
  content.parse(text, problems);
  if (!problems.empty() && !content.readAnything()) {
    // Not a registry file at all: read as empty, never written.
    if (write) return refuse("nothing in it is a registry line");
    key = std::make_unique<FileKey>(m_sFile, m_sFolder, false, RegistryFile(kKeyName));
    return win32_error::Success;
  }
  for (const std::string& problem : problems) {
    m_trace("Registry-Datei %s: nicht lesbar, %s\n", utf8ToCp1252(m_sFile).c_str(), problem.c_str());
  }
  key = std::make_unique<FileKey>(m_sFile, m_sFolder, write, std::move(content));
  return win32_error::Success;
}

std::uint32_t LinuxRegistry::refuse(const char* why) {
  const std::string text = "Tavolin: the settings file " + m_sFile + " is not used (" + why +
                           "): the defaults are used, and changes are kept in memory only.\n";
  m_trace.write(utf8ToCp1252(text));
  if (!m_bRefusalSaid) {
    std::fputs(text.c_str(), stderr);
    std::fflush(stderr);
    m_bRefusalSaid = true;
  }
  return win32_error::AccessDenied;
}

std::uint32_t LinuxRegistry::openKey(const std::string& path, std::uint32_t access, std::unique_ptr<RegistryKey>& key) {
  key.reset();
  switch (which(path)) {
    case Which::Parent: {
      struct stat info {};
      if (::stat(m_sFolder.c_str(), &info) != 0) return win32Error(errno);
      if (!S_ISDIR(info.st_mode)) return win32_error::FileNotFound;
      key = std::make_unique<FolderKey>();
      return win32_error::Success;
    }
    case Which::Program:
      return openProgramKey(access != KEY_READ_ACCESS, key);
    case Which::Other:
      break;
  }
  return win32_error::FileNotFound;
}

std::uint32_t LinuxRegistry::createKey(const std::string& path, std::unique_ptr<RegistryKey>& key) {
  key.reset();
  switch (which(path)) {
    case Which::Parent:
      if (const int code = makeFolders(m_sFolder)) return win32Error(code);
      key = std::make_unique<FolderKey>();
      return win32_error::Success;
    case Which::Program:
      if (::access(m_sFile.c_str(), F_OK) != 0) {
        const std::string empty = RegistryFile::header() + "\n\n[" + kKeyName + "]\n";
        if (const int code = replaceFile(m_sFile, m_sFolder, empty)) return win32Error(code);
      }
      return openProgramKey(true, key);
    case Which::Other:
      break;
  }
  return win32_error::AccessDenied;
}

}  // namespace tavolin

namespace tavolin {

std::unique_ptr<RegistryApi> makeRegistry(Trace& trace) {
  return std::make_unique<LinuxRegistry>(LinuxRegistry::filePath(), trace);
}

}  // namespace tavolin
