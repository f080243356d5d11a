#pragma once

#include "processing/registry.h"

namespace tavolin {

// The registry of the local machine (HKEY_LOCAL_MACHINE).
class Win32Registry : public RegistryApi {
 public:
  std::uint32_t openKey(const std::string& path, std::uint32_t access, std::unique_ptr<RegistryKey>& key) override;
  std::uint32_t createKey(const std::string& path, std::unique_ptr<RegistryKey>& key) override;
};

}  // namespace tavolin
