#pragma once

#include <memory>

#include "processing/keyboard.h"
#include "processing/registry.h"
#include "readers/serial_port.h"
#include "services/event_log.h"
#include "services/single_instance.h"
#include "services/sound.h"
#include "services/system.h"
#include "services/trace.h"
#include "ui/platform_seams.h"

namespace tavolin {

// The platform objects of the system the program was built for; each
// platform folder defines these.
std::unique_ptr<System> makeSystem();
std::unique_ptr<SerialPorts> makeSerialPorts();
std::unique_ptr<Sound> makeSound();
// The settings key; the Linux edition reports what it cannot read of its
// file into the trace.
std::unique_ptr<RegistryApi> makeRegistry(Trace& trace);
// Entries that cannot be written are reported into the trace (Linux: the
// file named by TAVOLIN_EVENTLOG).
std::unique_ptr<EventLog> makeEventLog(Trace& trace);
std::unique_ptr<InstanceMutex> makeInstanceMutex();
// The keyboard that types into the focused window; when there is none,
// one that types nothing, and problem says why.
std::unique_ptr<Keyboard> makeKeyboard(std::string& problem);
// Whether the program runs in a desktop session, whose focused window
// keystrokes go to (Linux: an X or Wayland display is named).
bool desktopSession();

// Every seam of this system but the keyboard (a front-end chooses that),
// owned together with the trace they report into: what a program's main
// makes first and hands to the application.
struct PlatformServices {
  Trace trace;
  std::unique_ptr<System> system = makeSystem();
  std::unique_ptr<SerialPorts> ports = makeSerialPorts();
  std::unique_ptr<Sound> sound = makeSound();
  std::unique_ptr<RegistryApi> registry = makeRegistry(trace);
  std::unique_ptr<EventLog> eventLog = makeEventLog(trace);
  std::unique_ptr<InstanceMutex> instanceMutex = makeInstanceMutex();

  PlatformSeams seams() { return {trace, *system, *ports, *sound, *registry, *eventLog, *instanceMutex}; }
};

}  // namespace tavolin
