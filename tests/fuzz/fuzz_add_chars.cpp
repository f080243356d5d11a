// The additional-characters notation with any text: at most 100 keys, a
// text without "<" is one key per character, and what the keys typed, as
// the program describes it ("<TAB>x<<"), types the same keys again when
// given as the additional characters.
#include <cstdlib>
#include <string_view>

#include "fakes/memory_text_file.h"
#include "fakes/recording_keyboard.h"
#include "processing/card_data_processor.h"

namespace tavolin::fuzzing {
namespace {

void check(bool condition) {
  if (!condition) std::abort();
}

struct DescribingKeyboard : testing::RecordingKeyboard {
  void sequenceTyped(std::string_view typed) override { description = typed; }
  std::string description;
};

// The key events of one reading "1" with the text as prefix, and what they typed.
std::string typePrefix(const std::string& prefix, std::string& description) {
  DescribingKeyboard keyboard;
  Trace off;
  CardDataProcessor processor(keyboard, off);
  AddCharsSettings addChars;
  addChars.sPrefix = prefix;
  processor.CheckCardAttr(CardDataSettings{});
  processor.CheckAddChars(addChars);
  processor.TextToKeys("1", 1);
  description = keyboard.description;
  return keyboard.keys();
}

}  // namespace
}  // namespace tavolin::fuzzing

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tavolin;
  using namespace tavolin::fuzzing;
  const std::string text(reinterpret_cast<const char*>(data), size);
  testing::RecordingKeyboard keyboard;
  Trace off;
  CardDataProcessor processor(keyboard, off);
  KeyCodeList list;
  processor.ParseAddChars(text, list);
  check(list.count >= 0 && list.count <= KeyCodeList::capacity);
  const bool none = text == "none" || text == "keine";
  if (text.find('<') == std::string::npos && !none) {
    check(static_cast<std::size_t>(list.count) == std::min<std::size_t>(text.size(), KeyCodeList::capacity));
    for (std::int32_t i = 0; i < list.count; ++i) check(list.codes[i] == keyboard.vkKeyScan(text[i]));
  }

  std::string description, again;
  const std::string keys = typePrefix(text, description);
  check(description.size() >= 1 && description.back() == '1');
  description.pop_back();
  if (description == "none" || description == "keine") return 0;  // the words that mean no keys
  check(typePrefix(description, again) == keys);
  return 0;
}
