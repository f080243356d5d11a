#include "platform/win32/sound_win32.h"

#include "platform/platform.h"

#include <windows.h>
#include <mmsystem.h>

namespace tavolin {

void Win32Sound::playAsync(const std::string& file) { PlaySoundA(file.c_str(), nullptr, SND_ASYNC); }

}  // namespace tavolin

namespace tavolin {

std::unique_ptr<Sound> makeSound() { return std::make_unique<Win32Sound>(); }

}  // namespace tavolin
