// How many key events per second XTestKeyboard delivers to an X client
// (xkey_recorder, which writes a line per key press it receives).
//   tavolin-bench-xtest KEYS RECORDER-OUTPUT     (DISPLAY set; see scripts/bench.sh)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

#include "platform/linux/keyboard_linux.h"

namespace {

std::size_t linesIn(const std::string& path) {
  std::ifstream in(path);
  std::size_t lines = 0;
  for (std::string line; std::getline(in, line);) ++lines;
  return lines;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: tavolin-bench-xtest KEYS RECORDER-OUTPUT\n");
    return 2;
  }
  const long keys = std::atol(argv[1]);
  const std::string output = argv[2];
  std::string problem;
  auto keyboard = tavolin::XTestKeyboard::open(problem);
  if (!keyboard) {
    std::fprintf(stderr, "tavolin-bench-xtest: %s\n", problem.c_str());
    return 1;
  }
  const std::size_t before = linesIn(output);
  const auto scan = static_cast<std::uint8_t>(keyboard->mapVirtualKey('A'));
  const auto start = std::chrono::steady_clock::now();
  for (long i = 0; i < keys; ++i) {
    keyboard->keyEvent('A', scan, tavolin::Keyboard::KeyDown);
    keyboard->keyEvent('A', scan, tavolin::Keyboard::KeyUp);
  }
  const auto sent = std::chrono::steady_clock::now();
  while (linesIn(output) < before + static_cast<std::size_t>(keys)) {
    if (std::chrono::steady_clock::now() - start > std::chrono::seconds(60)) {
      std::fprintf(stderr, "tavolin-bench-xtest: the client received %zu of %ld keys\n", linesIn(output) - before, keys);
      return 1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  const auto received = std::chrono::steady_clock::now();
  const double seconds = std::chrono::duration<double>(received - start).count();
  std::printf("XTest: %ld keys (press and release) received by the X client in %.3f s: %.0f key events/s "
              "(sending alone: %.3f s)\n",
              keys, seconds, 2.0 * keys / seconds, std::chrono::duration<double>(sent - start).count());
  return 0;
}
