#include "bus_reader.h"

#include <chrono>
#include <thread>
#include <vector>

namespace readersim {

namespace {
constexpr char STX = 0x02, ETX = 0x03, ACK = 0x06, NAK = 0x15, ESC = 0x1B;
}

std::string BusReader::frame(const std::string& data, bool damaged) {
  std::string f;
  f += STX;
  f += static_cast<char>((data.size() >> 8) & 0xFF);
  f += static_cast<char>(data.size() & 0xFF);
  f += data;
  f += ETX;
  unsigned sum = 0;
  for (char c : f) sum += static_cast<unsigned char>(c);
  f += static_cast<char>((sum + (damaged ? 1 : 0)) & 0xFF);
  return f;
}

void BusReader::queueFrames(const std::vector<std::string>& datas) {
  if (datas.empty()) return;
  m_queue.assign(datas.begin() + 1, datas.end());
  sendFrames({datas.front()});
}

void BusReader::sendFrames(const std::vector<std::string>& datas) {
  std::string bytes;
  m_retries.clear();
  for (const std::string& data : datas) {
    bytes += frame(data, damageNextFrame);
    m_retries.push_back(frame(data));
  }
  damageNextFrame = false;
  m_iAwaiting = static_cast<int>(datas.size());
  if (splitNextFrame && bytes.size() > 4) {
    splitNextFrame = false;
    m_send(bytes.substr(0, 4));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    m_send(bytes.substr(4));
  } else {
    m_send(bytes);
  }
}

void BusReader::receive(const std::string& bytes) {
  m_sBuffer += bytes;
  for (;;) {
    if (m_sBuffer.empty()) return;
    const char first = m_sBuffer[0];
    if (first == '\0') {
      ++m_iZeroBytes;
      m_sBuffer.erase(0, 1);
    } else if (first == ACK || first == NAK) {
      m_sBuffer.erase(0, 1);
      if (m_iAwaiting > 0) {
        const std::size_t index = m_retries.size() - static_cast<std::size_t>(m_iAwaiting);
        if (first == NAK && index < m_retries.size()) {
          // The program rejected the frame: send it once more, undamaged.
          const std::string again = m_retries[index];
          m_retries[index].clear();
          if (!again.empty()) {
            m_send(again);
            continue;
          }
        }
        --m_iAwaiting;
        ++m_iAnswered;
        if (m_iAwaiting == 0 && !m_queue.empty()) {
          const std::string next = m_queue.front();
          m_queue.pop_front();
          sendFrames({next});
        }
      }
    } else if (first == STX) {
      if (m_sBuffer.size() < 3) return;
      const std::size_t length =
          (static_cast<std::size_t>(static_cast<unsigned char>(m_sBuffer[1])) << 8 |
           static_cast<unsigned char>(m_sBuffer[2])) + 5;
      if (m_sBuffer.size() < length) return;
      const std::string f = m_sBuffer.substr(0, length);
      m_sBuffer.erase(0, length);
      unsigned sum = 0;
      for (std::size_t i = 0; i + 1 < f.size(); ++i) sum += static_cast<unsigned char>(f[i]);
      if (f[length - 2] != ETX || static_cast<char>(sum & 0xFF) != f.back()) {
        m_send(std::string(1, NAK));
        continue;
      }
      handleRequest(f.substr(3, length - 5));
    } else {
      m_sBuffer.erase(0, 1);  // out of step: skip
    }
  }
}

void BusReader::handleRequest(const std::string& data) {
  if (ignoreNextRequest) {
    ignoreNextRequest = false;
    return;
  }
  if (nakNextRequest) {
    nakNextRequest = false;
    m_send(std::string(1, NAK));
    return;
  }
  const std::string text = !data.empty() && data[0] == ESC ? data.substr(1) : data;
  std::string reply;
  if (text == "s*") {
    reply = frame("s;" + info + ";0;0;" + typeLetter + "*");
  } else if (text == "o;k2;00*") {
    reply = frame("o;k2;00;0;" + parameterization + "*");
  } else if (text != "q0*" && text != "l2*" && text != "b1;1;1*") {
    m_send(std::string(1, NAK));
    return;
  }
  m_send(std::string(1, ACK) + reply);
  if (!reply.empty()) {
    m_retries = {reply};
    m_iAwaiting = 1;
  }
}

}  // namespace readersim
