#pragma once

#include <string>

namespace tavolin {

// Plays a wave file without waiting for it; a sound that cannot be played
// is silently left out.
class Sound {
 public:
  virtual ~Sound() = default;
  virtual void playAsync(const std::string& file) = 0;
};

}  // namespace tavolin
