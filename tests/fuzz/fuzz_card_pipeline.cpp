// The card data pipeline with settings and a reading from the fuzzer: any
// card data and additional-character texts are derived as the main window
// derives them; where the layout is plausible (reading would start), the
// reading is prepared and typed into a recording keyboard. Every character
// of a prepared part lies before the end of its text, and every key pressed
// is released.
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <map>
#include <vector>

#include "fakes/memory_text_file.h"
#include "fakes/recording_keyboard.h"
#include "fuzz/fuzz_input.h"
#include "processing/card_data_processor.h"

namespace tavolin::fuzzing {
namespace {

void check(bool condition) {
  if (!condition) std::abort();
}

// A value as the settings pages write it, or any short text.
std::string value(FuzzInput& input, std::initializer_list<const char*> choices) {
  const std::uint8_t pick = input.byte();
  if (pick < 0x80) return std::string(choices.begin()[pick % choices.size()]);
  if (pick < 0xC0) return std::to_string(input.byte() % 112);
  return input.text(8);
}

CardDataSettings cardData(FuzzInput& input) {
  CardDataSettings s;
  s.sTotalLength = value(input, {"14", "107"});
  s.sFixedLength = value(input, {"yes", "no"});
  s.sReadStart = value(input, {"1", "3"});
  s.sReadStop = value(input, {"14", "8"});
  s.sReadStart2 = value(input, {"-", "10"});
  s.sReadStop2 = value(input, {"-", "14"});
  s.sByteMode = value(input, {"BYTEWISE", "NIBBELWISE", "LOWNIBBELWISE", "HIGHNIBBELWISE"});
  s.sNonNumeric = value(input, {"MAPTOHEXCHARS", "MAPTOSPECCHARS"});
  s.sDirection = value(input, {"FORWARD", "BACKWARD"});
  s.sTruncateFirst = value(input, {"yes", "no"});
  s.sConversion = value(input, {"none", "HEXA2DEC"});
  s.sDigits = value(input, {"0", "8", "10"});
  s.sPadUsed = value(input, {"no", "yes"});
  s.sPadChar = value(input, {"20", "30", "46"});
  return s;
}

AddCharsSettings addChars(FuzzInput& input) {
  AddCharsSettings s;
  for (SettingText* text : {&s.sPrefix, &s.sInterfix, &s.sPostfix}) {
    *text = input.flag() ? value(input, {"none", "<TAB>", "<CR>", "<SHIFT TAB>x<<<F8>"}) : input.text(120);
  }
  return s;
}

void checkPart(const char* part, std::int32_t length) {
  check(part != nullptr && length >= 0 && std::strlen(part) >= static_cast<std::size_t>(length));
}

}  // namespace
}  // namespace tavolin::fuzzing

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tavolin;
  using namespace tavolin::fuzzing;
  FuzzInput input(data, size);
  testing::RecordingKeyboard keyboard;
  testing::CapturedTrace captured;
  CardDataProcessor processor(keyboard, captured.trace);
  const CardDataSettings card = cardData(input);
  processor.CheckFilter(card);
  processor.CheckAddChars(addChars(input));
  if (processor.CheckCardAttr(card) <= 0) return 0;  // reading does not start

  // The reading in a buffer of its own size, so that reading past it shows.
  const std::string bytes = input.rest();
  const std::vector<char> reading(bytes.begin(), bytes.end());
  const auto length = static_cast<std::int32_t>(reading.size());
  CardDataProcessor::PreparedReading prepared;
  if (processor.PrepareReading(reading.data(), length, prepared)) {
    checkPart(prepared.part1, prepared.len1);
    if (prepared.hasSecond()) checkPart(prepared.part2, prepared.len2);
  }
  processor.TextToKeys(reading.data(), length);
  std::map<std::uint8_t, int> held;
  for (const auto& event : keyboard.events()) {
    held[event.vk] += event.flags == Keyboard::KeyDown ? 1 : -1;
    check(held[event.vk] >= 0 && held[event.vk] <= 1);
  }
  for (const auto& [vk, count] : held) check(count == 0);
  return 0;
}
