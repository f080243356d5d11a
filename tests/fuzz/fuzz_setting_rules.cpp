// The rules of --set with any lines "NAME=VALUE", applied in order as the
// console applies them: a value the rules allow names a setting and goes
// into it, a refused one is named in the problem text; then, where reading
// would start, a reading is typed. Nothing of this may crash.
#include <sstream>

#include "fakes/configured_processor.h"
#include "fuzz/fuzz_input.h"
#include "processing/setting_rules.h"

namespace tavolin::fuzzing {

void fuzzOne(FuzzInput& input) {
  Settings settings = defaultSettings("/opt/tavolin", '/');
  std::istringstream lines(input.rest());
  for (std::string line; std::getline(lines, line);) {
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    const std::string name = line.substr(0, equals), value = line.substr(equals + 1);
    const std::string problem = settingValueProblem(name, value);
    auto* setting = findSettingValue(settings, name);
    check(problem.empty() ? setting != nullptr : problem.find("\"" + name + "\"") != std::string::npos);
    check(problem.empty() || !setting || problem.find("\"" + value + "\"") != std::string::npos);
    if (problem.empty()) *setting = value;
  }
  testing::ConfiguredProcessor p;
  static const char reading[] = "0123456789ABCDEFabcdef\x01\x7f\xe4 <>?*;0123456789ABCDEF0123456789ABCDEF";
  if (p.configure(settings) > 0) p.processor.TextToKeys(reading, sizeof reading - 1);
}

}  // namespace tavolin::fuzzing
