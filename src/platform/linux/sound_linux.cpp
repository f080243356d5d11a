#include "platform/linux/sound_linux.h"

#include "platform/platform.h"

#include <canberra.h>
#include <unistd.h>

#include "text/cp1252.h"

namespace tavolin {

std::string installedSoundFile(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (::access(path.c_str(), F_OK) == 0 || slash == std::string::npos) return path;
  const std::string installed = path.substr(0, slash) + "/../share/tavolin" + path.substr(slash);
  return ::access(installed.c_str(), F_OK) == 0 ? installed : path;
}

LinuxSound::LinuxSound() {
  if (ca_context_create(&m_pContext) != CA_SUCCESS) m_pContext = nullptr;
}

LinuxSound::~LinuxSound() {
  if (m_pContext) ca_context_destroy(m_pContext);
}

void LinuxSound::playAsync(const std::string& file) {
  if (!m_pContext) return;
  // A new sound replaces the one still playing, as PlaySound does.
  ca_context_cancel(m_pContext, 1);
  ca_context_play(m_pContext, 1, CA_PROP_MEDIA_FILENAME, installedSoundFile(cp1252ToUtf8(file)).c_str(), nullptr);
}

}  // namespace tavolin

namespace tavolin {

std::unique_ptr<Sound> makeSound() { return std::make_unique<LinuxSound>(); }

}  // namespace tavolin
