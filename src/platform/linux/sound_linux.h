#pragma once

#include "services/sound.h"

struct ca_context;

namespace tavolin {

// Sound through libcanberra; without a sound device nothing is heard and
// nothing fails.
class LinuxSound : public Sound {
 public:
  LinuxSound();
  ~LinuxSound() override;
  LinuxSound(const LinuxSound&) = delete;
  LinuxSound& operator=(const LinuxSound&) = delete;

  void playAsync(const std::string& file) override;

 private:
  ca_context* m_pContext = nullptr;
};

}  // namespace tavolin
