#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "readers/serial_port.h"

namespace tavolin::testing {

// A COM port in memory. What the test delivers is read in the chunks it
// was delivered in (a chunk is one burst); an idle read waits a short idle
// period and returns nothing. Writes go to onWrite. Reads and writes can be
// made to fail.
class SimulatedPort : public SerialPort {
 public:
  static constexpr std::chrono::milliseconds idlePeriod{10};

  bool read(char* buffer, std::uint32_t maxBytes, std::uint32_t& bytesRead, std::uint32_t& error) override {
    std::unique_lock<std::mutex> lock(m_mutex);
    bytesRead = 0;
    m_changed.wait_for(lock, idlePeriod, [this] { return !m_chunks.empty() || failing; });
    if (failing) {
      error = 5;
      return false;
    }
    if (m_chunks.empty()) return true;
    std::string& chunk = m_chunks.front();
    bytesRead = static_cast<std::uint32_t>(std::min<std::size_t>(maxBytes, chunk.size()));
    chunk.copy(buffer, bytesRead);
    chunk.erase(0, bytesRead);
    if (chunk.empty()) m_chunks.pop_front();
    return true;
  }

  bool write(const char* data, std::uint32_t size, std::uint32_t& written, std::uint32_t& error) override {
    std::function<void(const std::string&)> sink;
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      if (failing) {
        error = 5;
        return false;
      }
      m_sWritten.append(data, size);
      sink = onWrite;
    }
    written = size;
    if (sink) sink(std::string(data, size));
    return true;
  }

  void deliver(const std::string& chunk) {
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_chunks.push_back(chunk);
    }
    m_changed.notify_all();
  }

  void fail() {
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      failing = true;
    }
    m_changed.notify_all();
  }

  std::string written() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_sWritten;
  }

  std::function<void(const std::string&)> onWrite;

 private:
  mutable std::mutex m_mutex;
  std::condition_variable m_changed;
  std::deque<std::string> m_chunks;
  std::string m_sWritten;
  bool failing = false;
};

// Hands out one simulated port, or an opening failure.
class SimulatedPorts : public SerialPorts {
 public:
  std::string devicePath(const std::string& comSetting) const override { return "\\\\.\\COM" + comSetting; }

  using SerialPorts::open;
  OpenResult open(const std::string& path, const LineSetUp& line, const CommTimeouts& timeouts) override {
    openedPath = path;
    lastTimeouts = timeouts;
    OpenResult result;
    result.failure = failure;
    result.text = failureText;
    if (failure == Failure::None) {
      lastLine = line();
      auto port = std::make_unique<PortHandle>(*this);
      result.port = std::move(port);
    }
    return result;
  }

  SimulatedPort port;
  Failure failure = Failure::None;
  std::string failureText;
  std::string openedPath;
  DeviceControl lastLine;
  CommTimeouts lastTimeouts;

 private:
  // The session owns a handle; the port itself stays with the test.
  class PortHandle : public SerialPort {
   public:
    explicit PortHandle(SimulatedPorts& ports) : m_ports(ports) {}
    bool read(char* b, std::uint32_t m, std::uint32_t& r, std::uint32_t& e) override {
      return m_ports.port.read(b, m, r, e);
    }
    bool write(const char* d, std::uint32_t s, std::uint32_t& w, std::uint32_t& e) override {
      return m_ports.port.write(d, s, w, e);
    }

   private:
    SimulatedPorts& m_ports;
  };
};

}  // namespace tavolin::testing
