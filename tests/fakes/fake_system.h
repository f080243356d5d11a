#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "fakes/memory_text_file.h"
#include "services/system.h"

namespace tavolin::testing {

// A system with files in memory, a fixed clock and the Windows path
// separator.
class FakeSystem : public System {
 public:
  std::string getApplicationPath() override { return applicationPath; }
  std::uint32_t lastError() override { return error; }
  std::string getErrorText(std::uint32_t code) override { return unknownErrorText(code); }
  std::optional<std::string> getEnvironment(const char* name) override {
    const auto it = environment.find(name);
    if (it == environment.end()) return std::nullopt;
    return it->second;
  }
  std::optional<std::string> applicationDataFolder() override { return getEnvironment("APPDATA"); }
  LocalTime localTime() override { return now; }
  char pathSeparator() const override { return '\\'; }
  StdioTextFile::Encoding textEncoding() const override { return StdioTextFile::Encoding::Windows1252; }
  std::string fromCommandLine(const char* argument) const override { return argument; }
  bool canReadFile(const std::string& path) override { return files.count(path) != 0; }
  bool isDirectory(const std::string& path) override { return directories.count(path) != 0; }
  std::unique_ptr<TextFile> openTextFile(const std::string& path, FileMode mode) override {
    opened.push_back(path);
    if (readOnly.count(path)) return nullptr;
    auto& content = files[path];
    if (!content) content = std::make_shared<std::string>();
    if (mode == FileMode::Replace) content->clear();
    return std::make_unique<MemoryTextFile>(content);
  }

  std::optional<std::string> userName() override { return user; }
  bool isUserAdmin() override { return admin; }
  bool isUacEnabled() override { return uac; }

  std::string content(const std::string& path) const {
    const auto it = files.find(path);
    return it == files.end() ? std::string() : *it->second;
  }
  void addFile(const std::string& path, const std::string& text = {}) {
    files[path] = std::make_shared<std::string>(text);
  }

  std::string applicationPath = "C:\\Programs\\Tool";
  std::uint32_t error = 0;
  std::optional<std::string> user = std::string("maria");
  bool admin = true;
  bool uac = false;
  std::map<std::string, std::string> environment;
  LocalTime now{2014, 5, 12, 8, 3, 7};
  std::map<std::string, std::shared_ptr<std::string>> files;
  std::set<std::string> directories;
  std::set<std::string> readOnly;
  std::vector<std::string> opened;
};

}  // namespace tavolin::testing
