#pragma once

#include <QLockFile>
#include <QString>
#include <functional>
#include <memory>

class QLocalServer;

namespace ketrel {

// One running copy of the tray program per user: a lock file in the user's runtime directory,
// held until the process ends. A lock left by a copy that died is taken over. Beside the lock,
// the holder listens on a local socket, so that a second start can ask it to show its window.
class SingleInstance {
  public:
    // lockPath: empty for HDMIVardo.lock in the runtime directory.
    explicit SingleInstance(QString lockPath = {});
    ~SingleInstance();

    // True when this process now holds the lock; false when another live copy holds it.
    bool acquire();
    bool held() const { return held_; }
    const QString& lockPath() const { return path_; }

    // The holder: calls onWake (on this thread's event loop) each time another start asks.
    bool listen(std::function<void()> onWake);
    // Another copy: asks the holder to show itself; false when nobody listened.
    bool wakeHolder() const;
    QString socketPath() const { return path_ + ".socket"; }

    static QString DefaultLockPath();

  private:
    QString path_;
    std::unique_ptr<QLockFile> lock_;
    bool held_ = false;
    std::unique_ptr<QLocalServer> server_;
};

}  // namespace ketrel
