#include "processing/setting_rules.h"

#include <gtest/gtest.h>

namespace tavolin {
namespace {

// What --set takes: the pages' own choices and ranges, nothing the store
// could not read back whole; a refusal says what the setting allows.
TEST(SettingRules, AllowWhatThePagesOfferAndSayWhatElse) {
  const struct {
    const char* name;
    std::string value;
    const char* problem;  // "" allowed
  } cases[] = {
      {"COM", "1", ""},
      {"COM", "256", ""},
      {"COM", "257", "\"COM\" allows a port number from 1 to 256 or the absolute path of a device of at most 259 "
                     "characters, not \"257\"."},
      {"COM", "/dev/ttyUSB0", ""},
      {"COM", "/" + std::string(258, 'd'), ""},
      {"COM", "/" + std::string(259, 'd'), "\"COM\" allows a port number"},
      {"COM", "/", "\"COM\" allows a port number"},
      {"COM", "dev/ttyUSB0", "\"COM\" allows a port number"},
      {"COM", "02", "\"COM\" allows a port number"},
      {"Speed", "115200", ""},
      {"Speed", "9601", "\"Speed\" allows one of \"300\", \"1200\", \"2400\", \"4800\", \"9600\", \"14400\", \"19200\", "
                        "\"38400\", \"57600\", \"115200\", not \"9601\"."},
      {"Parity", "odd2", "\"Parity\" allows one of \"none\", \"odd\", \"even\", not \"odd2\"."},
      {"Read stop position", "107", ""},
      {"Read stop position", "108", "\"Read stop position\" allows a whole number from 1 to 107, not \"108\"."},
      {"Read stop position", "0", "\"Read stop position\" allows"},
      {"Decimal n-digit (right aligned)", "0", ""},
      {"Decimal n-digit (right aligned)", "11", "\"Decimal n-digit (right aligned)\" allows a whole number from 0 to 10"},
      {"2. Read start position", "-", ""},
      {"2. Read start position", "--", "\"2. Read start position\" allows \"-\" or a whole number from 1 to 107"},
      {"Padding character", "3F", ""},
      {"Padding character", "af", ""},
      {"Padding character", "3G", "\"Padding character\" allows two hexadecimal digits, not \"3G\"."},
      {"Padding character", "3", "\"Padding character\" allows two hexadecimal digits"},
      {"Prefix characters", std::string(199, 'x'), ""},
      {"Prefix characters", std::string(200, 'x'), "\"Prefix characters\" allows a text of 1 to 199 characters"},
      {"Postfix characters", "", "\"Postfix characters\" allows a text of 1 to 199 characters"},
      {"Sound file", std::string(259, 's'), ""},
      {"Sound file", std::string(260, 's'), "\"Sound file\" allows a text of 1 to 259 characters"},
      {"No such thing", "1", "There is no setting \"No such thing\"."},
  };
  for (const auto& c : cases) {
    const std::string problem = settingValueProblem(c.name, c.value);
    if (*c.problem == '\0') {
      EXPECT_EQ(problem, "") << c.name << "=" << c.value;
    } else {
      EXPECT_EQ(problem.rfind(c.problem, 0), 0u) << c.name << "=" << c.value << ": " << problem;
    }
  }
}

}  // namespace
}  // namespace tavolin
