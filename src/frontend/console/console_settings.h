#pragma once

#include <string>

#include "frontend/console/console_host.h"
#include "processing/registry.h"
#include "shell/system.h"

namespace tavolin {

// The settings as the program loads them at start, one "NAME=VALUE" line
// each, in the order of their groups.
void showSettings(RegistryApi& registry, System& system, ConsoleOutput& output);

// Checks the value against what the setting allows and saves the group
// it belongs to; on any problem nothing is changed and the problem is
// reported. The exit code: 0 saved, 1 not saved.
int setSetting(RegistryApi& registry, System& system, ConsoleOutput& output, const std::string& assignment);

}  // namespace tavolin
