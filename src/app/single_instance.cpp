#include "single_instance.h"

#include <QDir>
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

}  // namespace ketrel
