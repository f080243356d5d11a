// tavolin-demo: shows what Tavolin would type for one card reading with the
// stored settings, changed by the command line, as key events of the US
// layout, without a reader and without typing anything.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "frontend/console/console_host.h"
#include "frontend/console/console_settings.h"
#include "frontend/console/echoing_keyboard.h"
#include "platform/platform.h"
#include "processing/card_data_processor.h"
#include "processing/us_layout_keyboard.h"
#include "services/event_log.h"

namespace {

void printUsage(std::FILE* out) {
  std::fputs(
      "Usage: tavolin-demo [--defaults] [--set NAME=VALUE]... [--hex] [--trace] [--keyboard=print|native] READING\n"
      "       tavolin-demo --version\n"
      "Prints the key events Tavolin would send for the card reading READING with the\n"
      "stored settings, one line each: down|up 0xVK 0xSCAN (US keyboard layout), then\n"
      "what they type (\"Typed: ...\").\n"
      "  --keyboard=native types them into the focused window instead, on its layout\n"
      "  --set NAME=VALUE  use VALUE for the setting NAME (not stored), checked as\n"
      "                    tavolin-console --set checks it, e.g.\n"
      "                    --set \"Prefix characters=<TAB>\" --set \"Read stop position=8\"\n"
      "  --defaults        start from the default settings, not the stored ones\n"
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

struct Options {
  std::vector<std::string> assignments;
  bool defaults = false;
  bool hex = false;
  bool trace = false;
  bool native = false;
  std::vector<std::string> readings;
};

}  // namespace

int main(int argc, char** argv) {
  const std::unique_ptr<tavolin::System> system = tavolin::makeSystem();
  tavolin::ConsoleOutput output(system->textEncoding());
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = system->fromCommandLine(argv[i]);
    if (arg == "--help" || arg == "-h") {
      printUsage(stdout);
      return 0;
    } else if (arg == "--version") {
      output.line(std::string(tavolin::kProductCaption) + " " + tavolin::kVersionText);
      return 0;
    } else if (arg == "--defaults") {
      options.defaults = true;
    } else if (arg == "--hex") {
      options.hex = true;
    } else if (arg == "--trace") {
      options.trace = true;
    } else if (arg == "--keyboard=native" || arg == "--keyboard=print") {
      options.native = arg == "--keyboard=native";
    } else if (arg == "--set" && i + 1 < argc) {
      options.assignments.push_back(system->fromCommandLine(argv[++i]));
    } else if (!arg.empty() && arg[0] == '-' && arg != "-") {
      output.error("tavolin-demo: unknown option " + arg);
      printUsage(stderr);
      return 2;
    } else {
      options.readings.push_back(arg);
    }
  }
  if (options.readings.size() != 1) {
    printUsage(stderr);
    return 2;
  }
  std::string reading;
  if (!options.hex) {
    reading = options.readings[0];
  } else if (!decodeHex(options.readings[0], reading)) {
    output.error("tavolin-demo: not a hexadecimal reading: " + options.readings[0]);
    return 2;
  }

  tavolin::Trace trace;
  if (options.trace) {
    trace.open(std::make_unique<tavolin::StdioTextFile>(stderr, system->textEncoding(),
                                                        tavolin::StdioTextFile::Ownership::Borrowed));
  }
  tavolin::Settings settings = tavolin::defaultSettings(*system);
  if (!options.defaults) {
    const std::unique_ptr<tavolin::RegistryApi> registry = tavolin::makeRegistry(trace);
    settings = tavolin::loadStoredSettings(*registry, *system);
  }
  for (const std::string& assignment : options.assignments) {
    if (const std::string problem = tavolin::assignSetting(settings, assignment); !problem.empty()) {
      output.error("tavolin-demo: " + problem);
      return 2;
    }
  }

  std::unique_ptr<tavolin::Keyboard> systemKeyboard;
  if (options.native) {
    std::string problem;
    systemKeyboard = tavolin::makeKeyboard(problem);
    if (!problem.empty()) output.error("tavolin-demo: " + problem);
  } else {
    systemKeyboard = std::make_unique<tavolin::UsLayoutKeyboard>(&output.standardOutput());
  }
  tavolin::EchoingKeyboard keyboard(*systemKeyboard, output.standardOutput());
  tavolin::CardDataProcessor processor(keyboard, trace);
  processor.CheckFilter(settings.cardData);
  processor.CheckAddChars(settings.addChars);
  if (processor.CheckCardAttr(settings.cardData) <= 0) {
    output.error("tavolin-demo: Reading thread is not started. Check settings of card data.");
    return 1;
  }
  processor.TextToKeys(reading.data(), static_cast<std::int32_t>(reading.size()));
  return 0;
}
