#pragma once

#include <algorithm>
#include <cctype>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/linux/registry_file.h"

namespace tavolin::testing {

// What writing texts into a settings file must do, whatever the file held:
// every text written reads back, no line becomes unreadable that was not,
// writing the same texts again changes nothing, and every line that was
// there stays, in its order, but those of the names written (a value line
// and the lines that continue it). Returns what went wrong, with the file as
// written, or an empty text. Names are plain (no quote, no backslash); a
// later write of a name replaces an earlier one.
inline std::string checkWrittenFile(const std::string& keyName, const std::string& before,
                                    const std::vector<std::pair<std::string, std::string>>& writes) {
  const auto lower = [](std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
  };
  const auto lines = [](const std::string& text) {
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) result.push_back(line);
    return result;
  };
  RegistryFile content(keyName), again(keyName);
  std::vector<std::string> problems, problemsAgain;
  content.parse(before, problems);
  for (const auto& [name, text] : writes) content.setString(name, text);
  const std::string written = content.serialize(), in = "\nwritten:\n" + written;
  again.parse(written, problemsAgain);
  for (auto w = writes.begin(); w != writes.end(); ++w) {
    const RegistryFile::Value* value = again.find(w->first);
    const bool later =
        std::any_of(w + 1, writes.end(), [&](const auto& l) { return lower(l.first) == lower(w->first); });
    if (!later && (!value || value->data != w->second)) return "\"" + w->first + "\" does not read back" + in;
  }
  if (problemsAgain.size() != problems.size()) return "lines became unreadable, or readable" + in;
  // The same texts written again change nothing: a name's earlier line is replaced, not left behind.
  for (const auto& [name, text] : writes) again.setString(name, text);
  if (again.serialize() != written) return "written again, the file changed:\n" + again.serialize() + in;

  const std::vector<std::string> after = lines(written);
  auto next = after.begin();
  bool skipping = false;  // a written value's line and the lines that continue it
  for (std::string line : lines(before)) {
    const bool continuation = skipping;
    skipping = std::any_of(writes.begin(), writes.end(),
                           [&](const auto& w) { return lower(line).rfind("\"" + lower(w.first) + "\"=", 0) == 0; });
    if (skipping || continuation) {
      while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) line.pop_back();
      skipping = !line.empty() && line.back() == '\\';
      continue;
    }
    next = std::find(next, after.end(), line);
    if (next == after.end()) return "lost or changed: " + line + in;
    ++next;
  }
  return {};
}

}  // namespace tavolin::testing
