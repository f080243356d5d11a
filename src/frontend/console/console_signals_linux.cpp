#include <pthread.h>
#include <signal.h>

#include <csignal>
#include <thread>

#include "console_signals.h"

namespace tavolin {

// SIGINT, SIGTERM and SIGHUP are blocked in every thread and taken by one
// thread with sigwait, so that ending runs as ordinary code, not in a
// handler: a closed terminal ends the program as the Exit button does.
void prepareConsole(std::function<void()> onEnd) {
  // A shell starts background jobs with SIGINT ignored, and an ignored
  // signal never reaches sigwait. A SIGHUP ignored on purpose (nohup)
  // stays ignored.
  std::signal(SIGINT, SIG_DFL);
  std::signal(SIGTERM, SIG_DFL);
  struct sigaction hangup {};
  sigaction(SIGHUP, nullptr, &hangup);
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  if (hangup.sa_handler != SIG_IGN) sigaddset(&signals, SIGHUP);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  std::thread([signals, onEnd = std::move(onEnd)] {
    for (;;) {
      int signal = 0;
      if (sigwait(&signals, &signal) == 0) onEnd();
    }
  }).detach();
}

}  // namespace tavolin
