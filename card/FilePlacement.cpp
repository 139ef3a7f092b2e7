#include "card/FilePlacement.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <cerrno>
#include <cstdio>
#include <cstring>

QString WriteTemporaryFile(const QString& folder, const QByteArray& bytes,
                           const QDateTime& modified) {
    for (int attempt = 0; attempt < 16; ++attempt) {
        const QString path =
            QDir(folder).filePath(QLatin1String(kTemporaryPrefix) +
                                  QStringLiteral("%1").arg(QRandomGenerator::global()->generate64(),
                                                           16, 16, QLatin1Char('0')) +
                                  QLatin1String(kTemporarySuffix));
        const QByteArray native = QFile::encodeName(path);
        // 0666 before the umask: the file gets the permissions any new file of the user gets.
        const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            return QString();
        }
        qsizetype done = 0;
        bool ok = true;
        while (ok && done < bytes.size()) {
            const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
            if (n < 0 && errno == EINTR) continue;
            ok = n > 0;
            if (ok) done += n;
        }
        if (ok && modified.isValid()) {
            const timespec time{modified.toSecsSinceEpoch(), 0};
            const timespec times[2] = {time, time};
            ok = ::futimens(fd, times) == 0;
        }
        // A full card may report itself only when the data is flushed; the time is part of
        // what a device sorts by, so the file's entry is flushed with it.
        ok = ok && ::fsync(fd) == 0;
        ok = ::close(fd) == 0 && ok;
        if (!ok) {
            ::unlink(native.constData());
            return QString();
        }
        return path;
    }
    return QString();
}

int RemoveLeftoverTemporaries(const QString& folder) {
    DIR* dir = ::opendir(QFile::encodeName(folder).constData());
    if (dir == nullptr) return 0;
    const int dirFd = ::dirfd(dir);
    const size_t prefix = std::strlen(kTemporaryPrefix);
    const size_t suffix = std::strlen(kTemporarySuffix);
    int removed = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const char* name = entry->d_name;
        const size_t length = std::strlen(name);
        if (length <= prefix + suffix || std::strncmp(name, kTemporaryPrefix, prefix) != 0 ||
            std::strcmp(name + length - suffix, kTemporarySuffix) != 0) {
            continue;
        }
        // A folder or a link of such a name is not ours.
        struct stat info {};
        if (::fstatat(dirFd, name, &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(info.st_mode)) {
            continue;
        }
        if (::unlinkat(dirFd, name, 0) == 0) ++removed;
    }
    ::closedir(dir);
    return removed;
}

namespace {

Placement Rename(const QString& from, const QString& to, bool replace) {
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    if (replace)
        return ::rename(source.constData(), target.constData()) == 0 ? Placement::Done
                                                                     : Placement::Failed;
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) ==
        0) {
        return Placement::Done;
    }
    if (errno == EEXIST) return Placement::Taken;
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return Placement::Failed;
    return MoveIntoPlaceWithoutFlag(from, to);
}

}  // namespace

Placement MoveIntoPlace(const QString& from, const QString& to, bool replace) {
    struct stat before {};
    const bool known = ::lstat(QFile::encodeName(from).constData(), &before) == 0;
    const Placement placed = Rename(from, to, replace);
    if (placed != Placement::Done || !known) return placed;
    // Some FAT drivers give a renamed entry the time of the rename; a device sorting by file
    // time must see the time the file was given.
    const QByteArray target = QFile::encodeName(to);
    struct stat after {};
    if (::lstat(target.constData(), &after) == 0 &&
        (after.st_mtim.tv_sec != before.st_mtim.tv_sec ||
         after.st_mtim.tv_nsec != before.st_mtim.tv_nsec)) {
        const timespec times[2] = {before.st_atim, before.st_mtim};
        ::utimensat(AT_FDCWD, target.constData(), times, AT_SYMLINK_NOFOLLOW);
    }
    return placed;
}

Placement MoveIntoPlaceWithoutFlag(const QString& from, const QString& to) {
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    // A new link fails on a taken name just as the flag would.
    if (::link(source.constData(), target.constData()) == 0) {
        ::unlink(source.constData());
        return Placement::Done;
    }
    if (errno == EEXIST) return Placement::Taken;
    if (errno != EPERM && errno != EOPNOTSUPP && errno != ENOSYS) return Placement::Failed;
    // FAT has no links either.
    struct stat info {};
    if (::lstat(target.constData(), &info) == 0) return Placement::Taken;
    if (errno != ENOENT) return Placement::Failed;
    return ::rename(source.constData(), target.constData()) == 0 ? Placement::Done
                                                                 : Placement::Failed;
}
