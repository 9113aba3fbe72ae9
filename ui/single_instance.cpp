// The single-instance check: lock file, local socket, 25 tries.
#include "ui/single_instance.h"

#include <QLocalSocket>

namespace kv {
namespace {

constexpr int kRetryPauseMilliseconds = 100;
constexpr int kSocketWaitMilliseconds = 2000;
const QByteArray kComeForward = "show\n";
const QByteArray kBroughtForward = "ok\n";

QString ToQPath(const std::filesystem::path& path) { return QString::fromStdString(path.string()); }

}  // namespace

SingleInstance::SingleInstance(std::filesystem::path runFolder, QString name,
                               std::function<void(int)> pause)
    : runFolder_(std::move(runFolder)), name_(std::move(name)), pause_(std::move(pause)) {}

std::filesystem::path SingleInstance::SocketPath() const {
  return runFolder_ / (name_.toStdString() + ".socket");
}

int SingleInstance::Check(bool hide) {
  if (name_.isEmpty()) return kInstanceCheckFailed;
  const std::filesystem::path lockFile = runFolder_ / (name_.toStdString() + ".lock");
  for (int attempt = 0; attempt < kInstanceTries; ++attempt) {
    switch (lock_.Acquire(lockFile)) {
      case LockAttempt::kAcquired:
        Listen();
        return kFirstInstance;
      case LockAttempt::kWrongKind:
        return kInstanceNameTaken;
      case LockAttempt::kFailed:
        return kInstanceCheckFailed;
      case LockAttempt::kHeld:
        break;
    }
    switch (AskFirstInstance(hide)) {
      case Reply::kNobody:
        pause_(kRetryPauseMilliseconds);
        break;
      case Reply::kPresent:
      case Reply::kBroughtForward:
        return kAnotherInstance;
      case Reply::kNoAnswer:
        break;
    }
  }
  return kFirstInstance;
}

SingleInstance::Reply SingleInstance::AskFirstInstance(bool hide) const {
  QLocalSocket socket;
  socket.connectToServer(ToQPath(SocketPath()));
  if (!socket.waitForConnected(kSocketWaitMilliseconds)) return Reply::kNobody;
  if (hide) return Reply::kPresent;
  socket.write(kComeForward);
  if (!socket.waitForBytesWritten(kSocketWaitMilliseconds)) return Reply::kNoAnswer;
  while (!socket.canReadLine()) {
    if (!socket.waitForReadyRead(kSocketWaitMilliseconds)) return Reply::kNoAnswer;
  }
  return socket.readLine() == kBroughtForward ? Reply::kBroughtForward : Reply::kNoAnswer;
}

void SingleInstance::Listen() {
  // A socket file left by a first instance that crashed: the lock is ours,
  // so nobody listens on it.
  const QString path = ToQPath(SocketPath());
  QLocalServer::removeServer(path);
  if (!server_.listen(path)) return;
  QObject::connect(&server_, &QLocalServer::newConnection, &server_, [this] {
    while (QLocalSocket* connection = server_.nextPendingConnection()) Answer(connection);
  });
}

void SingleInstance::Answer(QLocalSocket* connection) {
  QObject::connect(connection, &QLocalSocket::disconnected, connection, &QObject::deleteLater);
  QObject::connect(connection, &QLocalSocket::readyRead, connection, [this, connection] {
    if (!connection->canReadLine()) return;
    if (connection->readLine() != kComeForward) return;
    if (bringForward_) bringForward_();
    connection->write(kBroughtForward);
    connection->flush();
  });
}

}  // namespace kv
