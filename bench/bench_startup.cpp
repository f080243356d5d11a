// A Tavolin program from its start to "reading active" with an
// active-sending reader (tavolin-readersim on a pseudo-terminal), and its
// memory while it waits for cards: the console edition, or a windowed
// program (tavolin_en) on the display the caller gives it. Reading is
// active when the program reports it to the event log (entry 3).
//   tavolin-bench-startup PROGRAM TAVOLIN-CONSOLE READERSIM [RUNS]
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

pid_t spawn(const std::vector<std::string>& args, int stdoutFd, int stderrFd, int stdinFd = -1) {
  const pid_t pid = fork();
  if (pid != 0) return pid;
  if (stdinFd >= 0) dup2(stdinFd, STDIN_FILENO);
  if (stdoutFd >= 0) dup2(stdoutFd, STDOUT_FILENO);
  if (stderrFd >= 0) dup2(stderrFd, STDERR_FILENO);
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  execv(argv[0], argv.data());
  _exit(127);
}

int run(const std::vector<std::string>& args) {
  const int null = open("/dev/null", O_WRONLY);
  const pid_t pid = spawn(args, null, null);
  close(null);
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The number of "reads on" entries (3) in the event log file.
int startedEntries(const std::string& eventLog) {
  std::ifstream file(eventLog);
  std::string line;
  int count = 0;
  while (std::getline(file, line)) count += line.find("[3] ") != std::string::npos;
  return count;
}

bool waitForEntry(const std::string& eventLog, int count, std::chrono::seconds limit) {
  const Clock::time_point end = Clock::now() + limit;
  while (Clock::now() < end) {
    if (startedEntries(eventLog) >= count) return true;
    std::this_thread::sleep_for(std::chrono::microseconds(500));
  }
  return false;
}

long statusKb(pid_t pid, const char* field) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + std::strlen(field));
  }
  return -1;
}

void report(const char* what, std::vector<double> values, const char* unit) {
  std::sort(values.begin(), values.end());
  std::printf("%-42s min %8.1f  median %8.1f  max %8.1f %s\n", what, values.front(), values[values.size() / 2],
              values.back(), unit);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: %s PROGRAM TAVOLIN-CONSOLE READERSIM [RUNS]\n", argv[0]);
    return 2;
  }
  const std::string program = argv[1], console = argv[2], readersim = argv[3];
  const int runs = argc > 4 ? std::atoi(argv[4]) : 10;
  const bool consoleEdition = program == console;
  char folder[] = "/tmp/tavolin-bench-XXXXXX";
  if (!mkdtemp(folder)) return 1;
  const std::string work = folder;
  setenv("TAVOLIN_REGISTRY", (work + "/tavolin.reg").c_str(), 1);
  setenv("TAVOLIN_LOCKFILE", (work + "/lock").c_str(), 1);
  const std::string eventLog = work + "/events";
  setenv("TAVOLIN_EVENTLOG", eventLog.c_str(), 1);
  setenv("APPDATA", work.c_str(), 1);
  if (consoleEdition) {
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
  }

  const std::string link = work + "/com";
  // The simulator ends at the end of its input; it gets a pipe that stays open.
  int commands[2];
  if (pipe(commands) != 0) return 1;
  const pid_t sim = spawn({readersim, "--link", link, "--kind", "active"}, -1, open("/dev/null", O_WRONLY), commands[0]);
  close(commands[0]);
  for (int i = 0; i < 100 && access(link.c_str(), F_OK) != 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  for (const char* setting : {"Ravlink protocol=no", "Speed=9600"}) run({console, "--set", setting});
  run({console, "--set", "COM=" + link});

  std::vector<double> startMs, rssKb, peakKb;
  for (int i = 0; i < runs; ++i) {
    const int null = open("/dev/null", O_WRONLY);
    const Clock::time_point started = Clock::now();
    const pid_t pid = consoleEdition ? spawn({program, "--keyboard=print"}, null, null) : spawn({program}, null, null);
    close(null);
    if (!waitForEntry(eventLog, i + 1, std::chrono::seconds(10))) {
      std::fprintf(stderr, "run %d: reading did not become active\n", i + 1);
      kill(pid, SIGKILL);
      return 1;
    }
    startMs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - started).count());
    std::this_thread::sleep_for(std::chrono::seconds(2));  // idle: the reader sends nothing
    rssKb.push_back(static_cast<double>(statusKb(pid, "VmRSS:")));
    peakKb.push_back(static_cast<double>(statusKb(pid, "VmHWM:")));
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
  }
  close(commands[1]);
  kill(sim, SIGTERM);
  waitpid(sim, nullptr, 0);
  std::printf("%s, active-sending reader on a pseudo-terminal, %d runs, trace off\n", program.c_str(), runs);
  report("start to reading active (event entry 3)", startMs, "ms");
  report("resident memory while idle (VmRSS)", rssKb, "KiB");
  report("peak resident memory (VmHWM)", peakKb, "KiB");
  std::string cleanup = "rm -rf " + work;
  return std::system(cleanup.c_str()) == 0 ? 0 : 1;
}
