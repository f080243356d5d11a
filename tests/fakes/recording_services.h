#pragma once

#include <string>
#include <vector>

#include "fakes/shared.h"
#include "services/event_log.h"
#include "services/sound.h"

namespace tavolin::testing {

// An event log that keeps its entries as "id type: %1|%2|%3|%4".
class RecordingEventLog : public EventLog {
 public:
  class RecordingSource : public Source {
   public:
    explicit RecordingSource(RecordingEventLog& log) : m_log(log) {}
    void report(Type type, std::uint32_t id, const std::vector<std::string>& strings) override {
      static const char* const kinds[] = {" error:", " warning:", " information:"};  // in the order of Type
      std::string line = std::to_string(id) + kinds[static_cast<int>(type)];
      for (std::size_t i = 0; i < strings.size(); ++i) line += (i ? "|" : " ") + strings[i];
      m_log.m_entries.change([&](std::vector<std::string>& entries) { entries.push_back(line); });
    }

   private:
    RecordingEventLog& m_log;
  };

  std::unique_ptr<Source> registerSource(const std::string&) override {
    return std::make_unique<RecordingSource>(*this);
  }

  std::vector<std::string> entries() const { return m_entries.copy(); }

 private:
  Shared<std::vector<std::string>> m_entries;
};

class RecordingSound : public Sound {
 public:
  void playAsync(const std::string& file) override {
    m_played.change([&](std::vector<std::string>& played) { played.push_back(file); });
  }
  std::size_t played() const {
    return m_played.look([](const std::vector<std::string>& played) { return played.size(); });
  }

 private:
  Shared<std::vector<std::string>> m_played;
};

}  // namespace tavolin::testing
