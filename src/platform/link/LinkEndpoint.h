#pragma once

#include <QObject>
#include <QString>
#include <memory>
#include <vector>

class QSocketNotifier;
class QTimer;

namespace qm::link {

class LinkSender;

// The receiving end of the host link: a Unix stream socket "<dir>/<handle>"
// that accepts any number of connections, each carrying any number of
// messages. Every complete message is handed to messageReceived synchronously,
// and only after the receivers have returned is the 0x06 answer written, so
// the sender knows that the message has been acted upon.
//
// A sender may write many messages before it reads any answer. Answers its
// socket cannot take yet are owed and written as it reads; one that takes
// none of them for as long as a sender waits for an answer is given up.
//
// Connect to messageReceived directly (same thread, the default for objects
// living where the endpoint lives): a queued receiver would act after the
// answer and break that promise.
class LinkEndpoint : public QObject {
  Q_OBJECT

 public:
  explicit LinkEndpoint(QObject* parent = nullptr);
  ~LinkEndpoint() override;

  // Folder to listen in; empty (the default) means LinkDirectory().
  void setDirectory(const QString& dir) { dir_ = dir; }
  QString directory() const { return dir_; }

  // Listens on "<dir>/<handle>". A socket file left behind by a dead process
  // is replaced; one that still answers belongs to a live endpoint and is left
  // alone (false). A refused folder gives false as well.
  bool listen(qint32 handle);
  // Listens on this process's id as the handle, or, should that endpoint be
  // held by a live peer (another program of ours in the same process tree, a
  // test), on a number derived from it above the range of process ids, so it
  // can collide with no other process. False when none could be taken.
  bool listenAtProcessHandle();
  // Stops listening, drops every connection and removes the socket file.
  void close();

  bool isListening() const { return listenFd_ >= 0; }
  qint32 handle() const { return handle_; }
  QString socketPath() const { return path_; }
  QString errorString() const { return error_; }
  int connectionCount() const { return static_cast<int>(connections_.size()); }
  // How often taking a waiting connection failed for want of descriptors or
  // memory; a diagnostic of how hard the endpoint tried.
  quint64 failedAccepts() const { return failedAccepts_; }

 Q_SIGNALS:
  void messageReceived(const QString& text);

 private:
  friend class LinkSender;
  struct Connection;
  // One descriptor a waiting sender should watch for us, and for what (poll
  // events); `conn` is null for the listening socket. Holding the pointer
  // keeps a connection that is dropped meanwhile from being confused with a
  // new one on the same number.
  struct Watch {
    int fd;
    short events;
    std::shared_ptr<Connection> conn;
  };
  void collectWatches(std::vector<Watch>& out) const;
  void serve(const Watch& w, short revents);

  void acceptPending();
  void pauseAccepting();
  void resumeAccepting();
  void serveConnection(const std::shared_ptr<Connection>& c);
  bool writeAnswers(const std::shared_ptr<Connection>& c);
  void dropConnection(const std::shared_ptr<Connection>& c);

  QString dir_;
  QString path_;
  QString error_;
  qint32 handle_ = 0;
  int listenFd_ = -1;
  quint64 failedAccepts_ = 0;
  quint64 socketDev_ = 0;
  quint64 socketIno_ = 0;
  QSocketNotifier* listenNotifier_ = nullptr;
  // Taking connections pauses while descriptors are short, for a time that
  // grows while the shortage lasts.
  QTimer* acceptRetry_ = nullptr;
  int acceptPauseMs_ = 0;
  std::vector<std::shared_ptr<Connection>> connections_;
  qint64 released_ = 0;  // pending bytes of connections dropped since the last release
};

}  // namespace qm::link
