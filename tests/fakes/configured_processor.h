#pragma once

#include "fakes/memory_text_file.h"
#include "fakes/recording_keyboard.h"
#include "processing/card_data_processor.h"

namespace tavolin::testing {

// A processor with a recording keyboard and a captured trace, set up from
// settings as the main window does at start.
struct ConfiguredProcessor {
  RecordingKeyboard keyboard;
  CapturedTrace captured;
  CardDataProcessor processor{keyboard, captured.trace};

  std::int32_t configure(const Settings& settings) {
    processor.CheckFilter(settings.cardData);
    processor.CheckAddChars(settings.addChars);
    const std::int32_t readLen = processor.CheckCardAttr(settings.cardData);
    captured.clear();
    keyboard.clear();
    return readLen;
  }

  // Types a reading given as text and returns what arrived.
  std::string type(const std::string& reading) {
    keyboard.clear();
    processor.TextToKeys(reading.data(), static_cast<std::int32_t>(reading.size()));
    return keyboard.typed();
  }
};

}  // namespace tavolin::testing
