// The cost of one reading from raw bytes to key events: decoding, the
// ranges, their filters and typing into a keyboard that sends nothing.
#include <benchmark/benchmark.h>

#include <string>

#include "processing/card_data_processor.h"
#include "processing/us_layout_keyboard.h"

namespace {

using tavolin::CardDataProcessor;
using tavolin::Settings;

void runReadings(benchmark::State& state, const Settings& settings, const std::string& reading) {
  tavolin::Trace trace;  // off, as in normal operation
  tavolin::UsLayoutKeyboard keyboard;
  CardDataProcessor processor(keyboard, trace);
  processor.CheckFilter(settings.cardData);
  processor.CheckAddChars(settings.addChars);
  if (processor.CheckCardAttr(settings.cardData) <= 0) {
    state.SkipWithError("implausible card data settings");
    return;
  }
  for (auto _ : state) {
    processor.TextToKeys(reading.data(), static_cast<std::int32_t>(reading.size()));
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_DefaultSettings(benchmark::State& state) { runReadings(state, Settings{}, "1234567890ABCD"); }
BENCHMARK(BM_DefaultSettings);

// Two ranges of nibbles, read backward, each converted to 8 decimal digits
// with padding removal first, between a prefix and a postfix.
void BM_NibbleTwoRangesBackwardHexToDec(benchmark::State& state) {
  Settings settings;
  auto& card = settings.cardData;
  card.sTotalLength = "32";
  card.sReadStart = "3";
  card.sReadStop = "10";
  card.sReadStart2 = "15";
  card.sReadStop2 = "22";
  card.sByteMode = "NIBBELWISE";
  card.sDirection = "BACKWARD";
  card.sConversion = "HEXA2DEC";
  card.sDigits = "8";
  card.sPadUsed = "yes";
  card.sPadChar = "46";  // 'F'
  settings.addChars.sPrefix = "<TAB>";
  settings.addChars.sInterfix = "-";
  settings.addChars.sPostfix = "<CR>";
  runReadings(state, settings, "\x12\x34\x56\x78\x9A\xBC\xDE\xF1\x23\x45\x67\x89\xAB\xCD\xEF\x01");
}
BENCHMARK(BM_NibbleTwoRangesBackwardHexToDec);

}  // namespace
