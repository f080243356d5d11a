#include "frontend/console/console_settings.h"

#include "processing/card_data_processor.h"
#include "processing/setting_rules.h"
#include "processing/settings_store.h"
#include "processing/us_layout_keyboard.h"

namespace tavolin {

namespace {

template <typename Group, std::size_t N>
void printGroup(const SettingValue<Group> (&table)[N], const Group& group, ConsoleOutput& output) {
  for (const SettingValue<Group>& value : table) output.line(std::string(value.name) + "=" + group.*value.member);
}

Settings load(SettingsStore& store) {
  Settings settings;
  store.LoadComSettings(settings.com);
  store.LoadCardDataSettings(settings.cardData);
  store.LoadAddCharsSettings(settings.addChars);
  return settings;
}

// The card data as the program derives them at start: false when reading
// would not start.
bool plausibleCardData(const CardDataSettings& cardData) {
  UsLayoutKeyboard keyboard;
  Trace off;
  CardDataProcessor processor(keyboard, off);
  return processor.CheckCardAttr(cardData) > 0;
}

SettingsStore quietStore(RegistryApi& registry, System& system, Trace& off) {
  return SettingsStore(registry, off, defaultSettings(system.getApplicationPath(), system.pathSeparator()));
}

}  // namespace

Settings loadStoredSettings(RegistryApi& registry, System& system) {
  Trace off;
  SettingsStore store = quietStore(registry, system, off);
  return load(store);
}

std::string assignSetting(Settings& settings, const std::string& assignment) {
  const std::size_t equals = assignment.find('=');
  if (equals == std::string::npos) return "--set needs NAME=VALUE, not \"" + assignment + "\".";
  const std::string name = assignment.substr(0, equals);
  const std::string value = assignment.substr(equals + 1);
  std::string* setting = findSettingValue(settings, name);
  if (!setting) return settingValueProblem(name, value) + " --show-settings lists the settings with their names.";
  if (std::string problem = settingValueProblem(name, value); !problem.empty()) return problem;
  *setting = value;
  return {};
}

void showSettings(RegistryApi& registry, System& system, ConsoleOutput& output) {
  const Settings settings = loadStoredSettings(registry, system);
  printGroup(SettingValues::com, settings.com, output);
  printGroup(SettingValues::cardData, settings.cardData, output);
  printGroup(SettingValues::addChars, settings.addChars, output);
}

int setSetting(RegistryApi& registry, System& system, ConsoleOutput& output, const std::string& assignment,
               bool instanceRuns) {
  Trace off;
  SettingsStore store = quietStore(registry, system, off);
  Settings settings = load(store);
  if (const std::string problem = assignSetting(settings, assignment); !problem.empty()) {
    output.error("tavolin-console: " + problem + " Nothing was changed.");
    return 1;
  }
  if (!store.registryWritable()) {
    output.error("tavolin-console: the settings cannot be written (no write access to the settings store). "
                 "Nothing was changed.");
    return 1;
  }
  // Each group is saved whole; saving an unchanged group writes what it
  // holds already.
  const std::string name = assignment.substr(0, assignment.find('='));
  const bool saved = findSettingValue(settings.com, name)        ? store.SaveComSettings(settings.com)
                     : findSettingValue(settings.cardData, name) ? store.SaveCardDataSettings(settings.cardData)
                                                                 : store.SaveAddCharsSettings(settings.addChars);
  if (!saved) {
    output.error("tavolin-console: writing the settings failed; \"" + name + "\" may be unchanged.");
    return 1;
  }
  output.line(assignment);
  if (!plausibleCardData(settings.cardData)) {
    output.error("tavolin-console: the card data settings do not fit together now (a position outside 1 to 107, or "
                 "a range that stops before it starts); reading does not start until they are corrected.");
  }
  if (instanceRuns) output.error("tavolin-console: Tavolin is running; it uses the new value after a restart.");
  return 0;
}

}  // namespace tavolin
