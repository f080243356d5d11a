#pragma once

#include <memory>
#include <string>

#include "processing/registry.h"
#include "services/trace.h"

namespace tavolin {

class SaveLock;

// The program's registry key in a REGEDIT4 file: the file stands for the
// key SOFTWARE\Brellmark\Tavolin, its folder for the parent key. The
// process may write the key when it may replace the file, which needs the
// file and the folder writable. Every value write replaces the file
// atomically (a temporary file in the folder, flushed, renamed over it).
// A key open for writing holds the save lock: the file is read under it
// and no other program's change comes between that and the key's writes.
class LinuxRegistry : public RegistryApi {
 public:
  static constexpr char defaultFile[] = "/etc/brellmark/tavolin.reg";
  // A larger file is no settings file: it is neither read nor written.
  static constexpr std::size_t maxFileSize = 1024 * 1024;

  // The file named by TAVOLIN_REGISTRY, or the default.
  static std::string filePath();

  LinuxRegistry(std::string file, Trace& trace);

  std::uint32_t openKey(const std::string& path, std::uint32_t access, std::unique_ptr<RegistryKey>& key) override;
  std::uint32_t createKey(const std::string& path, std::unique_ptr<RegistryKey>& key) override;

 private:
  enum class Which { Parent, Program, Other };
  Which which(const std::string& path) const;
  std::uint32_t openProgramKey(bool write, std::unique_ptr<RegistryKey>& key);
  // The lock every change of the file holds: the one a key of this
  // program holds already, or a new one; nothing when it cannot be had.
  std::shared_ptr<SaveLock> saveLock();
  // Says why the file is not used (once on standard error, each time in
  // the trace); the key counts as not writable.
  std::uint32_t refuse(const char* why);

  std::string m_sFile;    // UTF-8
  std::string m_sFolder;  // UTF-8
  Trace& m_trace;
  bool m_bRefusalSaid = false;
  std::weak_ptr<SaveLock> m_heldLock;
};

}  // namespace tavolin
