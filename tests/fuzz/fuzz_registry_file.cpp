// The Linux settings file with any content: up to four of the program's
// values are written into it (any text without a zero byte, which no
// setting holds), and the file as written must keep what the unit test
// asks of every file (unit/registry_file_check.h).
#include <cstdio>

#include "fuzz/fuzz_input.h"
#include "processing/settings.h"
#include "unit/registry_file_check.h"

namespace tavolin::fuzzing {

namespace {

const char* valueName(std::uint8_t pick) {
  constexpr std::size_t com = ComSettings::valueCount, card = CardDataSettings::valueCount;
  pick %= com + card + AddCharsSettings::valueCount;
  if (pick < com) return SettingValues::com[pick].name;
  if (pick < com + card) return SettingValues::cardData[pick - com].name;
  return SettingValues::addChars[pick - com - card].name;
}

}  // namespace

void fuzzOne(FuzzInput& input) {
  std::vector<std::pair<std::string, std::string>> writes(input.byte() % 4 + 1);
  for (auto& [name, text] : writes) {
    name = valueName(input.byte());
    text = input.text(40);
    for (char& c : text) c = c == '\0' ? ' ' : c;
  }
  const std::string problem =
      testing::checkWrittenFile("HKEY_LOCAL_MACHINE\\SOFTWARE\\Brellmark\\Tavolin", input.rest(), writes);
  if (!problem.empty()) std::fprintf(stderr, "%s\n", problem.c_str());
  check(problem.empty());
}

}  // namespace tavolin::fuzzing
