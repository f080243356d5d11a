#include "processing/settings_store.h"

#include <iterator>

namespace tavolin {

namespace {

constexpr std::size_t kComOrder[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
constexpr std::size_t kAddCharsOrder[] = {0, 1, 2};
static_assert(std::size(kComOrder) == ComSettings::valueCount && std::size(kAddCharsOrder) == AddCharsSettings::valueCount);

}  // namespace

// Total length, fixed length, the four positions, byte mode, mapping,
// direction, conversion, digits, padding used, padding character, filter
// order.
const std::size_t SettingsStore::cardDataLoadOrder[CardDataSettings::valueCount] = {0, 1, 2,  3,  4,  5,  6,
                                                                                   7, 8, 10, 11, 12, 13, 9};
// The same, with the padding values after the byte mode.
const std::size_t SettingsStore::cardDataSaveOrder[CardDataSettings::valueCount] = {0, 1, 2,  3,  4,  5,  6,
                                                                                   12, 13, 7, 8, 10, 11, 9};

SettingsStore::SettingsStore(RegistryApi& registry, Trace& trace, Settings defaults)
    : m_registry(registry), m_trace(trace), m_defaults(std::move(defaults)) {}

bool SettingsStore::openOrCreate(const char* path, const char* missingTrace) {
  std::unique_ptr<RegistryKey> key;
  if (const std::uint32_t e = m_registry.openKey(path, RegistryApi::KEY_READ_ACCESS, key)) {
    m_trace(missingTrace, static_cast<unsigned>(e), path);
    if (const std::uint32_t c = m_registry.createKey(path, key)) {
      m_trace("RegCreateKeyEx() Error: %u. (%s anlegen ging nicht)\n", static_cast<unsigned>(c), path);
      return false;
    }
  }
  return true;
}

bool SettingsStore::OpenSettingsKey(std::unique_ptr<RegistryKey>& key) {
  key.reset();
  if (!openOrCreate(parentKeyPath, "RegOpenKeyEx() Error: %u. (%s noch anlegen)\n")) return false;
  if (!openOrCreate(keyPath, "RegOpenKeyEx() Error: %u. (%s anlegen)\n")) return false;

  if (const std::uint32_t e = m_registry.openKey(keyPath, RegistryApi::KEY_READ_WRITE_ACCESS, key)) {
    m_trace("RegOpenKeyEx() Error: %u. (%s ex. nicht schreibbar)\n", static_cast<unsigned>(e), keyPath);
  } else {
    m_trace("RegOpenKeyEx() ok: HKEY_LOCAL_MACHINE\\%s schreibbar\n", keyPath);
    return true;
  }
  if (const std::uint32_t e = m_registry.openKey(keyPath, RegistryApi::KEY_READ_ACCESS, key)) {
    m_trace("RegOpenKeyEx() Error: %u. (%s ex. nicht lesbar)\n", static_cast<unsigned>(e), keyPath);
    key.reset();
  } else {
    m_trace("RegOpenKeyEx() ok: HKEY_LOCAL_MACHINE\\%s lesbar\n", keyPath);
  }
  return false;
}

std::string SettingsStore::ReadSettingValue(RegistryKey* key, const std::string& name,
                                            const std::string& defaultText) {
  std::uint32_t type = 0;
  std::string data;
  // A text that does not fit the buffer with its terminator counts as
  // missing; a value of another type counts as read whenever it fits.
  const bool read = key && key->queryValue(name, type, data, valueBufferSize) == win32_error::Success &&
                    (type != RegistryKey::REG_SZ_TYPE || data.size() < valueBufferSize);
  if (read && type == RegistryKey::REG_SZ_TYPE) {
    std::string text = data.substr(0, data.find('\0'));
    m_trace("%s: '%s'\n", name.c_str(), text.c_str());
    return text;
  }
  if (read) {
    m_trace("%s ke\xedn REG_SZ - Fehler\n", name.c_str());
    return defaultText;
  }
  if (m_bRegistryWritable) {
    m_trace("%s noch anlegen\n", name.c_str());
    if (!key || key->setValue(name, defaultText) != win32_error::Success) {
      m_trace("%s anlegen ging nicht\n", name.c_str());
    }
  }
  return defaultText;
}

template <typename Group, std::size_t N>
bool SettingsStore::load(Group& group, const Group& defaults, const SettingValue<Group> (&table)[N],
                         const std::size_t* order) {
  std::unique_ptr<RegistryKey> key;
  m_bRegistryWritable = OpenSettingsKey(key);
  for (std::size_t i = 0; i < N; ++i) {
    const SettingValue<Group>& value = table[order[i]];
    group.*value.member = ReadSettingValue(key.get(), value.name, defaults.*value.member);
  }
  return m_bRegistryWritable;
}

bool SettingsStore::LoadComSettings(ComSettings& settings) {
  const bool writable = load(settings, m_defaults.com, SettingValues::com, kComOrder);
  if (settings.sParity == "keine") {
    settings.sParity = "none";
  } else if (settings.sParity == "ungerade") {
    settings.sParity = "odd";
  } else if (settings.sParity == "gerade") {
    settings.sParity = "even";
  }
  if (settings.sFlowControl == "keine") settings.sFlowControl = "none";
  return writable;
}

bool SettingsStore::LoadCardDataSettings(CardDataSettings& settings) {
  return load(settings, m_defaults.cardData, SettingValues::cardData, cardDataLoadOrder);
}

bool SettingsStore::LoadAddCharsSettings(AddCharsSettings& settings) {
  const bool writable = load(settings, m_defaults.addChars, SettingValues::addChars, kAddCharsOrder);
  for (SettingText* text : {&settings.sPrefix, &settings.sInterfix, &settings.sPostfix}) {
    if (*text == "keine") *text = "none";
  }
  return writable;
}

template <typename Group, std::size_t N>
bool SettingsStore::save(const Group& group, const SettingValue<Group> (&table)[N], const std::size_t* order) {
  std::unique_ptr<RegistryKey> key;
  if (const std::uint32_t e = m_registry.openKey(keyPath, RegistryApi::KEY_WRITE_ACCESS, key)) {
    m_trace("RegOpenKeyEx() Error: %u. (%s kann nicht ge\xf6" "ffnet werden)\n", static_cast<unsigned>(e), keyPath);
    return false;
  }
  for (std::size_t i = 0; i < N; ++i) {
    const SettingValue<Group>& value = table[order[i]];
    if (key->setValue(value.name, group.*value.member) != win32_error::Success) {
      m_trace("%s schreiben ging nicht\n", value.name);
      return false;
    }
  }
  return true;
}

bool SettingsStore::SaveComSettings(const ComSettings& settings) {
  return save(settings, SettingValues::com, kComOrder);
}

bool SettingsStore::SaveCardDataSettings(const CardDataSettings& settings) {
  return save(settings, SettingValues::cardData, cardDataSaveOrder);
}

bool SettingsStore::SaveAddCharsSettings(const AddCharsSettings& settings) {
  return save(settings, SettingValues::addChars, kAddCharsOrder);
}

}  // namespace tavolin
