#include "platform/linux/instance_lock_linux.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/platform.h"

namespace tavolin {

std::string LockFileMutex::filePath() {
  const char* file = std::getenv("TAVOLIN_LOCKFILE");
  return file && *file ? file : defaultFile;
}

LockFileMutex::~LockFileMutex() {
  if (m_fd >= 0) ::close(m_fd);
}

InstanceMutex::Creation LockFileMutex::create(const std::string&) {
  using Error = Creation::Error;
  // An existing file is opened without O_CREAT: in a sticky folder such as
  // /run/lock the kernel refuses an O_CREAT open of another user's file.
  m_fd = ::open(m_sFile.c_str(), O_RDWR | O_CLOEXEC);
  if (m_fd < 0 && errno == ENOENT) {
    m_fd = ::open(m_sFile.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (m_fd >= 0) {
      ::fchmod(m_fd, 0666);  // whatever the umask: every user opens it
    } else if (errno == EEXIST) {
      m_fd = ::open(m_sFile.c_str(), O_RDWR | O_CLOEXEC);
    } else {
      // No lock file, and none can be made: that is no other instance,
      // but a folder this user may not write (or that does not exist).
      const int code = errno;
      return {false, Error::Other, static_cast<std::uint32_t>(code), "the lock file " + m_sFile + " cannot be created"};
    }
  }
  if (m_fd < 0) {
    const int code = errno;
    return {false, code == EACCES || code == EPERM ? Error::AccessDenied : Error::Other,
            static_cast<std::uint32_t>(code), {}};
  }
  if (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
    const int code = errno;
    return {true, code == EWOULDBLOCK ? Error::AlreadyExists : Error::Other, static_cast<std::uint32_t>(code), {}};
  }
  return {true, Error::None, 0, {}};
}

std::unique_ptr<InstanceMutex> makeInstanceMutex() { return std::make_unique<LockFileMutex>(LockFileMutex::filePath()); }

}  // namespace tavolin
