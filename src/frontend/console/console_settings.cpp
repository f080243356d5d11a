#include "frontend/console/console_settings.h"

#include <memory>

#include "processing/card_data_processor.h"
#include "processing/setting_rules.h"
#include "processing/settings_store.h"
#include "processing/us_layout_keyboard.h"

namespace tavolin {

namespace {

template <typename Group, std::size_t N>
void printGroup(const SettingValue<Group> (&table)[N], const Group& group, ConsoleOutput& output) {
  for (const SettingValue<Group>& value : table) output.line(std::string(value.name) + "=" + (group.*value.member).text());
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

// The store as a command that only shows sees it: read, never written, so
// that a missing value shows its default and is not written (as a load
// with write access would).
class LookingRegistry : public RegistryApi {
 public:
  explicit LookingRegistry(RegistryApi& registry) : m_registry(registry) {}
  std::uint32_t openKey(const std::string& path, std::uint32_t access, std::unique_ptr<RegistryKey>& key) override {
    key.reset();
    if (access != KEY_READ_ACCESS) return win32_error::AccessDenied;
    return m_registry.openKey(path, access, key);
  }
  std::uint32_t createKey(const std::string&, std::unique_ptr<RegistryKey>& key) override {
    key.reset();
    return win32_error::AccessDenied;
  }

 private:
  RegistryApi& m_registry;
};

SettingsStore quietStore(RegistryApi& registry, System& system, Trace& off) {
  return SettingsStore(registry, off, defaultSettings(system));
}

}  // namespace

Settings loadStoredSettings(RegistryApi& registry, System& system) {
  LookingRegistry looking(registry);
  Trace off;
  SettingsStore store = quietStore(looking, system, off);
  return load(store);
}

std::string assignSetting(Settings& settings, const std::string& assignment) {
  const std::size_t equals = assignment.find('=');
  if (equals == std::string::npos) return "--set needs NAME=VALUE, not \"" + assignment + "\".";
  const std::string name = assignment.substr(0, equals);
  const std::string value = assignment.substr(equals + 1);
  SettingText* setting = findSettingValue(settings, name);
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

int setSettings(RegistryApi& registry, System& system, ConsoleOutput& output,
                const std::vector<std::string>& assignments, bool instanceRuns) {
  // One change: a key open for writing holds the store's lock, so no other
  // program's save comes between reading the settings and writing them.
  std::unique_ptr<RegistryKey> change;
  registry.openKey(SettingsStore::keyPath, RegistryApi::KEY_READ_WRITE_ACCESS, change);
  Trace off;
  SettingsStore store = quietStore(registry, system, off);
  Settings settings = load(store);
  std::vector<std::string> problems;
  for (const std::string& assignment : assignments) {
    if (std::string problem = assignSetting(settings, assignment); !problem.empty()) problems.push_back(problem);
  }
  for (const std::string& problem : problems) output.error("tavolin-console: " + problem);
  if (!problems.empty()) {
    output.error("tavolin-console: Nothing was changed.");
    return kSettingRefused;
  }
  if (!store.registryWritable()) {
    output.error("tavolin-console: the settings cannot be written (no write access to the settings store). "
                 "Nothing was changed.");
    return kSettingsNotSaved;
  }
  // Each group that a value belongs to is saved whole, in the store's order.
  const auto touches = [&](const auto& group) {
    for (const std::string& assignment : assignments) {
      if (findSettingValue(group, assignment.substr(0, assignment.find('=')))) return true;
    }
    return false;
  };
  const bool saved = (!touches(settings.com) || store.SaveComSettings(settings.com)) &&
                     (!touches(settings.cardData) || store.SaveCardDataSettings(settings.cardData)) &&
                     (!touches(settings.addChars) || store.SaveAddCharsSettings(settings.addChars));
  if (!saved) {
    output.error("tavolin-console: writing the settings failed; they may be saved only in part.");
    return kSettingsNotSaved;
  }
  for (const std::string& assignment : assignments) output.line(assignment);
  if (!plausibleCardData(settings.cardData)) {
    output.error("tavolin-console: the card data settings do not fit together now (a position outside 1 to 107, or "
                 "a range that stops before it starts); reading does not start until they are corrected.");
  }
  if (instanceRuns) output.error("tavolin-console: Tavolin is running; it uses the new values after a restart.");
  return 0;
}

}  // namespace tavolin
