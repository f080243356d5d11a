#include "platform/win32/registry_win32.h"

#include "platform/platform.h"

#include <windows.h>

namespace tavolin {

namespace {

class Win32Key : public RegistryKey {
 public:
  explicit Win32Key(HKEY key) : m_hKey(key) {}
  ~Win32Key() override { RegCloseKey(m_hKey); }
  Win32Key(const Win32Key&) = delete;
  Win32Key& operator=(const Win32Key&) = delete;

  std::uint32_t queryValue(const std::string& name, std::uint32_t& type, std::string& data,
                           std::size_t bufferSize) override {
    std::string buffer(bufferSize, '\0');
    DWORD valueType = 0;
    DWORD size = static_cast<DWORD>(bufferSize);
    const LONG result = RegQueryValueExA(m_hKey, name.c_str(), nullptr, &valueType,
                                         reinterpret_cast<BYTE*>(buffer.data()), &size);
    if (result != ERROR_SUCCESS) return static_cast<std::uint32_t>(result);
    type = valueType;
    if (valueType == REG_SZ && size > 0 && buffer[size - 1] == '\0') --size;  // the terminator
    data = buffer.substr(0, size);
    return ERROR_SUCCESS;
  }

  std::uint32_t setValue(const std::string& name, const std::string& text) override {
    return static_cast<std::uint32_t>(RegSetValueExA(m_hKey, name.c_str(), 0, REG_SZ,
                                                     reinterpret_cast<const BYTE*>(text.c_str()),
                                                     static_cast<DWORD>(text.size() + 1)));
  }

 private:
  HKEY m_hKey;
};

}  // namespace

std::uint32_t Win32Registry::openKey(const std::string& path, std::uint32_t access, std::unique_ptr<RegistryKey>& key) {
  HKEY handle = nullptr;
  const LONG result = RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, access, &handle);
  if (result != ERROR_SUCCESS) return static_cast<std::uint32_t>(result);
  key = std::make_unique<Win32Key>(handle);
  return ERROR_SUCCESS;
}

std::uint32_t Win32Registry::createKey(const std::string& path, std::unique_ptr<RegistryKey>& key) {
  HKEY handle = nullptr;
  const LONG result = RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, const_cast<char*>(""), 0, KEY_WRITE,
                                      nullptr, &handle, nullptr);
  if (result != ERROR_SUCCESS) return static_cast<std::uint32_t>(result);
  key = std::make_unique<Win32Key>(handle);
  return ERROR_SUCCESS;
}

}  // namespace tavolin

namespace tavolin {

std::unique_ptr<RegistryApi> makeRegistry(Trace&) { return std::make_unique<Win32Registry>(); }

}  // namespace tavolin
