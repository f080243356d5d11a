#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "services/text_file.h"

namespace tavolin {

struct LocalTime {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// What the program needs of the operating system beyond its devices.
class System {
 public:
  enum class FileMode { Replace, Append };

  virtual ~System() = default;

  // The folder of the running program, without a trailing separator; empty
  // when it cannot be had.
  virtual std::string getApplicationPath() = 0;
  // The folder in which a file delivered with the program (the signal
  // sound) lies: the program's folder, unless the installation keeps its
  // files elsewhere.
  virtual std::string deliveredFileFolder(const std::string& fileName) {
    (void)fileName;
    return getApplicationPath();
  }
  // The system's code of the last failed call of this thread.
  virtual std::uint32_t lastError() = 0;

  // The system's text for an error code, with its line break; the
  // unknownErrorText() for a code the system has no text for.
  virtual std::string getErrorText(std::uint32_t code) = 0;

  virtual std::optional<std::string> getEnvironment(const char* name) = 0;

  // The user's application-data folder, in which the trace file and the
  // data log folder live; nothing when there is none.
  virtual std::optional<std::string> applicationDataFolder() = 0;

  virtual LocalTime localTime() = 0;

  virtual char pathSeparator() const = 0;

  // How text leaves the program on this system (files, the console).
  virtual StdioTextFile::Encoding textEncoding() const = 0;
  // A command-line argument as program text.
  virtual std::string fromCommandLine(const char* argument) const = 0;

  // Whether the file exists and can be opened for reading.
  virtual bool canReadFile(const std::string& path) = 0;
  virtual bool isDirectory(const std::string& path) = 0;
  // A text file opened for writing (emptied) or appending; nullptr when it
  // cannot be opened.
  virtual std::unique_ptr<TextFile> openTextFile(const std::string& path, FileMode mode) = 0;

  // The name of the user running the program; nothing when it cannot be had.
  virtual std::optional<std::string> userName() = 0;
  // The user has administrator rights (a denied group counts too).
  virtual bool isUserAdmin() = 0;
  // User account control is switched on ("EnableLUA" not zero).
  virtual bool isUacEnabled() = 0;

  std::string joinPath(const std::string& folder, const std::string& name) const {
    return folder + pathSeparator() + name;
  }
};

// "Unknown error from GetLastError(): <code>l\n": the text of a code the
// system has no text for.
std::string unknownErrorText(std::uint32_t code);

}  // namespace tavolin
