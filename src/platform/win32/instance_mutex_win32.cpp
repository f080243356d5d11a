#include <windows.h>

#include "platform/platform.h"
#include "services/single_instance.h"

namespace tavolin {

namespace {

// The named mutex; its handle is never closed, so that the process holds
// it until it ends.
class Win32InstanceMutex : public InstanceMutex {
 public:
  Creation create(const std::string& name) override {
    m_hMutex = CreateMutexA(nullptr, FALSE, name.c_str());
    const DWORD code = GetLastError();
    const Creation::Error error = code == ERROR_SUCCESS         ? Creation::Error::None
                                  : code == ERROR_ALREADY_EXISTS ? Creation::Error::AlreadyExists
                                  : code == ERROR_ACCESS_DENIED  ? Creation::Error::AccessDenied
                                                                 : Creation::Error::Other;
    return {m_hMutex != nullptr, error, code, {}};
  }

  std::uint32_t tryAcquire() override { return WaitForSingleObject(m_hMutex, 0); }

 private:
  HANDLE m_hMutex = nullptr;
};

}  // namespace

std::unique_ptr<InstanceMutex> makeInstanceMutex() { return std::make_unique<Win32InstanceMutex>(); }

}  // namespace tavolin
