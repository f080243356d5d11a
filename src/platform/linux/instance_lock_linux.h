#pragma once

#include <string>

#include "services/single_instance.h"

namespace tavolin {

// One lock file for the whole machine, held with flock for the life of the
// process. Every user may open it, so that a second instance of any user
// finds it locked.
class LockFileMutex : public InstanceMutex {
 public:
  static constexpr char defaultFile[] = "/run/lock/TavolinMutex";
  // The file named by TAVOLIN_LOCKFILE, or the default.
  static std::string filePath();

  explicit LockFileMutex(std::string file) : m_sFile(std::move(file)) {}
  ~LockFileMutex() override;
  LockFileMutex(const LockFileMutex&) = delete;
  LockFileMutex& operator=(const LockFileMutex&) = delete;

  Creation create(const std::string& name) override;
  std::uint32_t tryAcquire() override { return 0; }  // create() has locked it

 private:
  std::string m_sFile;
  int m_fd = -1;
};

}  // namespace tavolin
