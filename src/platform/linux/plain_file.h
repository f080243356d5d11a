#pragma once

#include <sys/types.h>

#include <string>

namespace tavolin {

// A file the program writes, opened without following a link at its name,
// without becoming the terminal of the process and without waiting on a
// pipe: anything at the name that is not a plain file is refused. A file
// the program creates is its owner's alone (mode 0600 whatever the umask);
// one of this user's that others may read is made so too, since the files
// opened here hold card numbers or say who reads when.
class PlainFile {
 public:
  // flags: the access and creation flags (O_WRONLY | O_APPEND, ...).
  // mode: the mode of a new file; nothing beyond 0600 is kept of it
  // unless keepMode is set (a lock every user must open).
  PlainFile(const std::string& path, int flags, mode_t mode = 0600, bool keepMode = false);
  ~PlainFile();
  PlainFile(const PlainFile&) = delete;
  PlainFile& operator=(const PlainFile&) = delete;

  bool isOpen() const { return m_fd >= 0; }
  // Hands the descriptor on (to a stream that closes it).
  int release();
  int fd() const { return m_fd; }
  // Why it is not open: the errno of the failed call, or 0 for a refusal.
  int error() const { return m_iError; }
  // Why it is not open, as a text: "it is a symbolic link, not a plain
  // file" or the system's text of the error.
  const std::string& problem() const { return m_sProblem; }

 private:
  void refuse(mode_t type);

  int m_fd = -1;
  int m_iError = 0;
  std::string m_sProblem;
};

// "a symbolic link", "a named pipe", ... for a file type of stat.
const char* fileTypeName(mode_t type);

}  // namespace tavolin
