// Where the Linux edition finds a sound file: the default sound lies beside
// the program in a build, in ../share/tavolin in an installation.
#include "platform/linux/sound_linux.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace tavolin {
namespace {

TEST(LinuxSound, SoundFileBesideTheProgramOrInShare) {
  namespace fs = std::filesystem;
  const fs::path root = fs::temp_directory_path() / ("tavolin-sound-" + std::to_string(::getpid()));
  fs::create_directories(root / "bin");
  fs::create_directories(root / "share/tavolin");
  std::ofstream(root / "share/tavolin/Elvorbeep.wav") << "RIFF";
  const std::string beside = (root / "bin/Elvorbeep.wav").string();
  EXPECT_EQ(installedSoundFile(beside), (root / "bin/../share/tavolin/Elvorbeep.wav").string());
  std::ofstream(root / "bin/Elvorbeep.wav") << "RIFF";
  EXPECT_EQ(installedSoundFile(beside), beside);
  const std::string nowhere = (root / "bin/Other.wav").string();
  EXPECT_EQ(installedSoundFile(nowhere), nowhere);
  fs::remove_all(root);
}

}  // namespace
}  // namespace tavolin
