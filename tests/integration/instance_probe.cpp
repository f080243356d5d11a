// The single-instance step of the program's start, alone, for the tests of
// the lock and the event entries with real processes:
//   tavolin-instance-probe [--hold MS]
// Ends with the start-up's exit code and prints its message; an instance
// that may run prints "running" and holds the lock for MS milliseconds.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "platform/platform.h"

int main(int argc, char** argv) {
  using namespace tavolin;
  long holdMs = 0;
  if (argc == 3 && std::strcmp(argv[1], "--hold") == 0) holdMs = std::atol(argv[2]);
  auto system = makeSystem();
  Trace trace;
  const auto eventLog = makeEventLog(trace);
  const auto eventSource = eventLog->registerSource(kEventSourceName);
  auto mutex = makeInstanceMutex();
  const StartupDecision decision =
      settleSingleInstance(*mutex, eventSource.get(), *system, BuildTexts::english(), userNameOrUnknown(*system));
  std::printf("%s\n", decision.exitCode != 0 ? decision.message.c_str() : "running");
  std::fflush(stdout);
  if (decision.exitCode == 0) std::this_thread::sleep_for(std::chrono::milliseconds(holdMs));
  return decision.exitCode;
}
