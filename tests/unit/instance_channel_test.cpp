// The --hide/--show channel of the Linux windowed program: only this
// user's program is reached, in a folder nobody else may enter, and what a
// connection may cost is bounded.
#include "frontend/qt/instance_channel.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "fakes/shared.h"

namespace tavolin {
namespace {

using Request = InstanceChannel::Request;

// Turns the event loop until the condition holds, at most the time given.
bool within(int ms, const std::function<bool()>& condition) {
  const auto turned = [&] { return QCoreApplication::processEvents(), condition(); };
  return testing::waitUntil(turned, std::chrono::milliseconds(ms));
}

class InstanceChannelTest : public ::testing::Test {
 protected:
  InstanceChannelTest() { qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit()); }
  ~InstanceChannelTest() override { qunsetenv("XDG_RUNTIME_DIR"); }

  bool listen() { return channel.listen([this](Request request) { received.push_back(request); }, problem); }
  // The request sent as another program sends it, while this one answers.
  bool sendFromAnother(Request request) {
    const std::size_t before = received.size();
    bool sent = false;
    std::thread other([&] {
      QString otherProblem;
      sent = InstanceChannel::send(request, otherProblem);
    });
    const bool arrived = within(3000, [&] { return received.size() > before; });
    other.join();
    return sent && arrived;
  }
  bool problemIs(const char* text) { return problem.contains(QLatin1String(text)); }

  QTemporaryDir runtime;
  InstanceChannel channel;
  std::vector<Request> received;
  QString problem;
};

// --hide and --show reach the running program of the same user; without
// one, a request says so.
TEST_F(InstanceChannelTest, CarriesRequestsToTheRunningProgram) {
  EXPECT_FALSE(InstanceChannel::send(Request::Hide, problem));
  EXPECT_EQ(problem, QStringLiteral("no Tavolin of this user runs"));
  EXPECT_TRUE(InstanceChannel::serverName(problem).startsWith(runtime.path()));
  ASSERT_TRUE(listen()) << problem.toStdString();
  EXPECT_TRUE(sendFromAnother(Request::Hide) && sendFromAnother(Request::Show));
  EXPECT_EQ(received, (std::vector<Request>{Request::Hide, Request::Show}));
}

// A folder others may enter, or one of another user, is never used; with
// no runtime folder the socket goes into a private folder of the user's.
TEST_F(InstanceChannelTest, UsesOnlyAFolderOfTheUsersAlone) {
  ::chmod(QFile::encodeName(runtime.path()).constData(), 0705);
  EXPECT_TRUE(!listen() && problemIs("is not a folder of this user's alone")) << problem.toStdString();
  problem.clear();
  EXPECT_TRUE(!InstanceChannel::send(Request::Hide, problem) && problemIs("is not a folder of this user's alone"));
  EXPECT_TRUE(QDir(runtime.path()).isEmpty());

  QTemporaryDir home;
  qunsetenv("XDG_RUNTIME_DIR");
  const QByteArray oldHome = qgetenv("HOME");
  qputenv("HOME", home.path().toLocal8Bit());
  EXPECT_EQ(InstanceChannel::serverName(problem), home.path() + QStringLiteral("/.cache/tavolin/tavolin.socket"));
  struct stat info {};
  EXPECT_EQ(::stat(QFile::encodeName(home.path() + "/.cache/tavolin").constData(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0700u);
  qputenv("HOME", oldHome);
}

// A line longer than any request, a connection that stays silent, and
// more connections than are served at once are all closed; the program
// goes on answering.
TEST_F(InstanceChannelTest, BoundsWhatAConnectionMayCost) {
  ASSERT_TRUE(listen()) << problem.toStdString();
  std::vector<std::unique_ptr<QLocalSocket>> clients(2 + 3 * InstanceChannel::kMaxConnections);
  for (auto& client : clients) {
    client = std::make_unique<QLocalSocket>();
    client->connectToServer(InstanceChannel::serverName(problem));
    client->waitForConnected(1000);
  }
  const auto closed = [&](std::size_t i) { return clients[i]->state() == QLocalSocket::UnconnectedState; };
  clients[0]->write(QByteArray(1 << 20, 'x'));
  EXPECT_TRUE(within(500, [&] { return closed(0); })) << "flooding";
  EXPECT_FALSE(closed(1)) << "silent, closed at once";
  int most = 0;
  within(300, [&] { return most = std::max(most, channel.connections()), false; });
  EXPECT_TRUE(most > 0 && most <= InstanceChannel::kMaxConnections) << most;
  EXPECT_TRUE(within(2000, [&] { return closed(1); })) << "silent";
  clients.clear();
  EXPECT_TRUE(within(3000, [&] { return channel.connections() == 0; }));
  EXPECT_TRUE(sendFromAnother(Request::Show));
}

// A socket another user listens on, however it came into the folder, is
// told nothing: the client looks at the other end before it sends.
TEST_F(InstanceChannelTest, ClientSendsOnlyToItsOwnUser) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to listen as another user";
  sockaddr_un address{AF_UNIX, {}};
  std::strncpy(address.sun_path, QFile::encodeName(InstanceChannel::serverName(problem)).constData(),
               sizeof address.sun_path - 1);
  int listening[2];
  ASSERT_EQ(::pipe(listening), 0);
  const pid_t child = fork();
  if (child == 0) {  // bound here, listening as nobody: its peer is that user; exit code 1: it was told something
    const int server = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (::bind(server, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::setgid(65534) != 0 ||
        ::setuid(65534) != 0 || ::listen(server, 1) != 0 || ::write(listening[1], "l", 1) != 1) {
      _exit(3);
    }
    pollfd wait{::accept(server, nullptr, nullptr), POLLIN, 0};
    char byte = 0;
    _exit(::poll(&wait, 1, 3000) == 1 && ::read(wait.fd, &byte, 1) == 1 ? 1 : 0);
  }
  char byte = 0;
  ASSERT_EQ(::read(listening[0], &byte, 1), 1);
  EXPECT_FALSE(InstanceChannel::send(Request::Hide, problem));
  EXPECT_TRUE(problemIs("is held by another user (65534); nothing was sent")) << problem.toStdString();
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the other user's program was told something";
}

}  // namespace
}  // namespace tavolin
