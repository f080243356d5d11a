// The single-instance step of the program's start, alone: for the tests of
// the lock and the event entries with real processes.
//   tavolin-instance-probe [--hold MS] [--german]
// Ends with the start-up's exit code and prints its message; an instance
// that may run prints "running" and holds the lock for MS milliseconds.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "platform/platform.h"

int main(int argc, char** argv) {
  long holdMs = 0;
  bool german = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--hold") == 0 && i + 1 < argc) holdMs = std::atol(argv[++i]);
    if (std::strcmp(argv[i], "--german") == 0) german = true;
  }
  auto system = tavolin::makeSystem();
  tavolin::Trace trace;
  auto eventLog = tavolin::makeEventLog(trace);
  const auto eventSource = eventLog->registerSource(tavolin::kEventSourceName);
  const std::string user = tavolin::userNameOrUnknown(*system);
  auto mutex = tavolin::makeInstanceMutex();
  const tavolin::StartupDecision decision =
      tavolin::settleSingleInstance(*mutex, eventSource.get(), *system,
                                    german ? tavolin::BuildTexts::german() : tavolin::BuildTexts::english(), user);
  if (decision.exitCode != 0) {
    std::printf("%s\n", decision.message.c_str());
    return decision.exitCode;
  }
  std::printf("running\n");
  std::fflush(stdout);
  std::this_thread::sleep_for(std::chrono::milliseconds(holdMs));
  return 0;
}
