#pragma once

#include <cstdint>
#include <string>

#include "processing/derived_records.h"
#include "processing/keyboard.h"
#include "processing/settings.h"
#include "services/trace.h"

namespace tavolin {

// Everything that happens to card data between the reader and the
// keyboard: the runtime records derived from the settings, the
// transformation of a raw reading into text, and the typing of that text.
//
// The layout checks run on the user-interface thread, the rest on the
// reading thread of the one session; the records are rewritten only while
// no reading is processed. Nothing here allocates per reading.
class CardDataProcessor {
 public:
  static constexpr std::size_t decodedSize = 256;
  static constexpr std::size_t decimalSize = 12;

  // The layout of one prepared reading: range 1 at the start of text,
  // range 2 at offset start2 when start2 > 0.
  struct Ranges {
    char* text;
    std::int32_t length;  // characters of the prepared text before it was cut
    std::int32_t len1;
    std::int32_t start2;
    std::int32_t len2;
    bool hasSecond() const { return start2 > 0; }
  };

  // Both parts of one reading after padding removal and conversion: what
  // is typed, and what the test display shows. Valid until the next
  // reading is prepared.
  struct PreparedReading {
    Ranges split{};  // the ranges before the filters
    const char* part1 = nullptr;
    std::int32_t len1 = 0;
    const char* part2 = nullptr;  // nullptr: the reading has no second part
    std::int32_t len2 = 0;
    bool hasSecond() const { return part2 != nullptr; }
  };

  CardDataProcessor(Keyboard& keyboard, Trace& trace);
  CardDataProcessor(const CardDataProcessor&) = delete;
  CardDataProcessor& operator=(const CardDataProcessor&) = delete;

  // Layout checks (user-interface thread).
  void CheckFilter(const CardDataSettings& settings);
  std::int32_t CheckCardAttr(const CardDataSettings& settings);
  void CheckAddChars(const AddCharsSettings& settings);
  void ParseAddChars(const std::string& text, KeyCodeList& list);

  // Reading transformation (reading thread).
  // The usable text of a reading, in the decoded-reading buffer and valid
  // until the next call; nullptr for a reading of length 0.
  char* PrepareDataTransfer(const char* reading, std::int32_t length);
  // Lowers length by the trailing padding characters of the range at start;
  // the first character always stays.
  void ReducePadchars(const char* start, std::int32_t& length);
  // The range of length characters at startIndex of text as a decimal of
  // iDigits characters into output (decimalSize); length becomes iDigits.
  void TrimmedDecimal(const char* text, std::int32_t startIndex, std::int32_t& length, char* output);
  static double HexToDouble(const char* text);

  // Cuts the prepared text to the needed ranges and fits the ranges to
  // what the reading delivered.
  Ranges SplitRanges(char* prepared) const;

  // The one road from a raw reading to its two parts, for typing and for
  // the test display alike: PrepareDataTransfer, the split into ranges, and
  // the filters of both ranges in the configured order. False for a
  // reading of length 0.
  bool PrepareReading(const char* reading, std::int32_t length, PreparedReading& prepared);

  // Keystroke output (reading thread).
  void TextToKeys(const char* reading, std::int32_t length);
  void TypeChar(char c);
  void TypeKeyCode(KeyCode k);

  const CardAttr& cardAttr() const { return m_cardAttr; }
  const FilterAttr& filterAttr() const { return m_filterAttr; }

 private:
  // What each list of additional keys types, as the keyboard is told it.
  struct TypedKeys {
    std::string prefix, interfix, postfix;
  };

  // The range filter, in its two halves: padding removal when it comes
  // first, then the conversion and padding removal when it comes after.
  // FinishRange returns the text of the range, which is the decimal in
  // output when converting.
  void TruncateFirst(const char* range, std::int32_t& length);
  const char* FinishRange(const char* text, std::int32_t startIndex, std::int32_t& length, char* output);

  void traceLayout();
  void traceCodeList(const char* name, const KeyCodeList& list);
  void parseAddChars(const std::string& text, KeyCodeList& list, std::string* typed);
  void typeKeyList(const KeyCodeList& list, const std::string& typed);
  void describeTyped(char c);
  void sendKeyCode(KeyCode k);
  void pressKey(std::uint8_t vk);
  void releaseKey(std::uint8_t vk);
  void typeRange(const char* text, std::int32_t length);

  Keyboard& m_keyboard;
  Trace& m_trace;
  CardAttr m_cardAttr;
  FilterAttr m_filterAttr;
  DataPostProcessing m_dataPostProcessing;
  TypedKeys m_typedKeys;
  std::string m_sTyped;  // what the current reading typed; its capacity is kept

  char m_decodedReading[decodedSize] = {};
  char m_workBuffer[decodedSize] = {};
  char m_hexInput[decodedSize] = {};
  char m_decimalText[512] = {};
  char m_partDecimal[2][decimalSize] = {};  // the converted parts of the prepared reading
};

}  // namespace tavolin
