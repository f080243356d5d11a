// End-to-end figures of the active-sending and the bus session on a real
// pseudo-terminal with tavolin-readersim:
// - the time from the last byte of a card burst to the first key event,
// - the CPU time the program spends per minute of an idle line.
//   tavolin-bench-latency READERSIM [IDLE-SECONDS]
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <condition_variable>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/platform.h"
#include "readers/ravlink_session.h"
#include "readers/reader_session.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace tavolin;

class NullEventLog : public EventLog {
 public:
  std::unique_ptr<Source> registerSource(const std::string&) override { return nullptr; }
};

// Notes when the first key would be typed.
class TimingOwner : public SessionOwner {
 public:
  void ShowCounter(std::int32_t, std::int32_t) override {}
  void ShowMessage(std::int32_t, const std::string&, std::int32_t, std::int32_t) override {}
  void takeReading(const char*, std::int32_t, bool) override {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_typed.push_back(Clock::now());
    m_changed.notify_all();
  }
  Clock::time_point waitForReading(std::size_t count) {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait_for(lock, std::chrono::seconds(10), [&] { return m_typed.size() >= count; });
    return m_typed.size() >= count ? m_typed[count - 1] : Clock::time_point{};
  }

 private:
  std::mutex m_mutex;
  std::condition_variable m_changed;
  std::vector<Clock::time_point> m_typed;
};

double cpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// The monotonic time in ms of the simulator's last "tx" line.
long long lastSentMs(const std::string& log) {
  const std::size_t at = log.rfind(" tx ");
  if (at == std::string::npos) return -1;
  const std::size_t lineStart = log.rfind('\n', at);
  return std::atoll(log.c_str() + (lineStart == std::string::npos ? 0 : lineStart + 1));
}

void command(const std::string& commands, const std::string& line) {
  std::FILE* file = std::fopen(commands.c_str(), "a");
  std::fprintf(file, "%s\n", line.c_str());
  std::fclose(file);
}

void idleCpu(const char* what, double seconds, const std::function<std::unique_ptr<Session>()>& start) {
  auto session = start();
  const double before = cpuSeconds();
  std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
  const double used = cpuSeconds() - before;
  session.reset();
  std::printf("%-28s %8.2f ms CPU per idle minute (%.0f s measured)\n", what, used * 1000.0 * 60.0 / seconds,
              seconds);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: tavolin-bench-latency READERSIM [IDLE-SECONDS]\n");
    return 2;
  }
  const double idleSeconds = argc > 2 ? std::atof(argv[2]) : 30.0;
  char dirTemplate[] = "/tmp/tavolin-bench-XXXXXX";
  const std::string dir = mkdtemp(dirTemplate);
  const std::string link = dir + "/com", commands = dir + "/commands", log = dir + "/sim.log";
  std::fclose(std::fopen(commands.c_str(), "w"));

  const pid_t sim = fork();
  if (sim == 0) {
    std::freopen(log.c_str(), "w", stderr);
    execl(argv[1], argv[1], "--link", link.c_str(), "--commands", commands.c_str(), "--monotonic", nullptr);
    _exit(127);
  }
  while (access(link.c_str(), F_OK) != 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));

  auto system = makeSystem();
  auto ports = makeSerialPorts();
  auto sound = makeSound();
  NullEventLog eventLog;
  Trace trace;
  DataLog dataLog(*system, trace);
  AutoResetEvent abortEvent;
  TimingOwner owner;
  const ComSettings line;
  SessionServices services{*system, *ports, *sound, eventLog, trace, dataLog, abortEvent, BuildTexts::english()};

  {
    ReaderSession session(services, link, line, false, false, "", true, 1, 8, owner);
    std::vector<long long> latencies;
    for (int i = 1; i <= 20; ++i) {
      command(commands, "text 12345678");
      const Clock::time_point typed = owner.waitForReading(static_cast<std::size_t>(i));
      const long long typedMs =
          std::chrono::duration_cast<std::chrono::milliseconds>(typed.time_since_epoch()).count();
      latencies.push_back(typedMs - lastSentMs(readFile(log)));
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }
    std::sort(latencies.begin(), latencies.end());
    std::printf("last byte of a burst -> first key event: min %lld ms, median %lld ms, max %lld ms (20 bursts)\n",
                latencies.front(), latencies[latencies.size() / 2], latencies.back());
  }

  idleCpu("active-sending session:", idleSeconds, [&] {
    return std::make_unique<ReaderSession>(services, link, line, false, false, "", true, 1, 8, owner);
  });
  command(commands, "kind bus");
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  idleCpu("bus session:", idleSeconds,
          [&] { return std::make_unique<RavlinkSession>(services, link, false, false, "", owner); });

  kill(sim, SIGTERM);
  waitpid(sim, nullptr, 0);
  std::remove(commands.c_str());
  std::remove(log.c_str());
  rmdir(dir.c_str());
  return 0;
}
