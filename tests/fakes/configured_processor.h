#pragma once

#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>

#include "fakes/memory_text_file.h"
#include "fakes/recording_keyboard.h"
#include "processing/card_data_processor.h"

namespace tavolin::testing {

// A processor with a recording keyboard, which also keeps how the program
// described what the last reading typed, and a captured trace, set up from
// settings as the main window does at start.
struct ConfiguredProcessor {
  struct DescribingKeyboard : RecordingKeyboard {
    void sequenceTyped(std::string_view typed) override { described = typed; }
    std::string described;
  };

  // Settings by their stored names, "Name=value|Name=value"; the others the defaults.
  static Settings settingsWith(const std::string& values) {
    Settings settings;
    std::istringstream items(values);
    for (std::string item; std::getline(items, item, '|');) {
      auto* setting = findSettingValue(settings, item.substr(0, item.find('=')));
      if (!setting) throw std::invalid_argument(item);
      *setting = item.substr(item.find('=') + 1);
    }
    return settings;
  }
  std::int32_t configure(const Settings& settings) {
    processor.CheckFilter(settings.cardData);
    processor.CheckAddChars(settings.addChars);
    const std::int32_t readLen = processor.CheckCardAttr(settings.cardData);
    captured.clear();
    keyboard.clear();
    return readLen;
  }
  std::int32_t configure(const std::string& values) { return configure(settingsWith(values)); }
  // Types a reading given as text and returns what arrived.
  std::string type(const std::string& reading) {
    keyboard.clear();
    processor.TextToKeys(reading.data(), static_cast<std::int32_t>(reading.size()));
    return keyboard.typed();
  }

  DescribingKeyboard keyboard;
  CapturedTrace captured;
  CardDataProcessor processor{keyboard, captured.trace};
};

}  // namespace tavolin::testing
