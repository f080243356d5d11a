#include "processing/setting_rules.h"

#include <cctype>
#include <cstdint>
#include <initializer_list>

#include "processing/settings.h"

namespace tavolin {

namespace {

enum class Kind { List, Number, Port, PositionOrDash, HexByte, Text };

struct Rule {
  const char* name;
  Kind kind;
  std::initializer_list<const char*> choices;  // List
  int low;                                     // Number, PositionOrDash
  int high;                                    // Number, PositionOrDash; Text: longest text
};

constexpr int kLongestStoredText = 259;
constexpr int kLongestAddChars = 199;

const Rule kRules[] = {
    {"COM", Kind::Port, {}, 1, 256},
    {"Speed", Kind::List, {"300", "1200", "2400", "4800", "9600", "14400", "19200", "38400", "57600", "115200"}, 0, 0},
    {"Data bits", Kind::List, {"7", "8"}, 0, 0},
    {"Parity", Kind::List, {"none", "odd", "even"}, 0, 0},
    {"Stop bits", Kind::List, {"1", "2"}, 0, 0},
    {"Flow control", Kind::List, {"none", "Xon/Xoff", "Hardware"}, 0, 0},
    {"Ravlink protocol", Kind::List, {"yes", "no"}, 0, 0},
    {"Signaling", Kind::List, {"yes", "no"}, 0, 0},
    {"Use Sound", Kind::List, {"yes", "no"}, 0, 0},
    {"Sound file", Kind::Text, {}, 1, kLongestStoredText},
    {"Total reader data length", Kind::Number, {}, 1, kMaxPosition},
    {"Fixed length", Kind::List, {"yes", "no"}, 0, 0},
    {"Read start position", Kind::Number, {}, 1, kMaxPosition},
    {"Read stop position", Kind::Number, {}, 1, kMaxPosition},
    {"2. Read start position", Kind::PositionOrDash, {}, 1, kMaxPosition},
    {"2. Read stop position", Kind::PositionOrDash, {}, 1, kMaxPosition},
    {"Read characters in 1 byte", Kind::List, {"BYTEWISE", "NIBBELWISE", "LOWNIBBELWISE", "HIGHNIBBELWISE"}, 0, 0},
    {"Show non numeric characters", Kind::List, {"MAPTOHEXCHARS", "MAPTOSPECCHARS"}, 0, 0},
    {"Reading direction", Kind::List, {"FORWARD", "BACKWARD"}, 0, 0},
    {"Filter: 1.truncate, 2.convert", Kind::List, {"yes", "no"}, 0, 0},
    {"Conversion", Kind::List, {"HEXA2DEC", "none"}, 0, 0},
    {"Decimal n-digit (right aligned)", Kind::Number, {}, 0, kMaxDigits},
    {"Padding character used", Kind::List, {"yes", "no"}, 0, 0},
    {"Padding character", Kind::HexByte, {}, 0, 0},
    {"Prefix characters", Kind::Text, {}, 1, kLongestAddChars},
    {"Characters separating 2 data portions", Kind::Text, {}, 1, kLongestAddChars},
    {"Postfix characters", Kind::Text, {}, 1, kLongestAddChars},
};

// A decimal as the lists write it: digits only, no leading zero.
bool isNumberIn(const std::string& text, int low, int high) {
  if (text.empty() || text.size() > 3 || (text[0] == '0' && text.size() > 1)) return false;
  int value = 0;
  for (char c : text) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    value = value * 10 + (c - '0');
  }
  return value >= low && value <= high;
}

bool allowed(const Rule& rule, const std::string& value) {
  switch (rule.kind) {
    case Kind::List:
      for (const char* choice : rule.choices) {
        if (value == choice) return true;
      }
      return false;
    case Kind::Number:
      return isNumberIn(value, rule.low, rule.high);
    case Kind::Port:
      // The Linux edition also takes the absolute path of a device.
      // What the store cannot read back whole would be read as missing.
      return isNumberIn(value, rule.low, rule.high) ||
             (value.size() > 1 && value.size() <= kLongestStoredText && value[0] == '/');
    case Kind::PositionOrDash:
      return value == "-" || isNumberIn(value, rule.low, rule.high);
    case Kind::HexByte:
      return value.size() == 2 && std::isxdigit(static_cast<unsigned char>(value[0])) &&
             std::isxdigit(static_cast<unsigned char>(value[1]));
    case Kind::Text:
      return value.size() >= static_cast<std::size_t>(rule.low) && value.size() <= static_cast<std::size_t>(rule.high);
  }
  return false;
}

std::string describe(const Rule& rule) {
  const std::string range = std::to_string(rule.low) + " to " + std::to_string(rule.high);
  switch (rule.kind) {
    case Kind::List: {
      std::string text = "one of";
      const char* separator = " ";
      for (const char* choice : rule.choices) {
        text += separator + std::string("\"") + choice + "\"";
        separator = ", ";
      }
      return text;
    }
    case Kind::Number:
      return "a whole number from " + range;
    case Kind::Port:
      return "a port number from " + range + " or the absolute path of a device of at most " +
             std::to_string(kLongestStoredText) + " characters";
    case Kind::PositionOrDash:
      return "\"-\" or a whole number from " + range;
    case Kind::HexByte:
      return "two hexadecimal digits";
    case Kind::Text:
      return "a text of " + range + " characters";
  }
  return {};
}

}  // namespace

std::string settingValueProblem(const std::string& name, const std::string& value) {
  for (const Rule& rule : kRules) {
    if (name != rule.name) continue;
    if (allowed(rule, value)) return {};
    std::string problem = "\"" + name;
    problem += "\" allows ";
    problem += describe(rule);
    problem += ", not \"";
    problem += value;
    problem += "\".";
    return problem;
  }
  return "There is no setting \"" + name + "\".";
}

}  // namespace tavolin
