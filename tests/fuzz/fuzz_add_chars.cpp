// The additional-characters notation with any text: at most 100 keys, a
// text without "<" is one key per character, and what the keys typed, as
// the program describes it ("<TAB>x<<"), types the same keys again.
#include "fakes/configured_processor.h"
#include "fuzz/fuzz_input.h"

namespace tavolin::fuzzing {

// The key events of one reading "1" with the text as prefix, untraced.
std::string typePrefix(const std::string& prefix, std::string& description) {
  testing::ConfiguredProcessor p;
  p.captured.trace.open(nullptr);
  Settings settings;
  settings.addChars.sPrefix = prefix;
  p.configure(settings);
  p.processor.TextToKeys("1", 1);
  description = p.keyboard.described;
  return p.keyboard.keys();
}

void fuzzOne(FuzzInput& input) {
  const std::string text = input.rest();
  testing::ConfiguredProcessor p;
  KeyCodeList list;
  p.processor.ParseAddChars(text, list);
  check(list.count >= 0 && list.count <= KeyCodeList::capacity);
  if (text.find('<') == std::string::npos && text != "none" && text != "keine") {
    check(static_cast<std::size_t>(list.count) == std::min<std::size_t>(text.size(), KeyCodeList::capacity));
    for (std::int32_t i = 0; i < list.count; ++i) check(list.codes[i] == p.keyboard.vkKeyScan(text[i]));
  }
  std::string description, again;
  const std::string keys = typePrefix(text, description);
  check(!description.empty() && description.back() == '1');
  description.pop_back();
  if (description != "none" && description != "keine") check(typePrefix(description, again) == keys);
}

}  // namespace tavolin::fuzzing
