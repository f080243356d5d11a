#include "processing/settings_store.h"

#include <array>

namespace tavolin {

namespace {

template <typename Group, std::size_t N>
std::array<const char*, N> namesOf(const SettingValue<Group> (&table)[N]) {
  std::array<const char*, N> names{};
  for (std::size_t i = 0; i < N; ++i) names[i] = table[i].name;
  return names;
}

const auto kComOrder = namesOf(SettingValues::com);
const auto kAddCharsOrder = namesOf(SettingValues::addChars);

}  // namespace

const char* const SettingsStore::cardDataLoadOrder[CardDataSettings::valueCount] = {
    "Total reader data length",
    "Fixed length",
    "Read start position",
    "Read stop position",
    "2. Read start position",
    "2. Read stop position",
    "Read characters in 1 byte",
    "Show non numeric characters",
    "Reading direction",
    "Conversion",
    "Decimal n-digit (right aligned)",
    "Padding character used",
    "Padding character",
    "Filter: 1.truncate, 2.convert",
};

const char* const SettingsStore::cardDataSaveOrder[CardDataSettings::valueCount] = {
    "Total reader data length",
    "Fixed length",
    "Read start position",
    "Read stop position",
    "2. Read start position",
    "2. Read stop position",
    "Read characters in 1 byte",
    "Padding character used",
    "Padding character",
    "Show non numeric characters",
    "Reading direction",
    "Conversion",
    "Decimal n-digit (right aligned)",
    "Filter: 1.truncate, 2.convert",
};

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

template <typename Group>
bool SettingsStore::load(Group& group, const Group& defaults, const char* const* order, std::size_t count) {
  std::unique_ptr<RegistryKey> key;
  m_bRegistryWritable = OpenSettingsKey(key);
  for (std::size_t i = 0; i < count; ++i) {
    *findSettingValue(group, order[i]) = ReadSettingValue(key.get(), order[i], *findSettingValue(defaults, order[i]));
  }
  return m_bRegistryWritable;
}

bool SettingsStore::LoadComSettings(ComSettings& settings) {
  const bool writable = load(settings, m_defaults.com, kComOrder.data(), kComOrder.size());
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
  return load(settings, m_defaults.cardData, cardDataLoadOrder, CardDataSettings::valueCount);
}

bool SettingsStore::LoadAddCharsSettings(AddCharsSettings& settings) {
  const bool writable = load(settings, m_defaults.addChars, kAddCharsOrder.data(), kAddCharsOrder.size());
  for (std::string* text : {&settings.sPrefix, &settings.sInterfix, &settings.sPostfix}) {
    if (*text == "keine") *text = "none";
  }
  return writable;
}

template <typename Group>
bool SettingsStore::save(const Group& group, const char* const* order, std::size_t count) {
  std::unique_ptr<RegistryKey> key;
  if (const std::uint32_t e = m_registry.openKey(keyPath, RegistryApi::KEY_WRITE_ACCESS, key)) {
    m_trace("RegOpenKeyEx() Error: %u. (%s kann nicht ge\xf6" "ffnet werden)\n", static_cast<unsigned>(e), keyPath);
    return false;
  }
  for (std::size_t i = 0; i < count; ++i) {
    if (key->setValue(order[i], *findSettingValue(group, order[i])) != win32_error::Success) {
      m_trace("%s schreiben ging nicht\n", order[i]);
      return false;
    }
  }
  return true;
}

bool SettingsStore::SaveComSettings(const ComSettings& settings) {
  return save(settings, kComOrder.data(), kComOrder.size());
}

bool SettingsStore::SaveCardDataSettings(const CardDataSettings& settings) {
  return save(settings, cardDataSaveOrder, CardDataSettings::valueCount);
}

bool SettingsStore::SaveAddCharsSettings(const AddCharsSettings& settings) {
  return save(settings, kAddCharsOrder.data(), kAddCharsOrder.size());
}

}  // namespace tavolin
