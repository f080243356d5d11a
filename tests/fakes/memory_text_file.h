#pragma once

#include <memory>
#include <string>

#include "fakes/shared.h"
#include "services/text_file.h"
#include "services/trace.h"

namespace tavolin::testing {

// What a file in memory holds: its text and the count of writes that made it.
struct FileContent {
  std::string text;
  int writes = 0;
};
using SharedFile = Shared<FileContent>;

// A text file whose content stays in memory, shared with the test. A
// reading thread may write it (the trace, the data log) while the test
// reads it.
class MemoryTextFile : public TextFile {
 public:
  explicit MemoryTextFile(std::shared_ptr<SharedFile> content) : m_content(std::move(content)) {}
  bool write(std::string_view text) override {
    m_content->change([&](FileContent& c) {
      c.text.append(text);
      ++c.writes;
    });
    return true;
  }

 private:
  std::shared_ptr<SharedFile> m_content;
};

// A trace that is on and keeps what was written.
class CapturedTrace {
 public:
  CapturedTrace() { trace.open(std::make_unique<MemoryTextFile>(m_content)); }
  std::string text() const {
    return m_content->look([](const FileContent& c) { return c.text; });
  }
  bool contains(const std::string& line) const {
    return m_content->look([&](const FileContent& c) { return c.text.find(line) != std::string::npos; });
  }
  void clear() {
    m_content->change([](FileContent& c) { c.text.clear(); });
  }

  Trace trace;

 private:
  std::shared_ptr<SharedFile> m_content = std::make_shared<SharedFile>();
};

}  // namespace tavolin::testing
