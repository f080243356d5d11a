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
// separator. Its settings are made before a reading thread starts; its
// files are written by the reading thread (trace, data log) and read by
// the test through their locks.
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
  bool canReadFile(const std::string& path) override { return hasFile(path); }
  bool isDirectory(const std::string& path) override { return directories.count(path) != 0; }
  // The data log opens its next file on the reading thread.
  std::unique_ptr<TextFile> openTextFile(const std::string& path, FileMode mode) override {
    auto content = m_files.change([&](Files& files) -> std::shared_ptr<SharedFile> {
      files.opened.push_back(path);
      if (readOnly.count(path)) return nullptr;
      auto& file = files.byPath[path];
      if (!file) file = std::make_shared<SharedFile>();
      return file;
    });
    if (!content) return nullptr;
    if (mode == FileMode::Replace) content->change([](FileContent& c) { c.text.clear(); });
    return std::make_unique<MemoryTextFile>(content);
  }

  std::optional<std::string> userName() override { return user; }
  bool isUserAdmin() override { return admin; }
  bool isUacEnabled() override { return false; }

  // What the file holds now; empty when there is none.
  std::string content(const std::string& path) const {
    const auto file = m_files.look([&](const Files& files) { return find(files, path); });
    return file ? file->look([](const FileContent& c) { return c.text; }) : std::string();
  }
  bool hasFile(const std::string& path) const {
    return m_files.look([&](const Files& files) { return find(files, path) != nullptr; });
  }
  void addFile(const std::string& path, const std::string& text = {}) {
    auto file = std::make_shared<SharedFile>(FileContent{text, 0});
    m_files.change([&](Files& files) { files.byPath[path] = file; });
  }
  // The paths the program opened, in order.
  std::vector<std::string> opened() const {
    return m_files.look([](const Files& files) { return files.opened; });
  }

  std::string applicationPath = "C:\\Programs\\Tool";
  std::uint32_t error = 0;
  std::optional<std::string> user = std::string("maria");
  bool admin = true;
  std::map<std::string, std::string> environment;
  LocalTime now{2014, 5, 12, 8, 3, 7};
  std::set<std::string> directories;
  std::set<std::string> readOnly;

 private:
  struct Files {
    std::map<std::string, std::shared_ptr<SharedFile>> byPath;
    std::vector<std::string> opened;
  };
  static std::shared_ptr<SharedFile> find(const Files& files, const std::string& path) {
    const auto it = files.byPath.find(path);
    return it == files.byPath.end() ? nullptr : it->second;
  }
  Shared<Files> m_files;
};

}  // namespace tavolin::testing
