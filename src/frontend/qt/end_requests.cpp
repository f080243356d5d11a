#include "frontend/qt/end_requests.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>
#include <array>
#include <cerrno>

namespace tavolin {

namespace {

constexpr std::array<int, 3> kEndSignals = {SIGTERM, SIGINT, SIGHUP};

// The pipe from the handler to the event loop; one EndRequests at a time.
int g_wakeRead = -1;
int g_wakeWrite = -1;
struct sigaction g_previous[kEndSignals.size()];

extern "C" void wakeOnSignal(int) {
  const int saved = errno;
  const char byte = 1;
  // A full pipe has a wake-up waiting already.
  [[maybe_unused]] const ssize_t written = ::write(g_wakeWrite, &byte, 1);
  errno = saved;
}

void neverRestart(QSessionManager& session) { session.setRestartHint(QSessionManager::RestartNever); }

}  // namespace

EndRequests::EndRequests(std::function<void()> onEnd) : m_onEnd(std::move(onEnd)) {
  qApp->installEventFilter(this);
  connect(qApp, &QGuiApplication::commitDataRequest, this, neverRestart);
  connect(qApp, &QGuiApplication::saveStateRequest, this, neverRestart);

  int fds[2];
  if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) return;
  g_wakeRead = fds[0];
  g_wakeWrite = fds[1];
  m_pNotifier = std::make_unique<QSocketNotifier>(g_wakeRead, QSocketNotifier::Read);
  connect(m_pNotifier.get(), &QSocketNotifier::activated, this, &EndRequests::signalled);
  for (std::size_t i = 0; i < kEndSignals.size(); ++i) {
    sigaction(kEndSignals[i], nullptr, &g_previous[i]);
    // An ignored hang-up (nohup) stays ignored.
    if (kEndSignals[i] == SIGHUP && g_previous[i].sa_handler == SIG_IGN) continue;
    struct sigaction wake {};
    wake.sa_handler = wakeOnSignal;
    sigemptyset(&wake.sa_mask);
    wake.sa_flags = SA_RESTART;
    sigaction(kEndSignals[i], &wake, nullptr);
  }
}

EndRequests::~EndRequests() {
  if (!m_pNotifier) return;
  for (std::size_t i = 0; i < kEndSignals.size(); ++i) sigaction(kEndSignals[i], &g_previous[i], nullptr);
  m_pNotifier.reset();
  ::close(g_wakeRead);
  ::close(g_wakeWrite);
  g_wakeRead = g_wakeWrite = -1;
}

// Qt's own answer to Quit would be to close every window, which for the
// main window means going into the tray; the program ends instead.
bool EndRequests::eventFilter(QObject* watched, QEvent* event) {
  if (watched == qApp && event->type() == QEvent::Quit) {
    m_onEnd();
    return true;
  }
  return QObject::eventFilter(watched, event);
}

void EndRequests::signalled() {
  char bytes[16];
  while (::read(g_wakeRead, bytes, sizeof bytes) > 0) {
  }
  m_onEnd();
}

}  // namespace tavolin
