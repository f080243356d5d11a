#pragma once

#include "services/sound.h"

namespace tavolin {

class Win32Sound : public Sound {
 public:
  void playAsync(const std::string& file) override;
};

}  // namespace tavolin
