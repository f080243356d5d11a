#pragma once

#include <memory>
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

// A trace that is on and keeps what was written.
class CapturedTrace {
 public:
  CapturedTrace() { trace.open(std::make_unique<MemoryTextFile>(m_content)); }
  const std::string& text() const { return *m_content; }
  void clear() { m_content->clear(); }

  Trace trace;

 private:
  std::shared_ptr<std::string> m_content = std::make_shared<std::string>();
};

}  // namespace tavolin::testing
