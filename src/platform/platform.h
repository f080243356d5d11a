#pragma once

#include <memory>

#include "processing/keyboard.h"
#include "shell/system.h"

namespace tavolin {

// The platform objects of the system the program was built for; each
// platform folder defines these.
std::unique_ptr<System> makeSystem();

}  // namespace tavolin
