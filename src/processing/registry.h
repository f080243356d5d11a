#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace tavolin {

// Win32 error codes the registry seam speaks in.
namespace win32_error {
constexpr std::uint32_t Success = 0;
constexpr std::uint32_t FileNotFound = 2;
constexpr std::uint32_t AccessDenied = 5;
constexpr std::uint32_t InvalidData = 13;
constexpr std::uint32_t MoreData = 234;
}  // namespace win32_error

// An open key of the registry under HKEY_LOCAL_MACHINE; closed when
// dropped.
class RegistryKey {
 public:
  static constexpr std::uint32_t REG_SZ_TYPE = 1;
  static constexpr std::uint32_t REG_BINARY_TYPE = 3;
  static constexpr std::uint32_t REG_DWORD_TYPE = 4;

  virtual ~RegistryKey() = default;
  // The value's type and its data, at most bufferSize bytes;
  // win32_error::MoreData when the data are longer. A REG_SZ value comes
  // without the terminating zero it is stored with: a text that fills the
  // buffer with its terminator (as regedit, reg add and installers write
  // it) arrives as bufferSize - 1 characters. A text stored without a
  // terminator arrives as it is.
  virtual std::uint32_t queryValue(const std::string& name, std::uint32_t& type, std::string& data,
                                   std::size_t bufferSize) = 0;
  // Writes a REG_SZ value from its characters; where the registry keeps
  // the terminating zero, the backend stores it.
  virtual std::uint32_t setValue(const std::string& name, const std::string& text) = 0;
};

// The registry of the local machine, in the terms of RegOpenKeyExA and
// RegCreateKeyExA.
class RegistryApi {
 public:
  static constexpr std::uint32_t KEY_READ_ACCESS = 0x20019;
  static constexpr std::uint32_t KEY_WRITE_ACCESS = 0x20006;
  static constexpr std::uint32_t KEY_READ_WRITE_ACCESS = 0x2001F;

  virtual ~RegistryApi() = default;
  // 0 and the open key, or the error code.
  virtual std::uint32_t openKey(const std::string& path, std::uint32_t access, std::unique_ptr<RegistryKey>& key) = 0;
  // Creates the key path (KEY_WRITE access); 0 and the key, or the error code.
  virtual std::uint32_t createKey(const std::string& path, std::unique_ptr<RegistryKey>& key) = 0;
};

}  // namespace tavolin
