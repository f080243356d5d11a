#pragma once

#include <cstddef>
#include <cstdio>
#include <mutex>
#include <string_view>

namespace tavolin {

// An open text file of the trace or the data log. Each write goes to disk
// at once.
class TextFile {
 public:
  virtual ~TextFile() = default;
  // Writes Windows-1252 text, "\n" ending lines, and flushes; false when
  // not all of it reached the file (a full disk).
  virtual bool write(std::string_view text) = 0;
};

// A text file on a C stream. The Windows edition writes the program's
// Windows-1252 bytes unchanged to a stream opened in text mode; the Linux
// edition writes UTF-8. Writes from several threads never mix: each text
// is written whole under a lock and flushed, so a program reading standard
// output on a pipe sees whole lines as soon as they are written.
class StdioTextFile : public TextFile {
 public:
  enum class Encoding { Windows1252, Utf8 };

  enum class Ownership { Owned, Borrowed };

  // Closes the stream at the end unless it is borrowed (standard output).
  StdioTextFile(std::FILE* stream, Encoding encoding, Ownership ownership = Ownership::Owned);
  ~StdioTextFile() override;
  StdioTextFile(const StdioTextFile&) = delete;
  StdioTextFile& operator=(const StdioTextFile&) = delete;

  bool write(std::string_view text) override;

 private:
  std::FILE* m_pStream;
  Encoding m_eEncoding;
  Ownership m_eOwnership;
  std::mutex m_mutex;
};

}  // namespace tavolin
