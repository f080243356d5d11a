#include "platform/linux/plain_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tavolin {

const char* fileTypeName(mode_t type) {
  switch (type & S_IFMT) {
    case S_IFLNK:
      return "a symbolic link";
    case S_IFIFO:
      return "a named pipe";
    case S_IFDIR:
      return "a folder";
    case S_IFSOCK:
      return "a socket";
    case S_IFCHR:
    case S_IFBLK:
      return "a device";
    default:
      return "a plain file";
  }
}

PlainFile::PlainFile(const std::string& path, int flags, mode_t mode, bool keepMode) {
  // Looked at before it is opened, so that a device or a pipe is never
  // opened at all; looked at again once open, for what was put there in
  // between.
  struct stat info {};
  if (::lstat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
    refuse(info.st_mode);
    return;
  }
  m_fd = ::open(path.c_str(), flags | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC | O_NONBLOCK, keepMode ? mode : mode & 0600);
  if (m_fd < 0) {
    m_iError = errno;
    if (m_iError == ELOOP) {
      refuse(S_IFLNK);
    } else if (m_iError == ENXIO) {
      refuse(S_IFIFO);  // a pipe without a reader
    } else {
      m_sProblem = std::strerror(m_iError);
    }
    return;
  }
  if (::fstat(m_fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(m_fd);
    m_fd = -1;
    refuse(info.st_mode);
    return;
  }
  ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) & ~O_NONBLOCK);
  if (!keepMode && info.st_uid == ::geteuid() && (info.st_mode & 077) != 0) ::fchmod(m_fd, info.st_mode & 0700);
}

PlainFile::~PlainFile() {
  if (m_fd >= 0) ::close(m_fd);
}

int PlainFile::release() {
  const int fd = m_fd;
  m_fd = -1;
  return fd;
}

void PlainFile::refuse(mode_t type) {
  m_iError = 0;
  m_sProblem = std::string("it is ") + fileTypeName(type) + ", not a plain file";
}

}  // namespace tavolin
