#include "processing/setting_rules.h"

#include <gtest/gtest.h>

namespace tavolin {
namespace {

// What --set takes: the pages' own choices and ranges, nothing the store
// could not read back whole; a refusal begins with what the setting allows.
TEST(SettingRules, AllowWhatThePagesOfferAndSayWhatElse) {
  const std::string com = "\"COM\" allows a port number", d = std::string(258, 'd'), x = std::string(199, 'x');
  const struct {
    const char* name;
    std::string value, problem;  // "" allowed
  } cases[] = {
      // clang-format off
      {"COM", "1", ""}, {"COM", "256", ""}, {"COM", "/dev/ttyUSB0", ""}, {"COM", "/" + d, ""},
      {"COM", "/" + d + "d", com},
      {"COM", "257", com + " from 1 to 256 or the absolute path of a device of at most 259 characters, not \"257\"."},
      {"COM", "/", com}, {"COM", "dev/ttyUSB0", com}, {"COM", "02", com}, {"Speed", "115200", ""},
      {"Speed", "9601", "\"Speed\" allows one of \"300\", \"1200\", \"2400\", \"4800\", \"9600\", \"14400\", "
                        "\"19200\", \"38400\", \"57600\", \"115200\", not \"9601\"."},
      {"Parity", "odd2", "\"Parity\" allows one of \"none\", \"odd\", \"even\", not \"odd2\"."},
      {"Read stop position", "107", ""}, {"Read stop position", "0", "\"Read stop position\" allows"},
      {"Read stop position", "108", "\"Read stop position\" allows a whole number from 1 to 107, not \"108\"."},
      {"Decimal n-digit (right aligned)", "0", ""},
      {"Decimal n-digit (right aligned)", "11", "\"Decimal n-digit (right aligned)\" allows a whole number from 0"},
      {"2. Read start position", "-", ""},
      {"2. Read start position", "--", "\"2. Read start position\" allows \"-\" or a whole number from 1 to 107"},
      {"Padding character", "3F", ""}, {"Padding character", "af", ""},
      {"Padding character", "3G", "\"Padding character\" allows two hexadecimal digits, not \"3G\"."},
      {"Padding character", "3", "\"Padding character\" allows two hexadecimal digits"},
      {"Prefix characters", x, ""}, {"Prefix characters", x + "x", "\"Prefix characters\" allows a text of 1 to 199"},
      {"Postfix characters", "", "\"Postfix characters\" allows a text of 1 to 199 characters"},
      {"Sound file", d + "s", ""}, {"Sound file", d + "ss", "\"Sound file\" allows a text of 1 to 259 characters"},
      {"No such thing", "1", "There is no setting \"No such thing\"."},
      // clang-format on
  };
  for (const auto& c : cases) {
    const std::string problem = settingValueProblem(c.name, c.value);
    EXPECT_EQ(problem.substr(0, c.problem.empty() ? std::string::npos : c.problem.size()), c.problem)
        << c.name << "=" << c.value;
  }
}

}  // namespace
}  // namespace tavolin
