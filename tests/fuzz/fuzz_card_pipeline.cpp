// The card data pipeline with settings and a reading from the fuzzer, the
// settings derived as the main window derives them; where reading would
// start, the reading is prepared and typed into a recording keyboard. Every
// character of a prepared part lies before the end of its text, and every
// key pressed is released.
#include <cstring>
#include <map>
#include <vector>

#include "fakes/configured_processor.h"
#include "fuzz/fuzz_input.h"

namespace tavolin::fuzzing {

// A value as the settings pages write it, or any short text.
std::string value(FuzzInput& input, std::initializer_list<const char*> choices) {
  const std::uint8_t pick = input.byte();
  if (pick < 0x80) return std::string(choices.begin()[pick % choices.size()]);
  return pick < 0xC0 ? std::to_string(input.byte() % 112) : input.text(8);
}

void checkPart(const char* part, std::int32_t length) {
  check(part != nullptr && length >= 0 && std::strlen(part) >= static_cast<std::size_t>(length));
}

void fuzzOne(FuzzInput& input) {
  Settings s;
  CardDataSettings& c = s.cardData;
  c.sTotalLength = value(input, {"14", "107"}), c.sFixedLength = value(input, {"yes", "no"});
  c.sReadStart = value(input, {"1", "3"}), c.sReadStop = value(input, {"14", "8"});
  c.sReadStart2 = value(input, {"-", "10"}), c.sReadStop2 = value(input, {"-", "14"});
  c.sByteMode = value(input, {"BYTEWISE", "NIBBELWISE", "LOWNIBBELWISE", "HIGHNIBBELWISE"});
  c.sNonNumeric = value(input, {"MAPTOHEXCHARS", "MAPTOSPECCHARS"}),
  c.sDirection = value(input, {"FORWARD", "BACKWARD"});
  c.sTruncateFirst = value(input, {"yes", "no"}), c.sConversion = value(input, {"none", "HEXA2DEC"});
  c.sDigits = value(input, {"0", "8", "10"}), c.sPadUsed = value(input, {"no", "yes"});
  c.sPadChar = value(input, {"20", "30", "46"});
  for (SettingText* text : {&s.addChars.sPrefix, &s.addChars.sInterfix, &s.addChars.sPostfix})
    *text = input.flag() ? value(input, {"none", "<TAB>", "<CR>", "<SHIFT TAB>x<<<F8>"}) : input.text(120);
  testing::ConfiguredProcessor p;
  if (p.configure(s) <= 0) return;  // reading does not start

  // The reading in a buffer of its own size, so that reading past it shows.
  const std::string bytes = input.rest();
  const std::vector<char> reading(bytes.begin(), bytes.end());
  const auto length = static_cast<std::int32_t>(reading.size());
  CardDataProcessor::PreparedReading prepared;
  if (p.processor.PrepareReading(reading.data(), length, prepared)) {
    checkPart(prepared.part1, prepared.len1);
    if (prepared.hasSecond()) checkPart(prepared.part2, prepared.len2);
  }
  p.processor.TextToKeys(reading.data(), length);
  std::map<std::uint8_t, int> held;
  for (const auto& event : p.keyboard.events()) {
    held[event.vk] += event.flags == Keyboard::KeyDown ? 1 : -1;
    check(held[event.vk] >= 0 && held[event.vk] <= 1);
  }
  for (const auto& [vk, count] : held) check(count == 0);
}

}  // namespace tavolin::fuzzing
