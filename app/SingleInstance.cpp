#include "app/SingleInstance.h"

#include <unistd.h>

#include <QDir>
#include <QStandardPaths>

QString SingleInstance::DefaultLockPath() {
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtime.isEmpty() && QDir(runtime).exists()) {
        return QDir(runtime).filePath(QStringLiteral("vimbrelcastor.lock"));
    }
    return QDir(QDir::tempPath())
        .filePath(QStringLiteral("vimbrelcastor-%1.lock").arg(::geteuid()));
}

SingleInstance::SingleInstance(QString lockPath) : lock_(lockPath) {
    // Only a dead owner makes a lock stale, never its age: a run may last days.
    lock_.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() {
    Release();
}

bool SingleInstance::Acquire() {
    if (!held_) held_ = lock_.tryLock(0);
    return held_;
}

void SingleInstance::Release() {
    if (held_) lock_.unlock();
    held_ = false;
}
