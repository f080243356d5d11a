#pragma once

#include <map>
#include <set>
#include <string>

#include "processing/registry.h"

namespace tavolin::testing {

// A registry in memory that can refuse to open, create or write, and keeps
// what was asked of it.
class MemoryRegistry : public RegistryApi {
 public:
  struct Value {
    std::uint32_t type;
    std::string data;  // a text without its terminator, as queryValue delivers it
  };
  using Key = std::map<std::string, Value>;

  std::uint32_t openKey(const std::string& path, std::uint32_t access, std::unique_ptr<RegistryKey>& key) override {
    const std::string p = normal(path);
    const char* mode = access == KEY_READ_ACCESS ? " read|" : access == KEY_WRITE_ACCESS ? " write|" : " rw|";
    operations += "open " + p + mode;
    if (!keys.count(p)) return win32_error::FileNotFound;
    if (unreadable.count(p) || (access != KEY_READ_ACCESS && readOnly.count(p))) return win32_error::AccessDenied;
    key = std::make_unique<OpenKey>(*this, p);
    return win32_error::Success;
  }
  std::uint32_t createKey(const std::string& path, std::unique_ptr<RegistryKey>& key) override {
    const std::string p = normal(path);
    operations += "create " + p + "|";
    if (uncreatable.count(p)) return win32_error::AccessDenied;
    keys[p];
    key = std::make_unique<OpenKey>(*this, p);
    return win32_error::Success;
  }
  Key& program() { return keys["SOFTWARE\\Brellmark\\Tavolin"]; }

  std::map<std::string, Key> keys;
  std::set<std::string> unreadable, readOnly, uncreatable;
  int failWrite = 0;  // the n-th write from now on fails
  int writes = 0;
  std::string operations;  // "open KEY write|set NAME|..."

 private:
  static std::string normal(std::string path) {
    if (!path.empty() && path.back() == '\\') path.pop_back();
    return path;
  }

  struct OpenKey : RegistryKey {
    OpenKey(MemoryRegistry& registry, std::string path) : registry(registry), path(std::move(path)) {}
    std::uint32_t queryValue(const std::string& name, std::uint32_t& type, std::string& data,
                             std::size_t bufferSize) override {
      const auto key = registry.keys.find(path);
      if (key == registry.keys.end()) return win32_error::FileNotFound;
      const auto value = key->second.find(name);
      if (value == key->second.end()) return win32_error::FileNotFound;
      if (value->second.data.size() > bufferSize) return win32_error::MoreData;
      type = value->second.type;
      data = value->second.data;
      return win32_error::Success;
    }
    std::uint32_t setValue(const std::string& name, const std::string& text) override {
      registry.operations += "set " + name + "|";
      if (++registry.writes == registry.failWrite) return win32_error::AccessDenied;
      registry.keys[path][name] = {REG_SZ_TYPE, text};
      return win32_error::Success;
    }
    MemoryRegistry& registry;
    std::string path;
  };
};

}  // namespace tavolin::testing
