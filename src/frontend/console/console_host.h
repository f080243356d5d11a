#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "ui/dialog_view.h"
#include "ui/memory_dialog_view.h"
#include "ui/null_window_host.h"
#include "services/text_file.h"

namespace tavolin {

// The console's two streams, each line written whole and flushed at once
// (standard output is often a pipe).
class ConsoleOutput {
 public:
  explicit ConsoleOutput(StdioTextFile::Encoding encoding);
  void line(const std::string& text);
  void error(const std::string& text);
  // Standard output, for writers of whole lines of their own.
  TextFile& standardOutput() { return m_out; }

 private:
  StdioTextFile m_out;
  StdioTextFile m_err;
};

// A window of the console edition: its controls live in memory, and what
// a user of the window would look at becomes a line on standard output.
// Message boxes become lines on standard error.
class ConsoleView : public MemoryDialogView {
 public:
  enum class Lines {
    MainWindow,  // reading state, reader, count, warning, test display
    Everything,  // caption and every text (help and about)
  };

  ConsoleView(ConsoleOutput& output, Lines lines);

  void setCaption(const std::string& text) override;
  void navigate(std::int32_t id, const std::string& address) override;

 protected:
  void textChanged(std::int32_t id) override;
  void messageShown(const Message& message) override;

 private:
  void printReading();
  // In test mode the warning and the count come before the reading they
  // belong to: they are held and printed after it.
  void printAfterReading(const std::string& line);
  void printHeld();
  std::string labelled(std::int32_t labelId, const std::string& text);

  ConsoleOutput& m_output;
  Lines m_eLines;
  std::vector<std::string> m_held;
};

class ConsoleHost;

// Standard output for the reading thread: what it writes is written by the
// console's loop, in order with everything the loop writes, so that the
// lines of one reading come as one block (the count before what it typed).
class LoopOutput : public TextFile {
 public:
  LoopOutput(ConsoleHost& host, TextFile& out) : m_host(host), m_out(out) {}
  bool write(std::string_view text) override;

 private:
  ConsoleHost& m_host;
  TextFile& m_out;
};

// The user-interface thread of the console edition: posted tasks and
// timers on one loop, which runs until the main window ends.
// A terminal has no notification area, no menu, no cursor and no
// open-file dialog: what the null host leaves out stays out.
class ConsoleHost : public NullWindowHost {
 public:
  explicit ConsoleHost(ConsoleOutput& output);

  // Runs the loop; the main window's result.
  std::int32_t run(const std::function<void(std::uint32_t)>& onTimer);

  void post(std::function<void()> task) override;
  // Writes the text to the file in the loop's order. Texts that follow one
  // another with nothing posted between them are written together: a fast
  // reader's key events cost one queued write a reading, not one a key.
  void postText(TextFile& out, std::string_view text);
  std::uint32_t setTimer(std::uint32_t id, std::uint32_t periodMs) override;
  void killTimer(std::uint32_t id) override;
  void runModal(DialogPresenter& dialog) override;
  bool runPropertySheet(AttrSheet& sheet) override;
  void endDialog(std::int32_t result) override;
  void exitProcess(std::int32_t code) override;

  bool ended() const { return m_bEnded; }

 private:
  using Clock = std::chrono::steady_clock;
  struct Timer {
    std::chrono::milliseconds period;
    Clock::time_point due;
  };

  ConsoleOutput& m_output;
  std::mutex m_mutex;
  std::condition_variable m_wake;
  struct Task {
    std::function<void()> run;
    TextFile* out = nullptr;  // or text for this file
    std::string text;
  };
  std::deque<Task> m_tasks;
  std::map<std::uint32_t, Timer> m_timers;  // touched by the loop's thread only
  bool m_bEnded = false;
  std::int32_t m_iResult = 0;
};

}  // namespace tavolin
