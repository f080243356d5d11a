#pragma once

#include <string>

#include "frontend/console/console_host.h"
#include "processing/registry.h"
#include "processing/settings.h"
#include "services/system.h"

namespace tavolin {

// The settings as the program loads them at start (defaults for what the
// store lacks), without a trace.
Settings loadStoredSettings(RegistryApi& registry, System& system);

// Checks "NAME=VALUE" against what the setting allows and puts the value
// into the settings. Returns the problem, or an empty text.
std::string assignSetting(Settings& settings, const std::string& assignment);

// The settings as the program loads them at start, one "NAME=VALUE" line
// each, in the order of their groups.
void showSettings(RegistryApi& registry, System& system, ConsoleOutput& output);

// Checks the value against what the setting allows and saves the group
// it belongs to; on any problem nothing is changed and the problem is
// reported. The exit code: 0 saved, 1 not saved. When instanceRuns, the
// user is told that the running program takes the value at its next start.
int setSetting(RegistryApi& registry, System& system, ConsoleOutput& output, const std::string& assignment,
               bool instanceRuns);

}  // namespace tavolin
