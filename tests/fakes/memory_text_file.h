#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "services/text_file.h"
#include "services/trace.h"

namespace tavolin::testing {

// A text file whose content stays in memory, shared with the test.
class MemoryTextFile : public TextFile {
 public:
  explicit MemoryTextFile(std::shared_ptr<std::string> content) : m_content(std::move(content)) {}
  bool write(std::string_view text) override {
    m_content->append(text);
    ++writes;
    return true;
  }
  int writes = 0;

 private:
  std::shared_ptr<std::string> m_content;
};

// A trace that is on and keeps what was written. The reading thread of a
// session writes to it while a test waits for a line: text() and contains()
// may be asked on any thread at any time.
class CapturedTrace {
 public:
  CapturedTrace() { trace.open(std::make_unique<Writer>(m_text)); }
  std::string text() const {
    std::lock_guard<std::mutex> lock(m_text->mutex);
    return m_text->content;
  }
  bool contains(const std::string& line) const {
    std::lock_guard<std::mutex> lock(m_text->mutex);
    return m_text->content.find(line) != std::string::npos;
  }
  void clear() {
    std::lock_guard<std::mutex> lock(m_text->mutex);
    m_text->content.clear();
  }

  Trace trace;

 private:
  struct Text {
    std::mutex mutex;
    std::string content;
  };
  class Writer : public TextFile {
   public:
    explicit Writer(std::shared_ptr<Text> text) : m_text(std::move(text)) {}
    bool write(std::string_view text) override {
      std::lock_guard<std::mutex> lock(m_text->mutex);
      m_text->content.append(text);
      return true;
    }

   private:
    std::shared_ptr<Text> m_text;
  };

  std::shared_ptr<Text> m_text = std::make_shared<Text>();
};

}  // namespace tavolin::testing
