#include "platform/linux/instance_lock_linux.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <memory>

#include "platform/linux/plain_file.h"
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
  // Every user opens the one lock, so it keeps its mode 0666; a link or a
  // pipe put at its name is refused, never followed.
  std::unique_ptr<PlainFile> file = std::make_unique<PlainFile>(m_sFile, O_RDWR, 0666, true);
  if (!file->isOpen() && file->error() == ENOENT) {
    file = std::make_unique<PlainFile>(m_sFile, O_RDWR | O_CREAT | O_EXCL, 0666, true);
    if (file->isOpen()) {
      ::fchmod(file->fd(), 0666);  // whatever the umask: every user opens it
    } else if (file->error() == EEXIST) {
      file = std::make_unique<PlainFile>(m_sFile, O_RDWR, 0666, true);
    } else if (file->error() != 0) {
      // No lock file, and none can be made: that is no other instance,
      // but a folder this user may not write (or that does not exist).
      return {false, Error::Other, static_cast<std::uint32_t>(file->error()),
              "the lock file " + m_sFile + " cannot be created"};
    }
  }
  if (!file->isOpen() && file->error() == 0) {
    return {false, Error::Other, 0, "the lock file " + m_sFile + " is not used: " + file->problem()};
  }
  if (!file->isOpen()) {
    const int code = file->error();
    return {false, code == EACCES || code == EPERM ? Error::AccessDenied : Error::Other,
            static_cast<std::uint32_t>(code), {}};
  }
  m_fd = file->release();
  if (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
    const int code = errno;
    return {true, code == EWOULDBLOCK ? Error::AlreadyExists : Error::Other, static_cast<std::uint32_t>(code), {}};
  }
  return {true, Error::None, 0, {}};
}

std::unique_ptr<InstanceMutex> makeInstanceMutex() { return std::make_unique<LockFileMutex>(LockFileMutex::filePath()); }

}  // namespace tavolin
