#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QLocalServer;
class QLocalSocket;

namespace tavolin {

// What another program of the same user may ask of the running Tavolin:
// "tavolin_en --hide" is the Linux counterpart of the hide message that any
// program may send to the Windows edition's window; "--show" brings the
// window back, where the desktop has no notification area to do it from.
//
// The channel is a local socket in a folder of the user's own: the runtime
// folder, else ~/.cache/tavolin; a folder another user owns or may enter is
// refused, never a shared one by a predictable name. Both ends check that
// the other runs as the same user. A request is one short line; a
// connection that sends more, or nothing for a second, is closed, and only
// a few are served at once.
class InstanceChannel : public QObject {
 public:
  enum class Request { Hide, Show };
  static constexpr int kMaxLine = 32;         // bytes of a request line, its end included
  static constexpr int kIdleMs = 1000;        // a connection lives this long at most
  static constexpr int kMaxConnections = 8;   // served at once; more are closed at once

  InstanceChannel();
  ~InstanceChannel() override;

  // The socket's path for this user, its folder made where missing; empty,
  // with the reason in problem, when the folder is not the user's alone.
  static QString serverName(QString& problem);

  // Listens for requests; they reach the handler on the user-interface
  // thread. Called by the one running instance, which may so take over the
  // socket of an instance that ended without removing it. False, with the
  // reason in problem, when the socket cannot be made.
  bool listen(std::function<void(Request)> handler, QString& problem);

  // Sends the request to the running instance; false, with the reason in
  // problem, when none of this user answers.
  static bool send(Request request, QString& problem);

  int connections() const { return m_iConnections; }

 private:
  void accept();
  void readRequests(QLocalSocket& socket);

  std::unique_ptr<QLocalServer> m_pServer;
  std::function<void(Request)> m_handler;
  int m_iConnections = 0;
};

}  // namespace tavolin
