#include "core/FolderLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>

FolderLock::~FolderLock() {
    Release();
}

FolderLock::Result FolderLock::Take(const QString& folder, Links links) {
    Release();
    const int flags =
        O_RDONLY | O_DIRECTORY | O_CLOEXEC | (links == Links::Refuse ? O_NOFOLLOW : 0);
    const int fd = ::open(QFile::encodeName(folder).constData(), flags);
    if (fd < 0) return Result::Unavailable;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        fd_ = fd;
        return Result::Held;
    }
    const int error = errno;
    ::close(fd);
    return error == EWOULDBLOCK ? Result::Busy : Result::Unavailable;
}

void FolderLock::Release() {
    if (fd_ < 0) return;
    ::close(fd_);  // the only descriptor: closing it drops the lock
    fd_ = -1;
}
