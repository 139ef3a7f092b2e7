#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

// The per-user lock that lets one instance of the program run at a time. A lock left behind
// by an instance that crashed is taken over, because its process no longer exists. Held by
// the start-up routine from the lock check to the end of the run. GUI thread.
class SingleInstance {
public:
    // The lock file of this user: in the runtime folder when there is one, else in the
    // temporary folder with the user id in its name.
    static QString DefaultLockPath();

    explicit SingleInstance(QString lockPath = DefaultLockPath());
    ~SingleInstance();

    // True when this instance now holds the lock; false while another instance runs.
    bool Acquire();
    void Release();
    bool held() const { return held_; }

private:
    QLockFile lock_;
    bool held_ = false;
};
