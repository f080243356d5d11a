#include "frontend/qt/instance_channel.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>

namespace tavolin {

namespace {

constexpr int kTimeoutMs = 2000;
constexpr char kAnswer[] = "done\n";

QByteArray word(InstanceChannel::Request request) {
  return request == InstanceChannel::Request::Hide ? QByteArrayLiteral("hide\n") : QByteArrayLiteral("show\n");
}

// Whether the program at the other end runs as this user.
bool sameUser(const QLocalSocket& socket) {
  ucred peer{};
  socklen_t size = sizeof peer;
  return getsockopt(static_cast<int>(socket.socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 &&
         peer.uid == getuid();
}

}  // namespace

InstanceChannel::InstanceChannel() = default;

InstanceChannel::~InstanceChannel() = default;

QString InstanceChannel::serverName() {
  const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (!runtime.isEmpty() && QFileInfo(runtime).isDir()) return QDir(runtime).filePath(QStringLiteral("tavolin.socket"));
  return QDir(QDir::tempPath()).filePath(QStringLiteral("tavolin-%1.socket").arg(getuid()));
}

bool InstanceChannel::listen(std::function<void(Request)> handler, QString& problem) {
  m_handler = std::move(handler);
  m_pServer = std::make_unique<QLocalServer>();
  m_pServer->setSocketOptions(QLocalServer::UserAccessOption);
  const QString name = serverName();
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
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    if (!sameUser(*socket)) {
      socket->disconnectFromServer();
      continue;
    }
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readRequests(*socket); });
    readRequests(*socket);
  }
}

// Each request is answered once it has been carried out.
void InstanceChannel::readRequests(QLocalSocket& socket) {
  while (socket.canReadLine()) {
    const QByteArray line = socket.readLine();
    for (Request request : {Request::Hide, Request::Show}) {
      if (line != word(request)) continue;
      m_handler(request);
      socket.write(kAnswer);
    }
  }
}

bool InstanceChannel::send(Request request, QString& problem) {
  QLocalSocket socket;
  socket.connectToServer(serverName());
  if (!socket.waitForConnected(kTimeoutMs)) {
    problem = socket.errorString();
    return false;
  }
  socket.write(word(request));
  while (!socket.canReadLine()) {
    if (!socket.waitForReadyRead(kTimeoutMs)) {
      problem = QStringLiteral("the running Tavolin did not take the request");
      return false;
    }
  }
  socket.disconnectFromServer();
  return socket.readLine() == kAnswer;
}

}  // namespace tavolin
