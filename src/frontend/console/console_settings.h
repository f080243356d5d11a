#pragma once

#include <string>
#include <vector>

#include "frontend/console/console_host.h"
#include "processing/registry.h"
#include "processing/settings.h"
#include "services/system.h"

namespace tavolin {

// The settings as the program loads them at start (defaults for what the
// store lacks), without a trace; the store is read, never written.
Settings loadStoredSettings(RegistryApi& registry, System& system);

// Checks "NAME=VALUE" against what the setting allows and puts the value
// into the settings. Returns the problem, or an empty text.
std::string assignSetting(Settings& settings, const std::string& assignment);

// The settings as the program loads them at start, one "NAME=VALUE" line
// each, in the order of their groups.
void showSettings(RegistryApi& registry, System& system, ConsoleOutput& output);

// Exit codes of --set of their own (1 to 5 are the program's start-up,
// reader and installation-check results).
constexpr int kSettingRefused = 6;    // a value the setting does not allow; nothing was changed
constexpr int kSettingsNotSaved = 7;  // the store cannot be written; nothing, or not all, was changed

// Checks every "NAME=VALUE" against what its setting allows and then saves
// the groups they belong to, all in one change of the store; when any value
// is refused, nothing is changed and each refusal is reported. Returns 0
// or one of the codes above. When instanceRuns, the user is told that the
// running program takes the values at its next start.
int setSettings(RegistryApi& registry, System& system, ConsoleOutput& output,
                const std::vector<std::string>& assignments, bool instanceRuns);

}  // namespace tavolin
