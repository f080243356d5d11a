// tavolin-demo: shows what Tavolin would type for one card reading with a
// given configuration, as key events of the US layout, without a reader
// and without typing anything.
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "processing/card_data_processor.h"
#include "processing/settings.h"
#include "processing/us_layout_keyboard.h"
#include "shell/text_file.h"
#include "shell/trace.h"

namespace {

void printUsage(std::FILE* out) {
  std::fputs(
      "Usage: tavolin-demo [--set NAME=VALUE]... [--hex] [--trace] [--keyboard=print|native] READING\n"
      "Prints the key events Tavolin would send for the card reading READING,\n"
      "one line each: down|up 0xVK 0xSCAN (US keyboard layout).\n"
      "  --keyboard=native types them into the focused window instead, on its layout\n"
      "  --set NAME=VALUE  use VALUE for the setting NAME, e.g.\n"
      "                    --set \"Prefix characters=<TAB>\" --set \"Read stop position=8\"\n"
      "  --hex             READING is given as hexadecimal digits, two per byte\n"
      "  --trace           write the trace to standard error\n",
      out);
}

bool decodeHex(const std::string& text, std::string& bytes) {
  if (text.size() % 2 != 0) return false;
  for (std::size_t i = 0; i < text.size(); i += 2) {
    unsigned value = 0;
    if (std::sscanf(text.c_str() + i, "%2x", &value) != 1) return false;
    bytes.push_back(static_cast<char>(value));
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const std::unique_ptr<tavolin::System> system = tavolin::makeSystem();
  tavolin::Settings settings = tavolin::defaultSettings(system->getApplicationPath(), system->pathSeparator());
  bool hex = false;
  bool trace = false;
  bool native = false;
  std::vector<std::string> readings;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = system->fromCommandLine(argv[i]);
    if (arg == "--help" || arg == "-h") {
      printUsage(stdout);
      return 0;
    } else if (arg == "--hex") {
      hex = true;
    } else if (arg == "--trace") {
      trace = true;
    } else if (arg == "--keyboard=native" || arg == "--keyboard=print") {
      native = arg == "--keyboard=native";
    } else if (arg == "--set" && i + 1 < argc) {
      const std::string assignment = system->fromCommandLine(argv[++i]);
      const std::size_t equals = assignment.find('=');
      std::string* value =
          equals == std::string::npos ? nullptr : tavolin::findSettingValue(settings, assignment.substr(0, equals));
      if (!value) {
        std::fprintf(stderr, "tavolin-demo: no setting of that name: %s\n", assignment.c_str());
        return 2;
      }
      *value = assignment.substr(equals + 1);
    } else if (!arg.empty() && arg[0] == '-' && arg != "-") {
      std::fprintf(stderr, "tavolin-demo: unknown option %s\n", arg.c_str());
      printUsage(stderr);
      return 2;
    } else {
      readings.push_back(arg);
    }
  }
  if (readings.size() != 1) {
    printUsage(stderr);
    return 2;
  }
  std::string reading;
  if (!hex) {
    reading = readings[0];
  } else if (!decodeHex(readings[0], reading)) {
    std::fprintf(stderr, "tavolin-demo: not a hexadecimal reading: %s\n", readings[0].c_str());
    return 2;
  }

  tavolin::Trace traceFile;
  if (trace) {
    traceFile.open(std::make_unique<tavolin::StdioTextFile>(stderr, system->textEncoding(),
                                                             tavolin::StdioTextFile::Ownership::Borrowed));
  }
  std::unique_ptr<tavolin::Keyboard> keyboard;
  if (native) {
    std::string problem;
    keyboard = tavolin::makeKeyboard(problem);
    if (!problem.empty()) std::fprintf(stderr, "tavolin-demo: %s\n", problem.c_str());
  } else {
    keyboard = std::make_unique<tavolin::UsLayoutKeyboard>(stdout);
  }
  tavolin::CardDataProcessor processor(*keyboard, traceFile);
  processor.CheckFilter(settings.cardData);
  processor.CheckAddChars(settings.addChars);
  if (processor.CheckCardAttr(settings.cardData) <= 0) {
    std::fprintf(stderr, "tavolin-demo: Reading thread is not started. Check settings of card data.\n");
    return 1;
  }
  processor.TextToKeys(reading.data(), static_cast<std::int32_t>(reading.size()));
  return 0;
}
