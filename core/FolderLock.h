#pragma once

#include <QString>

// An exclusive advisory lock on a folder: flock on the folder itself, so nothing is written
// for it, and the system drops it when the process ends, however it ends (a kill -9 too). A
// batch run's work folder is held for its life, so that a folder of ours that nobody holds is
// known for a leftover; a convert run holds the card folder it writes, so that two runs never
// take each other's numbers. Any thread; one object per lock.
class FolderLock {
public:
    enum class Result {
        Held,         // this object holds the folder
        Busy,         // another holder (of this or another process) has it
        Unavailable,  // the folder cannot be opened, or its file system has no locks
    };
    // Whether a symbolic link is followed to the folder it names: a folder of ours in the
    // shared temporary folder is never taken through a link that someone else may have put there.
    enum class Links { Follow, Refuse };

    FolderLock() = default;
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    // Tries once, without waiting; releases what this object held before.
    Result Take(const QString& folder, Links links = Links::Follow);
    void Release();
    bool held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};
