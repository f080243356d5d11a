#pragma once

#include <algorithm>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "fakes/shared.h"
#include "ui/attr_sheet.h"
#include "ui/dialog_view.h"
#include "ui/memory_dialog_view.h"

namespace tavolin::testing {

// A window system driven by the test: posted tasks wait until the test runs them, timers fire when
// the test moves the clock, modal runs, menus and the open-file dialog do what the test says.
class ManualHost : public WindowHost {
 public:
  std::function<void(std::uint32_t)> timerTarget;
  std::function<bool(AttrSheet&)> onSheet;  // none: Cancel
  std::optional<std::string> fileChoice;
  MenuChoice menuChoice;
  bool timersWork = true;

  void runPosted() {
    std::deque<std::function<void()>> tasks;
    m_posts.change([&](Posts& posts) { tasks.swap(posts.tasks); });
    for (auto& task : tasks) task();
  }

  bool waitForPosts(std::size_t count) {
    return waitUntil([&] { return postCount() >= count; });
  }
  std::size_t postCount() const {
    return m_posts.look([](const Posts& posts) { return posts.count; });
  }

  // Moves the clock on, firing the timers that come due on the way (the earliest first), until the program exits.
  void advance(std::uint32_t ms) {
    const std::uint64_t end = now + ms;
    const auto earlier = [](const auto& a, const auto& b) { return a.second.due < b.second.due; };
    while (!exitCode) {
      const auto next = std::min_element(timers.begin(), timers.end(), earlier);
      if (next == timers.end() || next->second.due > end) {
        now = end;
        return;
      }
      now = next->second.due;
      next->second.due += next->second.period;
      if (timerTarget) timerTarget(next->first);
    }
  }

  void post(std::function<void()> task) override {
    m_posts.change([&](Posts& posts) {
      posts.tasks.push_back(std::move(task));
      ++posts.count;
    });
  }
  std::uint32_t setTimer(std::uint32_t id, std::uint32_t periodMs) override {
    if (!timersWork) return 0;
    timers[id] = {periodMs, now + periodMs};
    return id;
  }
  void killTimer(std::uint32_t id) override { timers.erase(id); }
  void showWindow(bool show) override { visible = show; }
  bool isWindowVisible() override { return visible; }
  void setForegroundWindow() override { ++foregrounds; }
  bool addTrayIcon(std::int32_t, const std::string&) override {
    trayShown = true;
    return true;
  }
  bool removeTrayIcon() override {
    trayShown = false;
    return true;
  }
  MenuChoice trackPopupMenu(std::int32_t menuId) override {
    menusShown.push_back(menuId);
    return menuChoice;
  }
  void beginWaitCursor() override { ++waitCursors; }
  void restoreCursor() override { --waitCursors; }
  // A modal dialog opens on a fresh view that stays for the test to read.
  void runModal(DialogPresenter& dialog) override {
    modalRuns.push_back(dialog.templateId());
    modalView = std::make_unique<MemoryDialogView>();
    dialog.attach(*modalView);
    dialog.OnInitDialog();
  }
  bool runPropertySheet(AttrSheet& sheet) override {
    sheetCaptions.push_back(sheet.caption());
    return onSheet ? onSheet(sheet) : false;
  }
  std::optional<std::string> openFileDialog(const OpenFileRequest& request) override {
    fileRequests.push_back(std::string(request.filterNames[0]) + "|" + request.filterPatterns[0] + "|" +
                           request.filterNames[1] + "|" + request.filterPatterns[1] + "|" + request.defaultExtension);
    return fileChoice;
  }
  void endDialog(std::int32_t result) override { dialogResult = result; }
  void exitProcess(std::int32_t code) override { exitCode = code; }

  struct Timer {
    std::uint32_t period;
    std::uint64_t due;
  };
  std::uint64_t now = 0;
  std::map<std::uint32_t, Timer> timers;
  bool visible = true;
  int foregrounds = 0;
  bool trayShown = false;
  std::vector<std::int32_t> menusShown;
  int waitCursors = 0;
  std::vector<std::int32_t> modalRuns;
  std::unique_ptr<MemoryDialogView> modalView;
  std::vector<std::string> sheetCaptions;
  std::vector<std::string> fileRequests;
  std::optional<std::int32_t> dialogResult;
  std::optional<std::int32_t> exitCode;

 private:
  struct Posts {
    std::deque<std::function<void()>> tasks;
    std::size_t count = 0;  // ever posted
  };
  Shared<Posts> m_posts;
};

}  // namespace tavolin::testing
