#include "frontend/console/console_settings.h"

#include "processing/setting_rules.h"
#include "processing/settings_store.h"

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

}  // namespace

void showSettings(RegistryApi& registry, System& system, ConsoleOutput& output) {
  Trace off;
  SettingsStore store(registry, off, defaultSettings(system.getApplicationPath(), system.pathSeparator()));
  const Settings settings = load(store);
  printGroup(SettingValues::com, settings.com, output);
  printGroup(SettingValues::cardData, settings.cardData, output);
  printGroup(SettingValues::addChars, settings.addChars, output);
}

int setSetting(RegistryApi& registry, System& system, ConsoleOutput& output, const std::string& assignment) {
  const std::size_t equals = assignment.find('=');
  if (equals == std::string::npos) {
    output.error("tavolin-console: --set needs NAME=VALUE, not \"" + assignment + "\".");
    return 1;
  }
  const std::string name = assignment.substr(0, equals);
  const std::string value = assignment.substr(equals + 1);
  if (const std::string problem = settingValueProblem(name, value); !problem.empty()) {
    output.error("tavolin-console: " + problem + " Nothing was changed.");
    return 1;
  }

  Trace off;
  SettingsStore store(registry, off, defaultSettings(system.getApplicationPath(), system.pathSeparator()));
  Settings settings = load(store);
  if (!store.registryWritable()) {
    output.error("tavolin-console: the settings cannot be written (no write access to the settings store). "
                 "Nothing was changed.");
    return 1;
  }
  bool saved = false;
  if (std::string* com = findSettingValue(settings.com, name)) {
    *com = value;
    saved = store.SaveComSettings(settings.com);
  } else if (std::string* cardData = findSettingValue(settings.cardData, name)) {
    *cardData = value;
    saved = store.SaveCardDataSettings(settings.cardData);
  } else if (std::string* addChars = findSettingValue(settings.addChars, name)) {
    *addChars = value;
    saved = store.SaveAddCharsSettings(settings.addChars);
  }
  if (!saved) {
    output.error("tavolin-console: writing the settings failed; \"" + name + "\" may be unchanged.");
    return 1;
  }
  output.line(name + "=" + value);
  return 0;
}

}  // namespace tavolin
