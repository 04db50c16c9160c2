#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

namespace ketrel {

// One running copy of the tray program per user: a lock file in the user's runtime directory,
// held until the process ends. A lock left by a copy that died is taken over.
class SingleInstance {
  public:
    // lockPath: empty for HDMIVardo.lock in the runtime directory.
    explicit SingleInstance(QString lockPath = {});
    ~SingleInstance();

    // True when this process now holds the lock; false when another live copy holds it.
    bool acquire();
    bool held() const { return held_; }
    const QString& lockPath() const { return path_; }

    static QString DefaultLockPath();

  private:
    QString path_;
    std::unique_ptr<QLockFile> lock_;
    bool held_ = false;
};

}  // namespace ketrel
