#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace tavolin::fuzzing {

// The fuzzer's bytes taken from the front, piece by piece. What is asked
// for after the end is zero or empty, so every input means something.
class FuzzInput {
 public:
  FuzzInput(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
  bool empty() const { return m_at >= m_size; }
  std::uint8_t byte() { return empty() ? 0 : m_data[m_at++]; }
  bool flag() { return (byte() & 1) != 0; }
  std::string text(std::size_t maxLength) { return take(byte() % (maxLength + 1)); }  // its length comes first
  std::string take(std::size_t length) {
    const std::size_t n = length < m_size - m_at ? length : m_size - m_at;
    m_at += n;
    return std::string(reinterpret_cast<const char*>(m_data + m_at - n), n);
  }
  std::string rest() { return take(m_size - m_at); }

 private:
  const std::uint8_t* m_data;
  std::size_t m_size, m_at = 0;
};

// What each target does with one input (fuzz_main.cpp hands it over).
void fuzzOne(FuzzInput& input);

// A broken promise ends the run, so that the fuzzer keeps the input.
inline void check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace tavolin::fuzzing
