#pragma once

#include <QObject>
#include <functional>
#include <memory>

class QSocketNotifier;

namespace tavolin {

// What ends the windowed program from outside, as a close request ends the
// main window on Windows: the end of the desktop session (the session
// manager tells Qt, which sends the application its Quit event) and the
// signals SIGTERM, SIGINT and SIGHUP (a SIGHUP ignored on purpose, as by
// nohup, stays ignored). The end runs on the user-interface thread, as
// ordinary code; the signal handler only wakes the event loop.
//
// The session manager is also told not to start the program again with
// the next session: its autostart entry does, and a second instance would
// only say that one runs.
class EndRequests final : public QObject {
 public:
  explicit EndRequests(std::function<void()> onEnd);
  ~EndRequests() override;
  EndRequests(const EndRequests&) = delete;
  EndRequests& operator=(const EndRequests&) = delete;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void signalled();

  std::function<void()> m_onEnd;
  std::unique_ptr<QSocketNotifier> m_pNotifier;
};

}  // namespace tavolin
