#include "console_host.h"

#include <cstdio>
#include <cstdlib>

#include "resource_ids.h"
#include "ui/attr_sheet.h"

namespace tavolin {

ConsoleOutput::ConsoleOutput(StdioTextFile::Encoding encoding)
    : m_out(stdout, encoding, StdioTextFile::Ownership::Borrowed),
      m_err(stderr, encoding, StdioTextFile::Ownership::Borrowed) {}

void ConsoleOutput::line(const std::string& text) { m_out.write(text + "\n"); }

void ConsoleOutput::error(const std::string& text) { m_err.write(text + "\n"); }

ConsoleView::ConsoleView(ConsoleOutput& output, Lines lines) : m_output(output), m_eLines(lines) {}

void ConsoleView::setCaption(const std::string& text) {
  MemoryDialogView::setCaption(text);
  if (m_eLines == Lines::Everything) m_output.line(text);
}

void ConsoleView::navigate(std::int32_t id, const std::string& address) {
  MemoryDialogView::navigate(id, address);
  if (m_eLines == Lines::Everything) m_output.line(address);
}

std::string ConsoleView::labelled(std::int32_t labelId, const std::string& text) {
  const std::string& label = control(labelId).text;
  if (label.empty()) return text;
  return label + (label.back() == ':' ? " " : ": ") + text;
}

bool LoopOutput::write(std::string_view text) {
  m_host.postText(m_out, text);
  return true;
}

void ConsoleView::printAfterReading(const std::string& line) {
  if (control(IDC_MAIN_PART1).enabled) {
    m_held.push_back(line);
  } else {
    m_output.line(line);
  }
}

void ConsoleView::printHeld() {
  for (const std::string& line : m_held) m_output.line(line);
  m_held.clear();
}

void ConsoleView::textChanged(std::int32_t id) {
  const std::string& text = control(id).text;
  if (m_eLines == Lines::Everything) {
    if (!text.empty()) m_output.line(text);
    return;
  }
  switch (id) {
    case IDC_MAIN_STATE:
      printHeld();
      m_output.line(text);
      break;
    case IDC_MAIN_READER_INFO:
      if (!text.empty()) {
        std::string oneLine = text;
        for (char& c : oneLine) {
          if (c == '\n' || c == '\r') c = ' ';
        }
        m_output.line(oneLine);
      }
      break;
    case IDC_MAIN_COUNT:
      if (text != "0") printAfterReading(labelled(IDC_MAIN_COUNT_LABEL, text));
      break;
    case IDC_MAIN_WARNING:
      // A burst too short to be a reading leaves its warning alone.
      if (!m_held.empty()) printHeld();
      if (!text.empty()) printAfterReading(text);
      break;
    case IDC_MAIN_TOTAL:
      // The total length is the last thing a reading shows in test mode.
      if (text != "0" && control(IDC_MAIN_PART1).enabled) printReading();
      break;
    default:
      break;
  }
}

void ConsoleView::printReading() {
  m_output.line(labelled(IDC_MAIN_CARD_LABEL, "'" + control(IDC_MAIN_PART1).text + "' " +
                                                  labelled(IDC_MAIN_LEN1_LABEL, control(IDC_MAIN_LEN1).text)));
  if (!control(IDC_MAIN_PART2).text.empty()) {
    m_output.line(labelled(IDC_MAIN_CARD_LABEL, "'" + control(IDC_MAIN_PART2).text + "' " +
                                                    labelled(IDC_MAIN_LEN2_LABEL, control(IDC_MAIN_LEN2).text)));
  }
  m_output.line(labelled(IDC_MAIN_TOTAL_LABEL, control(IDC_MAIN_TOTAL).text + " " + control(IDC_MAIN_TOTAL_UNIT).text));
  if (!control(IDC_MAIN_FILTER_NOTICE).text.empty()) m_output.line(control(IDC_MAIN_FILTER_NOTICE).text);
  printHeld();
}

void ConsoleView::messageShown(const Message& message) { m_output.error(message.text); }

ConsoleHost::ConsoleHost(ConsoleOutput& output) : m_output(output) {}

std::int32_t ConsoleHost::run(const std::function<void(std::uint32_t)>& onTimer) {
  while (!m_bEnded) {
    Task task;
    {
      std::unique_lock<std::mutex> lock(m_mutex);
      Clock::time_point next = Clock::now() + std::chrono::hours(1);
      for (const auto& entry : m_timers) next = std::min(next, entry.second.due);
      m_wake.wait_until(lock, next, [this] { return !m_tasks.empty(); });
      if (!m_tasks.empty()) {
        task = std::move(m_tasks.front());
        m_tasks.pop_front();
      }
    }
    if (task.out) {
      task.out->write(task.text);
    } else if (task.run) {
      task.run();
    }
    const Clock::time_point now = Clock::now();
    for (auto it = m_timers.begin(); it != m_timers.end() && !m_bEnded;) {
      const std::uint32_t id = it->first;
      if (it->second.due <= now) {
        it->second.due = now + it->second.period;
        onTimer(id);  // may kill this or any timer
        it = m_timers.upper_bound(id);
      } else {
        ++it;
      }
    }
  }
  return m_iResult;
}

void ConsoleHost::post(std::function<void()> task) {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_tasks.push_back({std::move(task), nullptr, {}});
  }
  m_wake.notify_one();
}

void ConsoleHost::postText(TextFile& out, std::string_view text) {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_tasks.empty() && m_tasks.back().out == &out) {
      m_tasks.back().text.append(text);
      return;
    }
    m_tasks.push_back({nullptr, &out, std::string(text)});
  }
  m_wake.notify_one();
}

std::uint32_t ConsoleHost::setTimer(std::uint32_t id, std::uint32_t periodMs) {
  const std::chrono::milliseconds period(periodMs);
  m_timers[id] = {period, Clock::now() + period};
  return id;
}

void ConsoleHost::killTimer(std::uint32_t id) { m_timers.erase(id); }

void ConsoleHost::runModal(DialogPresenter& dialog) {
  ConsoleView view(m_output, ConsoleView::Lines::Everything);
  dialog.attach(view);
  dialog.OnInitDialog();
}

bool ConsoleHost::runPropertySheet(AttrSheet& sheet) {
  m_output.error(sheet.caption() +
                 ": the settings sheet has no console form; change settings with "
                 "tavolin-console --set \"NAME=VALUE\" and show them with --show-settings.");
  return false;
}

void ConsoleHost::endDialog(std::int32_t result) {
  m_bEnded = true;
  m_iResult = result;
}

void ConsoleHost::exitProcess(std::int32_t code) {
  // Not fflush(nullptr): it would wait for standard input, which the
  // command reader holds while it waits for a line. The trace and the data
  // log are on disk after every line already.
  std::fflush(stdout);
  std::fflush(stderr);
  std::_Exit(code);
}

}  // namespace tavolin
