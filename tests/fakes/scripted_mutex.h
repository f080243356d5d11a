#pragma once

#include <string>

#include "services/single_instance.h"

namespace tavolin::testing {

// A single-instance lock whose creation and wait give what the test says.
struct ScriptedMutex : InstanceMutex {
  Creation create(const std::string& name) override {
    createdName = name;
    return creation;
  }
  std::uint32_t tryAcquire() override { return waitResult; }

  Creation creation;
  std::uint32_t waitResult = 0;
  std::string createdName;
};

}  // namespace tavolin::testing
