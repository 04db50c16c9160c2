#include "app/single_instance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <cstdlib>

namespace ketrel {

QString SingleInstance::DefaultLockPath() {
    QString dir = QString::fromLocal8Bit(std::getenv("XDG_RUNTIME_DIR"));
    if (dir.isEmpty() || !QDir(dir).exists()) {
        dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    }
    if (dir.isEmpty()) dir = QDir::tempPath();
    return QDir(dir).filePath("HDMIVardo.lock");
}

SingleInstance::SingleInstance(QString lockPath)
    : path_(lockPath.isEmpty() ? DefaultLockPath() : std::move(lockPath)) {}

SingleInstance::~SingleInstance() {
    server_.reset();
    if (lock_ && held_) lock_->unlock();
}

bool SingleInstance::acquire() {
    if (held_) return true;
    lock_ = std::make_unique<QLockFile>(path_);
    // Only a lock whose process is gone is stale; a long-running first copy keeps its lock
    // however old it is.
    lock_->setStaleLockTime(0);
    held_ = lock_->tryLock(0);
    return held_;
}

bool SingleInstance::listen(std::function<void()> onWake) {
    if (!held_) return false;
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    // A socket left by a copy that died is ours to replace: we hold the lock.
    QLocalServer::removeServer(socketPath());
    if (!server_->listen(socketPath())) return false;
    QObject::connect(server_.get(), &QLocalServer::newConnection, server_.get(),
                     [server = server_.get(), onWake = std::move(onWake)] {
                         while (QLocalSocket* socket = server->nextPendingConnection()) {
                             // Whatever it says, a connection is a request to show the window.
                             QObject::connect(socket, &QLocalSocket::disconnected, socket,
                                              &QObject::deleteLater);
                             onWake();
                         }
                     });
    return true;
}

bool SingleInstance::wakeHolder() const {
    QLocalSocket socket;
    socket.connectToServer(socketPath());
    if (!socket.waitForConnected(1000)) return false;
    socket.write("show\n");
    socket.waitForBytesWritten(1000);
    socket.disconnectFromServer();
    return true;
}

}  // namespace ketrel
