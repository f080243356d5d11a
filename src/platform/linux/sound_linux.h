#pragma once

#include "services/sound.h"

struct ca_context;

namespace tavolin {

// Where a sound file is: the path itself, or, when nothing is there, the
// same name in ../share/tavolin beside its folder. The default sound lies
// beside the program in a build; an installation keeps the program in
// /usr/bin and its files in /usr/share/tavolin, as the help documents.
// UTF-8 paths.
std::string installedSoundFile(const std::string& path);

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
