#include "frontend/qt/instance_channel.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>

namespace tavolin {

namespace {

constexpr int kTimeoutMs = 2000;
constexpr char kAnswer[] = "done\n";

QByteArray word(InstanceChannel::Request request) {
  return request == InstanceChannel::Request::Hide ? QByteArrayLiteral("hide\n") : QByteArrayLiteral("show\n");
}

// The user id of the program at the other end; -1 when it cannot be had.
long peerUser(const QLocalSocket& socket) {
  ucred peer{};
  socklen_t size = sizeof peer;
  if (getsockopt(static_cast<int>(socket.socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0) return -1;
  return static_cast<long>(peer.uid);
}

// The folder of the socket: the runtime folder, else the user's cache
// folder, made with mode 0700 where missing. Either must be a folder (not
// a link) of this user that nobody else may enter.
QString privateFolder(QString& problem) {
  QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (folder.isEmpty()) {
    const QString cache = qEnvironmentVariable("XDG_CACHE_HOME");
    folder = (cache.isEmpty() ? QDir::homePath() + QStringLiteral("/.cache") : cache) + QStringLiteral("/tavolin");
    QDir().mkpath(QFileInfo(folder).path());
    ::mkdir(QFile::encodeName(folder).constData(), 0700);
  }
  struct stat info {};
  if (::lstat(QFile::encodeName(folder).constData(), &info) != 0) {
    problem = folder + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
    return {};
  }
  if (!S_ISDIR(info.st_mode) || info.st_uid != ::getuid() || (info.st_mode & 077) != 0) {
    problem = QStringLiteral("%1 is not a folder of this user's alone (owner %2, mode %3); it is not used")
                  .arg(folder)
                  .arg(info.st_uid)
                  .arg(info.st_mode & 07777, 4, 8, QLatin1Char('0'));
    return {};
  }
  return folder;
}

void close(QLocalSocket& socket) {
  socket.abort();
  socket.deleteLater();
}

}  // namespace

InstanceChannel::InstanceChannel() = default;

InstanceChannel::~InstanceChannel() = default;

QString InstanceChannel::serverName(QString& problem) {
  const QString folder = privateFolder(problem);
  return folder.isEmpty() ? QString() : QDir(folder).filePath(QStringLiteral("tavolin.socket"));
}

bool InstanceChannel::listen(std::function<void(Request)> handler, QString& problem) {
  const QString name = serverName(problem);
  if (name.isEmpty()) return false;
  m_handler = std::move(handler);
  m_pServer = std::make_unique<QLocalServer>();
  m_pServer->setSocketOptions(QLocalServer::UserAccessOption);
  m_pServer->setMaxPendingConnections(kMaxConnections);
  QLocalServer::removeServer(name);
  if (!m_pServer->listen(name)) {
    problem = name + QStringLiteral(": ") + m_pServer->errorString();
    m_pServer.reset();
    return false;
  }
  connect(m_pServer.get(), &QLocalServer::newConnection, this, &InstanceChannel::accept);
  return true;
}

void InstanceChannel::accept() {
  while (QLocalSocket* socket = m_pServer->nextPendingConnection()) {
    if (m_iConnections >= kMaxConnections || peerUser(*socket) != static_cast<long>(::getuid())) {
      close(*socket);
      continue;
    }
    ++m_iConnections;
    // Qt reads no more from the socket than this: a long line costs nothing.
    socket->setReadBufferSize(kMaxLine);
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QObject::destroyed, this, [this] { --m_iConnections; });
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readRequests(*socket); });
    QTimer::singleShot(kIdleMs, socket, [socket] { close(*socket); });
    readRequests(*socket);
  }
}

// Each request is answered once it has been carried out.
void InstanceChannel::readRequests(QLocalSocket& socket) {
  while (socket.canReadLine()) {
    const QByteArray line = socket.readLine(kMaxLine + 1);
    for (Request request : {Request::Hide, Request::Show}) {
      if (line != word(request)) continue;
      m_handler(request);
      socket.write(kAnswer);
      socket.flush();
    }
  }
  if (socket.bytesAvailable() >= kMaxLine) close(socket);  // no request is that long
}

bool InstanceChannel::send(Request request, QString& problem) {
  const QString name = serverName(problem);
  if (name.isEmpty()) return false;
  if (!QFileInfo::exists(name)) {
    problem = QStringLiteral("no Tavolin of this user runs");
    return false;
  }
  QLocalSocket socket;
  socket.connectToServer(name);
  if (!socket.waitForConnected(kTimeoutMs)) {
    problem = QStringLiteral("no Tavolin of this user runs (%1)").arg(socket.errorString());
    return false;
  }
  if (const long owner = peerUser(socket); owner != static_cast<long>(::getuid())) {
    problem = QStringLiteral("%1 is held by another user (%2); nothing was sent").arg(name).arg(owner);
    return false;
  }
  socket.write(word(request));
  while (!socket.canReadLine()) {
    if (!socket.waitForReadyRead(kTimeoutMs)) {
      problem = QStringLiteral("the running Tavolin did not take the request");
      return false;
    }
  }
  const bool done = socket.readLine(kMaxLine + 1) == kAnswer;
  socket.disconnectFromServer();
  if (!done) problem = QStringLiteral("the running Tavolin did not take the request");
  return done;
}

}  // namespace tavolin
