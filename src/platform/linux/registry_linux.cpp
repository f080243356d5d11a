#include "platform/linux/registry_linux.h"

#include "platform/platform.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
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

// The copy a save writes before it renames it over the file.
constexpr char kCopyPrefix[] = ".tavolin.reg.";

// Replaces the file with the text, or leaves it as it was: 0 or errno.
int replaceFile(const std::string& file, const std::string& folder, const std::string& text) {
  std::string temporary = folder + "/" + kCopyPrefix + "XXXXXX";
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
  FileKey(std::string file, std::string folder, bool writable, RegistryFile content,
          std::shared_ptr<SaveLock> lock = nullptr)
      : m_sFile(std::move(file)),
        m_sFolder(std::move(folder)),
        m_bWritable(writable),
        m_content(std::move(content)),
        m_lock(std::move(lock)) {}

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
  std::shared_ptr<SaveLock> m_lock;  // held while the key is open for writing
};

}  // namespace

// Every change of the file holds the lock of its folder from reading the
// file to renaming the new one over it, so that two programs saving at once
// never lose each other's change. A save that was killed leaves its copy
// behind; whoever holds the lock next removes such copies, since no save
// can be under way then. The keys a program opens for writing while one is
// open share its lock (flock would make the second wait for the first).
class SaveLock {
 public:
  static constexpr int kWaitMs = 10000;

  explicit SaveLock(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    for (int waited = 0; ::flock(fd, LOCK_EX | LOCK_NB) != 0; waited += 10) {
      if (errno != EWOULDBLOCK || waited >= kWaitMs) {
        ::close(fd);
        return;
      }
      ::usleep(10000);
    }
    m_fd = fd;
    removeStaleCopies(folder);
  }
  SaveLock(const SaveLock&) = delete;
  SaveLock& operator=(const SaveLock&) = delete;
  ~SaveLock() {
    if (m_fd >= 0) ::close(m_fd);
  }
  bool held() const { return m_fd >= 0; }

 private:
  static void removeStaleCopies(const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return;
    while (const dirent* entry = ::readdir(dir)) {
      const std::string name = entry->d_name;
      if (name.size() == sizeof kCopyPrefix - 1 + 6 && name.compare(0, sizeof kCopyPrefix - 1, kCopyPrefix) == 0) {
        ::unlinkat(::dirfd(dir), name.c_str(), 0);
      }
    }
    ::closedir(dir);
  }

  int m_fd = -1;
};

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
  // A key opened for writing is read under the save lock and keeps it, so
  // that what it writes back holds every other program's last change.
  std::shared_ptr<SaveLock> lock;
  if (write && ::access(m_sFolder.c_str(), W_OK) == 0 && !(lock = saveLock())) {
    m_trace("Registry-Datei %s: Sperre nicht erhalten\n", utf8ToCp1252(m_sFile).c_str());
    return win32_error::AccessDenied;
  }
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
    // Not a registry file at all: read as empty, never written, and said
    // so also where it is only read (--show-settings writes nothing).
    const std::uint32_t refused = refuse("nothing in it is a registry line");
    if (write) return refused;
    key = std::make_unique<FileKey>(m_sFile, m_sFolder, false, RegistryFile(kKeyName));
    return win32_error::Success;
  }
  for (const std::string& problem : problems) {
    m_trace("Registry-Datei %s: nicht lesbar, %s\n", utf8ToCp1252(m_sFile).c_str(), problem.c_str());
  }
  key = std::make_unique<FileKey>(m_sFile, m_sFolder, write, std::move(content), std::move(lock));
  return win32_error::Success;
}

std::shared_ptr<SaveLock> LinuxRegistry::saveLock() {
  std::shared_ptr<SaveLock> lock = m_heldLock.lock();
  if (lock) return lock;
  lock = std::make_shared<SaveLock>(m_sFolder);
  if (!lock->held()) return nullptr;
  m_heldLock = lock;
  return lock;
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
    case Which::Program: {
      {
        // Made under the lock: a second program's first start must not
        // replace the values the first one has just written.
        const std::shared_ptr<SaveLock> lock = saveLock();
        if (::access(m_sFile.c_str(), F_OK) != 0) {
          const std::string empty = RegistryFile::header() + "\n\n[" + kKeyName + "]\n";
          if (const int code = replaceFile(m_sFile, m_sFolder, empty)) return win32Error(code);
        }
      }
      return openProgramKey(true, key);
    }
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
