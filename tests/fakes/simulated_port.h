#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "readers/serial_port.h"

namespace tavolin::testing {

// A COM port in memory. What the test delivers is read in the chunks it
// was delivered in (a chunk is one burst), unless the next chunk follows
// within the interval; an idle read waits the idle period and returns
// nothing. Writes go to onWrite. Reads and writes can be made to fail.
class SimulatedPort : public SerialPort {
 public:
  bool read(char* buffer, std::uint32_t maxBytes, std::uint32_t& bytesRead, std::uint32_t& error,
            const PacketComplete& complete) override {
    std::unique_lock<std::mutex> lock(m_mutex);
    bytesRead = 0;
    for (auto wait = idlePeriod;; wait = interval) {
      if (!m_changed.wait_for(lock, wait, [this] { return !m_chunks.empty() || m_failing || m_interrupted; })) break;
      if (m_failing) return error = 5, false;
      if (m_interrupted) return bytesRead = 0, true;
      std::string& chunk = m_chunks.front();
      const auto count = static_cast<std::uint32_t>(std::min<std::size_t>(maxBytes - bytesRead, chunk.size()));
      chunk.copy(buffer + bytesRead, count);
      chunk.erase(0, count);
      if (chunk.empty()) m_chunks.pop_front();
      bytesRead += count;
      if (bytesRead == maxBytes || interval.count() == 0 || (complete && complete(buffer, bytesRead))) break;
    }
    return true;
  }
  bool write(const char* data, std::uint32_t size, std::uint32_t& written, std::uint32_t& error) override {
    std::function<void(const std::string&)> sink;
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      if (m_failing) return error = 5, false;
      m_sWritten.append(data, size);
      sink = onWrite;
    }
    written = size;
    if (sink) sink(std::string(data, size));
    return true;
  }
  void deliver(const std::string& chunk) { change(&chunk, nullptr, false); }
  void interruptRead() override { change(nullptr, &m_interrupted, true); }
  void reopen() { change(nullptr, &m_interrupted, false); }  // a port opened anew has not been interrupted
  void fail() { change(nullptr, &m_failing, true); }
  std::string written() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_sWritten;
  }

  std::function<void(const std::string&)> onWrite;
  // Set before the read that is to use them.
  std::chrono::milliseconds idlePeriod{10};
  std::chrono::milliseconds interval{0};  // a chunk within it belongs to the same burst

 private:
  void change(const std::string* chunk, bool* flag, bool value) {
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      if (chunk) m_chunks.push_back(*chunk);
      if (flag) *flag = value;
    }
    m_changed.notify_all();
  }

  mutable std::mutex m_mutex;
  std::condition_variable m_changed;
  std::deque<std::string> m_chunks;
  std::string m_sWritten;
  bool m_failing = false, m_interrupted = false;
};

// Hands out one simulated port, or an opening failure.
class SimulatedPorts : public SerialPorts {
 public:
  std::string devicePath(const std::string& comSetting) const override { return "\\\\.\\COM" + comSetting; }
  // "1" to "256" unless the test lists other ports.
  std::vector<PortChoice> portChoices(const std::string&) const override {
    std::vector<PortChoice> numbered = choices;
    for (int port = 1; choices.empty() && port <= 256; ++port)
      numbered.push_back({std::to_string(port), std::to_string(port)});
    return numbered;
  }
  bool deviceExists(const std::string&) const override { return true; }

  using SerialPorts::open;
  OpenResult open(const std::string& path, const LineSetUp& line, const CommTimeouts& timeouts) override {
    openedPath = path;
    lastTimeouts = timeouts;
    if (failure != Failure::None) return {nullptr, failure, failureText};
    lastLine = line();
    port.reopen();
    return {std::make_unique<PortHandle>(port), failure, failureText};
  }

  SimulatedPort port;
  std::vector<PortChoice> choices;
  Failure failure = Failure::None;
  std::string failureText, openedPath;
  DeviceControl lastLine;
  CommTimeouts lastTimeouts;

 private:
  // The session owns a handle; the port itself stays with the test.
  struct PortHandle : SerialPort {
    explicit PortHandle(SimulatedPort& port) : port(port) {}
    bool read(char* b, std::uint32_t m, std::uint32_t& r, std::uint32_t& e, const PacketComplete& c) override {
      return port.read(b, m, r, e, c);
    }
    void interruptRead() override { port.interruptRead(); }
    bool write(const char* d, std::uint32_t s, std::uint32_t& w, std::uint32_t& e) override {
      return port.write(d, s, w, e);
    }
    SimulatedPort& port;
  };
};

}  // namespace tavolin::testing
