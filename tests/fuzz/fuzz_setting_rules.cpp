// The rules of --set with any lines "NAME=VALUE", applied in order as the
// console applies them: a value the rules allow names a setting of the
// record and goes into it, a refused one is named in the problem text;
// then the records are derived from what was set and, where reading would
// start, a reading is typed. Nothing of this may crash.
#include <cstdlib>

#include "fakes/memory_text_file.h"
#include "fakes/recording_keyboard.h"
#include "processing/card_data_processor.h"
#include "processing/setting_rules.h"
#include "processing/settings.h"

namespace {

void check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tavolin;
  const std::string text(reinterpret_cast<const char*>(data), size);
  Settings settings = defaultSettings("/opt/tavolin", '/');
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    start = end + 1;
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    const std::string name = line.substr(0, equals), value = line.substr(equals + 1);
    const std::string problem = settingValueProblem(name, value);
    auto* setting = findSettingValue(settings, name);
    if (problem.empty()) {
      check(setting != nullptr);
      *setting = value;
    } else {
      check(problem.find("\"" + name + "\"") != std::string::npos);
      check(!setting || problem.find("\"" + value + "\"") != std::string::npos);
    }
  }

  testing::RecordingKeyboard keyboard;
  testing::CapturedTrace captured;
  CardDataProcessor processor(keyboard, captured.trace);
  processor.CheckFilter(settings.cardData);
  processor.CheckAddChars(settings.addChars);
  if (processor.CheckCardAttr(settings.cardData) > 0) {
    static const char reading[] = "0123456789ABCDEFabcdef\x01\x7f\xe4 <>?*;0123456789ABCDEF0123456789ABCDEF";
    processor.TextToKeys(reading, sizeof reading - 1);
  }
  return 0;
}
