// End-to-end figures of the active-sending and the bus session on a real
// pseudo-terminal with tavolin-readersim:
// - the time from the last byte of a card burst or frame to the first key
//   event (bus: with and without the signalling request),
// - the time a stop takes (Stop -> session destroyed) and a restart (the
//   session destroyed and a new one started), at a random point of an idle
//   read,
// - with TAVOLIN-CONSOLE: tavolin-console's "stop" -> "... is not active"
//   and "exit" -> process ended,
// - the CPU time the program spends per minute of an idle line.
//   tavolin-bench-latency READERSIM [IDLE-SECONDS] [TAVOLIN-CONSOLE]
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <mutex>
#include <random>
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
  // The time of the next reading after the ones seen so far.
  Clock::time_point waitForNext() {
    std::unique_lock<std::mutex> lock(m_mutex);
    const std::size_t count = ++m_iAwaited;
    m_changed.wait_for(lock, std::chrono::seconds(10), [&] { return m_typed.size() >= count; });
    return m_typed.size() >= count ? m_typed[count - 1] : Clock::time_point{};
  }

 private:
  std::mutex m_mutex;
  std::condition_variable m_changed;
  std::vector<Clock::time_point> m_typed;
  std::size_t m_iAwaited = 0;
};

double cpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double msSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

std::string readFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// The monotonic time in ms of the simulator's last line with the text.
long long lastLoggedMs(const std::string& log, const char* text) {
  const std::size_t at = log.rfind(text);
  if (at == std::string::npos) return -1;
  const std::size_t lineStart = log.rfind('\n', at);
  return std::atoll(log.c_str() + (lineStart == std::string::npos ? 0 : lineStart + 1));
}

void command(const std::string& commands, const std::string& line) {
  std::FILE* file = std::fopen(commands.c_str(), "a");
  std::fprintf(file, "%s\n", line.c_str());
  std::fclose(file);
}

void report(const std::string& what, std::vector<double> values) {
  std::sort(values.begin(), values.end());
  std::printf("  %-58s min %6.1f  median %6.1f  max %6.1f ms (%zu)\n", what.c_str(), values.front(),
              values[values.size() / 2], values.back(), values.size());
}

void pause(std::chrono::milliseconds time) { std::this_thread::sleep_for(time); }

using SessionMaker = std::function<std::unique_ptr<Session>()>;

struct Bench {
  std::string commands, log;
  TimingOwner& owner;
  std::mt19937 random{20260101};

  // The simulator's command, then the time from the last byte it sent
  // (its log line with sent) to the reading's first key event.
  std::vector<double> cardToKey(const std::string& card, const char* sent, int count) {
    std::vector<double> latencies;
    for (int i = 0; i < count; ++i) {
      command(commands, card);
      const Clock::time_point typed = owner.waitForNext();
      const auto typedMs = std::chrono::duration<double, std::milli>(typed.time_since_epoch()).count();
      latencies.push_back(typedMs - static_cast<double>(lastLoggedMs(readFile(log), sent)));
      pause(std::chrono::milliseconds(300));
    }
    return latencies;
  }

  // A moment somewhere in an idle read of the given period.
  std::chrono::milliseconds idleMoment(int periodMs) {
    return std::chrono::milliseconds(std::uniform_int_distribution<int>(50, periodMs - 50)(random));
  }

  void stopAndRestart(const char* kind, int idlePeriodMs, const SessionMaker& make) {
    std::vector<double> stops, restarts;
    for (int i = 0; i < 10; ++i) {
      auto session = make();
      pause(idleMoment(idlePeriodMs));
      Clock::time_point start = Clock::now();
      session.reset();
      stops.push_back(msSince(start));

      session = make();
      pause(idleMoment(idlePeriodMs));
      start = Clock::now();
      session.reset();
      session = make();
      restarts.push_back(msSince(start));
    }
    report(std::string(kind) + ": stop (Stop -> session destroyed)", stops);
    report(std::string(kind) + ": restart (stop, then a new session)", restarts);
  }
};

void idleCpu(const char* what, double seconds, const SessionMaker& start) {
  auto session = start();
  const double before = cpuSeconds();
  std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
  const double used = cpuSeconds() - before;
  session.reset();
  std::printf("  %-28s %8.2f ms CPU per idle minute (%.0f s measured)\n", what, used * 1000.0 * 60.0 / seconds,
              seconds);
}

// tavolin-console on the simulator's line, with a command pipe and its output.
class Console {
 public:
  Console(const std::string& program, int outFd) {
    int in[2];
    if (pipe(in) != 0) return;
    m_pid = fork();
    if (m_pid == 0) {
      dup2(in[0], STDIN_FILENO);
      dup2(outFd, STDOUT_FILENO);
      const int null = open("/dev/null", O_WRONLY);
      dup2(null, STDERR_FILENO);
      execl(program.c_str(), program.c_str(), "--keyboard=print", nullptr);
      _exit(127);
    }
    close(in[0]);
    m_in = in[1];
  }
  ~Console() {
    if (m_in >= 0) close(m_in);
    if (m_pid > 0 && waitpid(m_pid, nullptr, WNOHANG) == 0) {
      kill(m_pid, SIGKILL);
      waitpid(m_pid, nullptr, 0);
    }
  }
  void say(const std::string& line) const {
    const std::string text = line + "\n";
    if (write(m_in, text.data(), text.size()) < 0) std::perror("console");
  }
  void waitForEnd() {
    waitpid(m_pid, nullptr, 0);
    m_pid = -1;
  }

 private:
  pid_t m_pid = -1;
  int m_in = -1;
};

// Reads the program's output until it holds the text.
bool waitForText(int fd, const char* text) {
  std::string seen;
  const Clock::time_point end = Clock::now() + std::chrono::seconds(10);
  while (Clock::now() < end) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 20) <= 0) continue;
    char buffer[512];
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n <= 0) return false;
    seen.append(buffer, static_cast<std::size_t>(n));
    if (seen.find(text) != std::string::npos) return true;
  }
  return false;
}

// tavolin-console's "stop" and "exit", each at a random point of an idle read.
bool consoleStopAndExit(Bench& bench, const std::string& console, const char* kind, int idlePeriodMs) {
  std::vector<double> stops, exits;
  for (int i = 0; i < 10; ++i) {
    int out[2];
    if (pipe(out) != 0) return false;
    Console program(console, out[1]);
    close(out[1]);
    const bool answered = [&] {
      if (!waitForText(out[0], " is active")) return false;
      pause(bench.idleMoment(idlePeriodMs));
      Clock::time_point start = Clock::now();
      program.say("stop");
      if (!waitForText(out[0], " is not active")) return false;
      stops.push_back(msSince(start));
      program.say("start");
      if (!waitForText(out[0], " is active")) return false;
      pause(bench.idleMoment(idlePeriodMs));
      start = Clock::now();
      program.say("exit");
      program.waitForEnd();
      exits.push_back(msSince(start));
      return true;
    }();
    close(out[0]);
    if (!answered) return false;
  }
  report(std::string(kind) + ": \"stop\" -> \"... is not active\"", stops);
  report(std::string(kind) + ": \"exit\" -> process ended", exits);
  return true;
}

int runConsole(const std::string& console, const std::vector<std::string>& args) {
  const pid_t pid = fork();
  if (pid == 0) {
    std::vector<char*> argv{const_cast<char*>(console.c_str())};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, STDOUT_FILENO);
    dup2(null, STDERR_FILENO);
    execv(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: tavolin-bench-latency READERSIM [IDLE-SECONDS] [TAVOLIN-CONSOLE]\n");
    return 2;
  }
  const double idleSeconds = argc > 2 ? std::atof(argv[2]) : 30.0;
  const std::string console = argc > 3 ? argv[3] : "";
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
  while (access(link.c_str(), F_OK) != 0) pause(std::chrono::milliseconds(10));

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
  Bench bench{commands, log, owner};
  const SessionMaker active = [&] {
    return std::make_unique<ReaderSession>(services, link, line, false, false, "", true, 1, 8, owner);
  };
  const auto bus = [&](bool signaling) -> SessionMaker {
    return [&, signaling] { return std::make_unique<RavlinkSession>(services, link, signaling, false, "", owner); };
  };

  std::printf("last byte sent by the reader -> first key event:\n");
  {
    auto session = active();
    report("active-sending reader, 8-byte burst", bench.cardToKey("text 12345678", " tx ", 20));
  }
  command(commands, "kind bus");
  pause(std::chrono::milliseconds(100));
  for (const bool signaling : {false, true}) {
    auto session = bus(signaling)();
    report(signaling ? "bus reader, frame, signalling on" : "bus reader, frame, signalling off",
           bench.cardToKey("frame a;b;c;d;e;12345678*", " tx 02 ", 20));
  }

  std::printf("stop and restart at a random point of an idle read:\n");
  command(commands, "kind active");
  pause(std::chrono::milliseconds(100));
  bench.stopAndRestart("active-sending session", 2260, active);
  command(commands, "kind bus");
  pause(std::chrono::milliseconds(100));
  bench.stopAndRestart("bus session", 3140, bus(true));

  if (!console.empty()) {
    std::printf("tavolin-console, at a random point of an idle read:\n");
    setenv("TAVOLIN_REGISTRY", (dir + "/tavolin.reg").c_str(), 1);
    setenv("TAVOLIN_LOCKFILE", (dir + "/lock").c_str(), 1);
    setenv("TAVOLIN_EVENTLOG", (dir + "/events").c_str(), 1);
    setenv("APPDATA", dir.c_str(), 1);
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    runConsole(console, {"--set", "COM=" + link});
    for (const bool isBus : {false, true}) {
      command(commands, isBus ? "kind bus" : "kind active");
      runConsole(console, {"--set", isBus ? "Ravlink protocol=yes" : "Ravlink protocol=no"});
      if (!consoleStopAndExit(bench, console, isBus ? "bus reader" : "active-sending reader", isBus ? 3140 : 2260)) {
        std::fprintf(stderr, "tavolin-console did not answer as expected\n");
      }
    }
    command(commands, "kind bus");
  }

  std::printf("CPU time of an idle line:\n");
  command(commands, "kind active");
  pause(std::chrono::milliseconds(100));
  idleCpu("active-sending session:", idleSeconds, active);
  command(commands, "kind bus");
  pause(std::chrono::milliseconds(100));
  idleCpu("bus session:", idleSeconds, bus(false));

  kill(sim, SIGTERM);
  waitpid(sim, nullptr, 0);
  const std::string cleanup = "rm -rf " + dir;
  return std::system(cleanup.c_str()) == 0 ? 0 : 1;
}
