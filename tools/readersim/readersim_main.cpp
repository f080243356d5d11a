// tavolin-readersim: a card reader on a pseudo-terminal, for tests and for
// trying a configuration without hardware. See --help.
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <sstream>
#include <string>
#include <vector>

#include "bus_reader.h"
#include "services/event_log.h"

namespace {

// The pseudo-terminal the simulated reader sits on, with its device end
// linked where the program expects the port.
class Line {
 public:
  ~Line() { close(); }

  bool open(const std::string& link) {
    m_sLink = link;
    master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
      std::perror("tavolin-readersim: pseudo-terminal");
      return false;
    }
    device = ptsname(master);
    // The simulator keeps the device end open, raw, so that its side of
    // the line stays up while the program closes and reopens the port.
    m_slave = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios tio{};
    if (m_slave < 0 || tcgetattr(m_slave, &tio) != 0) {
      std::perror("tavolin-readersim: device");
      return false;
    }
    cfmakeraw(&tio);
    tcsetattr(m_slave, TCSANOW, &tio);
    struct stat existing {};
    if (lstat(link.c_str(), &existing) == 0 && S_ISLNK(existing.st_mode)) ::unlink(link.c_str());
    if (::symlink(device.c_str(), link.c_str()) != 0) {
      std::fprintf(stderr, "tavolin-readersim: cannot link %s: %s\n", link.c_str(), std::strerror(errno));
      return false;
    }
    return true;
  }

  // Like an unplugged adapter: the open device fails, a new one appears.
  bool hangUp() {
    close();
    return open(m_sLink);
  }

  void close() {
    if (!m_sLink.empty()) ::unlink(m_sLink.c_str());
    if (m_slave >= 0) ::close(m_slave);
    if (master >= 0) ::close(master);
    m_slave = master = -1;
  }

  int master = -1;
  std::string device;

 private:
  int m_slave = -1;
  std::string m_sLink;
};

volatile std::sig_atomic_t g_stop = 0;
void onSignal(int) { g_stop = 1; }

using Clock = std::chrono::steady_clock;
Clock::time_point g_start = Clock::now();

// Milliseconds since the start, or with --monotonic since the system's
// monotonic clock began, to compare with another process's times.
long long elapsedMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - g_start).count();
}

void logLine(const char* what, const std::string& text) {
  std::fprintf(stderr, "%lld %s %s\n", elapsedMs(), what, text.c_str());
  std::fflush(stderr);
}

void logBytes(const char* direction, const std::string& bytes) {
  std::string hex;
  char piece[4];
  for (char c : bytes) {
    std::snprintf(piece, sizeof piece, "%02x ", static_cast<unsigned char>(c));
    hex += piece;
  }
  if (!hex.empty()) hex.pop_back();
  logLine(direction, hex);
}

void usage(std::FILE* out) {
  std::fputs(
      "Usage: tavolin-readersim --link PATH [--kind active|bus] [--type LETTER] [--info TEXT]\n"
      "                         [--param NUMBER] [--commands FILE] [--monotonic]\n"
      "       tavolin-readersim --version\n"
      "Plays a card reader on a new pseudo-terminal whose device is linked at PATH\n"
      "(use PATH as the \"COM\" setting of the Linux edition).\n"
      "Commands, one a line, from standard input or FILE (a FIFO, or a file followed as it grows):\n"
      "  card 31 32 33        send these bytes as one burst (active reader), or as they are\n"
      "                       to a bus reader's program: garbage, a frame's start alone\n"
      "  text 12345678        send the text as one burst (active reader)\n"
      "  frame a;b;c;d;e;12*  send a frame with this data and wait for its ACK (bus reader)\n"
      "  frames X* | Y* ...   several frames in one write (bus reader)\n"
      "  queue X* | Y* ...    send X, and each next frame as soon as the one before it is\n"
      "                       acknowledged, as a reader with readings queued (bus reader)\n"
      "  fault checksum|nak|silent|stray|split\n"
      "                       damaged block check of the next frame, NAK or no answer to\n"
      "                       the next request, a stray byte now, the next frame in two writes\n"
      "  kind active|bus, type L, info TEXT, param NUMBER   change the reader\n"
      "  sleep MS             wait before the next command\n"
      "  hangup               drop the line as an unplugged adapter would; a new one appears\n"
      "  stats                log the zero bytes received while idle\n"
      "  quit                 end (as does end of input or SIGTERM)\n"
      "Every byte received and sent is logged to standard error with a time stamp in ms\n"
      "since the start (--monotonic: of the system's monotonic clock).\n",
      out);
}

std::string hexBytes(const std::string& text, bool& ok) {
  std::istringstream in(text);
  std::string token, bytes;
  ok = true;
  while (in >> token) {
    char* end = nullptr;
    const long value = std::strtol(token.c_str(), &end, 16);
    if (*end != '\0' || value < 0 || value > 255) ok = false;
    bytes += static_cast<char>(value);
  }
  return bytes;
}

std::string trim(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// "X* | Y* | Z*": the data of the frames.
std::vector<std::string> frameList(const std::string& text) {
  std::vector<std::string> datas;
  std::size_t from = 0;
  for (std::size_t bar; (bar = text.find('|', from)) != std::string::npos; from = bar + 1) {
    datas.push_back(trim(text.substr(from, bar - from)));
  }
  datas.push_back(trim(text.substr(from)));
  return datas;
}

class Simulator {
 public:
  Simulator(Line& line, bool bus) : m_line(line), m_bBus(bus), m_bus([this](const std::string& b) { send(b); }) {}

  readersim::BusReader& bus() { return m_bus; }

  void send(const std::string& bytes) {
    logBytes("tx", bytes);
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::write(m_line.master, bytes.data() + done, bytes.size() - done);
      if (n > 0) {
        done += static_cast<std::size_t>(n);
      } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
        logLine("error", std::string("write: ") + std::strerror(errno));
        return;
      } else {
        pollfd p{m_line.master, POLLOUT, 0};
        ::poll(&p, 1, 100);
      }
    }
  }

  void received(const std::string& bytes) {
    logBytes("rx", bytes);
    if (m_bBus) {
      m_bus.receive(bytes);
    } else {
      for (char c : bytes) m_iZeroBytes += c == '\0';
    }
  }

  int zeroBytes() const { return m_bBus ? m_bus.zeroBytes() : m_iZeroBytes; }

  // Runs one command; false when the simulator is to end.
  bool command(const std::string& line) {
    const std::string text = trim(line);
    if (text.empty() || text[0] == '#') return true;
    logLine("cmd", text);
    const std::size_t blank = text.find(' ');
    const std::string verb = text.substr(0, blank);
    const std::string rest = blank == std::string::npos ? "" : text.substr(blank + 1);
    if (verb == "quit") return false;
    if (verb == "card") {
      bool ok = false;
      const std::string bytes = hexBytes(rest, ok);
      if (!ok) logLine("error", "not a byte list: " + rest);
      send(bytes);
    } else if (verb == "text") {
      send(rest);
    } else if (verb == "frame") {
      m_bus.sendFrames({rest});
    } else if (verb == "frames") {
      m_bus.sendFrames(frameList(rest));
    } else if (verb == "queue") {
      m_bus.queueFrames(frameList(rest));
    } else if (verb == "fault") {
      if (rest == "none") {
        m_bus.damageNextFrame = m_bus.nakNextRequest = m_bus.ignoreNextRequest = m_bus.splitNextFrame = false;
      } else if (rest == "checksum") m_bus.damageNextFrame = true;
      else if (rest == "nak") m_bus.nakNextRequest = true;
      else if (rest == "silent") m_bus.ignoreNextRequest = true;
      else if (rest == "split") m_bus.splitNextFrame = true;
      else if (rest == "stray") send("A");
      else logLine("error", "unknown fault: " + rest);
    } else if (verb == "kind") {
      m_bBus = rest == "bus";
    } else if (verb == "type") {
      m_bus.typeLetter = rest;
    } else if (verb == "info") {
      m_bus.info = rest;
    } else if (verb == "param") {
      m_bus.parameterization = rest;
    } else if (verb == "sleep") {
      m_sleepUntil = Clock::now() + std::chrono::milliseconds(std::atol(rest.c_str()));
    } else if (verb == "hangup") {
      if (!m_line.hangUp()) return false;
      logLine("ready", m_line.device);
    } else if (verb == "stats") {
      logLine("stats", "zero bytes received: " + std::to_string(zeroBytes()));
    } else {
      logLine("error", "unknown command: " + text);
    }
    return true;
  }

  // Whether the next command may run: no pause pending, no frame awaiting
  // its acknowledgement (for at most five seconds without any answer).
  bool ready() {
    const Clock::time_point now = Clock::now();
    if (now < m_sleepUntil) return false;
    if (m_bus.awaitingAck()) {
      if (m_ackSince == Clock::time_point{} || m_bus.answered() != m_iAnswered) m_ackSince = now;
      m_iAnswered = m_bus.answered();
      if (now - m_ackSince < std::chrono::seconds(5)) return false;
      logLine("error", "no acknowledgement");
    }
    m_ackSince = {};
    return true;
  }

 private:
  Line& m_line;
  bool m_bBus;
  readersim::BusReader m_bus;
  int m_iZeroBytes = 0;
  Clock::time_point m_sleepUntil{};
  Clock::time_point m_ackSince{};
  int m_iAnswered = 0;
};

}  // namespace

int main(int argc, char** argv) {
  std::string link, kind = "active", commandsPath;
  std::string type = "D", info = "F1", param = "12345";
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const auto value = [&](std::string& into) {
      if (i + 1 >= argc) {
        usage(stderr);
        std::exit(2);
      }
      into = argv[++i];
    };
    if (arg == "--link") value(link);
    else if (arg == "--kind") value(kind);
    else if (arg == "--type") value(type);
    else if (arg == "--info") value(info);
    else if (arg == "--param") value(param);
    else if (arg == "--commands") value(commandsPath);
    else if (arg == "--monotonic") g_start = Clock::time_point{};
    else if (arg == "--help" || arg == "-h") {
      usage(stdout);
      return 0;
    } else if (arg == "--version") {
      std::printf("tavolin-readersim, %s %s\n", tavolin::kProductCaption, tavolin::kVersionText);
      return 0;
    } else {
      usage(stderr);
      return 2;
    }
  }
  if (link.empty() || (kind != "active" && kind != "bus")) {
    usage(stderr);
    return 2;
  }

  Line line;
  if (!line.open(link)) return 1;

  struct sigaction action {};
  action.sa_handler = onSignal;
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
  std::signal(SIGPIPE, SIG_IGN);

  const int commands = commandsPath.empty() ? STDIN_FILENO : ::open(commandsPath.c_str(), O_RDWR | O_CLOEXEC);
  if (commands < 0) {
    std::fprintf(stderr, "tavolin-readersim: cannot open %s: %s\n", commandsPath.c_str(), std::strerror(errno));
    return 1;
  }

  Simulator simulator(line, kind == "bus");
  simulator.bus().typeLetter = type;
  simulator.bus().info = info;
  simulator.bus().parameterization = param;
  logLine("ready", line.device + " at " + link);
  struct stat commandsInfo {};
  // A regular file is followed as it grows; a pipe or FIFO ends at its end.
  const bool followFile = fstat(commands, &commandsInfo) == 0 && S_ISREG(commandsInfo.st_mode);

  std::deque<std::string> queue;
  std::string partial;
  bool inputOpen = true;
  bool running = true;
  while (running && !g_stop) {
    while (running && !queue.empty() && simulator.ready()) {
      running = simulator.command(queue.front());
      queue.pop_front();
    }
    if (!running || (!inputOpen && queue.empty() && simulator.ready())) break;
    pollfd fds[2] = {{line.master, POLLIN, 0}, {inputOpen && !followFile ? commands : -1, POLLIN, 0}};
    const int ready = ::poll(fds, 2, 20);
    if (followFile) fds[1].revents = POLLIN;
    if (ready < 0 && errno != EINTR) break;
    if (fds[0].revents & POLLIN) {
      char buffer[512];
      const ssize_t n = ::read(line.master, buffer, sizeof buffer);
      if (n > 0) simulator.received(std::string(buffer, static_cast<std::size_t>(n)));
    }
    if (fds[1].revents & (POLLIN | POLLHUP)) {
      char buffer[512];
      const ssize_t n = ::read(commands, buffer, sizeof buffer);
      if (n <= 0) {
        inputOpen = followFile;
      } else {
        partial.append(buffer, static_cast<std::size_t>(n));
        std::size_t newline;
        while ((newline = partial.find('\n')) != std::string::npos) {
          queue.push_back(partial.substr(0, newline));
          partial.erase(0, newline + 1);
        }
      }
    }
  }
  logLine("stats", "zero bytes received: " + std::to_string(simulator.zeroBytes()));
  return 0;
}
