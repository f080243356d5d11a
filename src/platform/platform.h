#pragma once

#include <memory>

#include "processing/keyboard.h"
#include "readers/serial_port.h"
#include "shell/sound.h"
#include "shell/system.h"

namespace tavolin {

// The platform objects of the system the program was built for; each
// platform folder defines these.
std::unique_ptr<System> makeSystem();
std::unique_ptr<SerialPorts> makeSerialPorts();
std::unique_ptr<Sound> makeSound();

}  // namespace tavolin
