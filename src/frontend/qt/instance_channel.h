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
// The channel is a local socket in the user's runtime folder (or a
// per-user name in the temporary folder), open to its owner only; a
// request from another user is refused.
class InstanceChannel : public QObject {
 public:
  enum class Request { Hide, Show };

  InstanceChannel();
  ~InstanceChannel() override;

  // The socket's path for this user.
  static QString serverName();

  // Listens for requests; they reach the handler on the user-interface
  // thread. Called by the one running instance, which may so take over the
  // socket of an instance that ended without removing it. False, with the
  // reason in problem, when the socket cannot be made.
  bool listen(std::function<void(Request)> handler, QString& problem);

  // Sends the request to the running instance; false, with the reason in
  // problem, when none of this user answers.
  static bool send(Request request, QString& problem);

 private:
  void accept();
  void readRequests(QLocalSocket& socket);

  std::unique_ptr<QLocalServer> m_pServer;
  std::function<void(Request)> m_handler;
};

}  // namespace tavolin
