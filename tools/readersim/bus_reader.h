#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace readersim {

// A reader on the Ravlink bus as the simulator plays it: it answers the
// program's requests and sends card readings as frames.
class BusReader {
 public:
  using Send = std::function<void(const std::string& bytes)>;

  explicit BusReader(Send send) : m_send(std::move(send)) {}

  // Reader identity used in the replies.
  std::string typeLetter = "D";
  std::string info = "F1";
  std::string parameterization = "12345";

  // Faults for the next request or frame.
  bool damageNextFrame = false;   // wrong block check, once
  bool nakNextRequest = false;    // NAK instead of ACK
  bool ignoreNextRequest = false; // no answer at all
  bool splitNextFrame = false;    // the frame in two writes
  bool ackRequests = true;

  // Bytes from the program.
  void receive(const std::string& bytes);
  // Sends one or more card frames in one write; waits for ACKs in receive().
  void sendFrames(const std::vector<std::string>& datas);
  // Sends the first frame now and each of the others as soon as the one
  // before it is acknowledged, as a reader with readings queued does.
  void queueFrames(const std::vector<std::string>& datas);

  bool awaitingAck() const { return m_iAwaiting > 0 || !m_queue.empty(); }
  // Frames answered so far, to tell a slow program from a silent one.
  int answered() const { return m_iAnswered; }
  int zeroBytes() const { return m_iZeroBytes; }

  static std::string frame(const std::string& data, bool damaged = false);

 private:
  void handleRequest(const std::string& data);

  Send m_send;
  std::string m_sBuffer;
  int m_iAwaiting = 0;
  std::vector<std::string> m_retries;  // frames to send again after a NAK
  std::deque<std::string> m_queue;     // frames to send one by one after ACKs
  int m_iAnswered = 0;
  int m_iZeroBytes = 0;
};

}  // namespace readersim
