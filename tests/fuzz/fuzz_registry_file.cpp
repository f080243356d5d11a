// The Linux settings file with any content: up to four of the program's
// values are written into it (any text without a zero byte, which no
// setting holds), and the file as written must keep what the unit test
// asks of every file (unit/registry_file_check.h).
#include <cstdio>

#include "fuzz/fuzz_input.h"
#include "processing/settings.h"
#include "unit/registry_file_check.h"

namespace tavolin::fuzzing {

void fuzzOne(FuzzInput& input) {
  constexpr std::size_t com = ComSettings::valueCount, card = CardDataSettings::valueCount;
  std::vector<std::pair<std::string, std::string>> writes(input.byte() % 4 + 1);
  for (auto& [name, text] : writes) {
    const std::size_t pick = input.byte() % (com + card + AddCharsSettings::valueCount);
    name = pick < com          ? SettingValues::com[pick].name
           : pick < com + card ? SettingValues::cardData[pick - com].name
                               : SettingValues::addChars[pick - com - card].name;
    text = input.text(40);
    for (char& c : text) c = c == '\0' ? ' ' : c;
  }
  const std::string problem =
      testing::checkWrittenFile("HKEY_LOCAL_MACHINE\\SOFTWARE\\Brellmark\\Tavolin", input.rest(), writes);
  if (!problem.empty()) std::fprintf(stderr, "%s\n", problem.c_str());
  check(problem.empty());
}

}  // namespace tavolin::fuzzing
