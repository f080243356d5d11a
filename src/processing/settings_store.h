#pragma once

#include <memory>
#include <string>

#include "processing/registry.h"
#include "processing/settings.h"
#include "services/trace.h"

namespace tavolin {

// The settings in the registry: key SOFTWARE\Brellmark\Tavolin of the local
// machine, one REG_SZ value per setting. Loading never fails: what cannot
// be read takes its default, and when the key is writable a missing value
// is written with its default. Saving stops at the first failed write.
class SettingsStore {
 public:
  static constexpr char parentKeyPath[] = "SOFTWARE\\Brellmark\\";
  static constexpr char keyPath[] = "SOFTWARE\\Brellmark\\Tavolin";
  static constexpr std::size_t valueBufferSize = 260;

  // defaults: the value of every setting that cannot be read.
  SettingsStore(RegistryApi& registry, Trace& trace, Settings defaults);

  // Opens the program key, creating it with its parent when missing; true
  // when it is open for reading and writing. With false, key is open for
  // reading or empty.
  bool OpenSettingsKey(std::unique_ptr<RegistryKey>& key);
  std::string ReadSettingValue(RegistryKey* key, const std::string& name, const std::string& defaultText);

  bool LoadComSettings(ComSettings& settings);
  bool LoadCardDataSettings(CardDataSettings& settings);
  bool LoadAddCharsSettings(AddCharsSettings& settings);
  bool SaveComSettings(const ComSettings& settings);
  bool SaveCardDataSettings(const CardDataSettings& settings);
  bool SaveAddCharsSettings(const AddCharsSettings& settings);

  bool registryWritable() const { return m_bRegistryWritable; }

  // The orders in which the card data values are read and written, as
  // places in their table (SettingValues::cardData); the other groups are
  // read and written in the order of their tables.
  static const std::size_t cardDataLoadOrder[CardDataSettings::valueCount];
  static const std::size_t cardDataSaveOrder[CardDataSettings::valueCount];

 private:
  // Opens the key, or creates it when it is missing; false when neither works.
  bool openOrCreate(const char* path, const char* missingTrace);
  template <typename Group, std::size_t N>
  bool load(Group& group, const Group& defaults, const SettingValue<Group> (&table)[N], const std::size_t* order);
  template <typename Group, std::size_t N>
  bool save(const Group& group, const SettingValue<Group> (&table)[N], const std::size_t* order);

  RegistryApi& m_registry;
  Trace& m_trace;
  Settings m_defaults;
  bool m_bRegistryWritable = false;
};

}  // namespace tavolin
