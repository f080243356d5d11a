#pragma once

#include "processing/registry.h"
#include "readers/serial_port.h"
#include "services/event_log.h"
#include "services/single_instance.h"
#include "services/sound.h"
#include "services/system.h"
#include "services/trace.h"

namespace tavolin {

// The platform's implementations of the seams, as the program uses them.
// They are owned elsewhere: by the platform's bundle (platform.h), or by a
// test.
struct PlatformSeams {
  Trace& trace;
  System& system;
  SerialPorts& ports;
  Sound& sound;
  RegistryApi& registry;
  EventLog& eventLog;
  InstanceMutex& instanceMutex;
};

}  // namespace tavolin
