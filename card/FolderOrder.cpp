#include "card/FolderOrder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QStorageInfo>
#include <algorithm>
#include <limits>

#include "card/DcfNumbering.h"
#include "card/FilePlacement.h"
#include "core/FolderLock.h"

namespace {

bool IsRealFolder(const QString& path) {
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

// By number, then by name: the order the numbers promise.
void SortByNumber(QStringList& names) {
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int na = DcfNumberOfName(a).value_or(0);
        const int nb = DcfNumberOfName(b).value_or(0);
        return na != nb ? na < nb : a < b;
    });
}

// Moves each name from one folder into the other, calling back after each move. False at the
// first that cannot be moved: it and the rest stay where they are.
bool MoveAll(const QStringList& names, const QString& from, const QString& to, int& moves,
             const std::function<void(int)>& afterMove) {
    for (const QString& name : names) {
        if (MoveIntoPlace(QDir(from).filePath(name), QDir(to).filePath(name), false) !=
            Placement::Done) {
            return false;
        }
        ++moves;
        if (afterMove) afterMove(moves);
    }
    return true;
}

// Moves the numbered files of folder's order folder back in ascending order and removes the
// order folder when it is empty. A name taken meanwhile keeps its file in the order folder:
// nothing is replaced. False when a file stayed there.
bool ReturnFromOrderFolder(const QString& folder) {
    const QString order = QDir(folder).filePath(QLatin1String(kOrderFolder));
    const QStringList names = NumberedFilesByNumber(order);
    bool ok = true;
    for (const QString& name : names) {
        if (MoveIntoPlace(QDir(order).filePath(name), QDir(folder).filePath(name), false) !=
            Placement::Done) {
            ok = false;
        }
    }
    QDir(folder).rmdir(QLatin1String(kOrderFolder));
    return ok;
}

}  // namespace

QDateTime FirstRunTime(const QString& folder, int count, const QDateTime& start) {
    qint64 first = start.toSecsSinceEpoch() - qint64(kRunTimeStep) * count;
    const QDir dir(folder);
    for (const QString& name :
         dir.entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
        if (!DcfNumberOfName(name)) continue;
        struct stat info {};
        if (::lstat(QFile::encodeName(dir.filePath(name)).constData(), &info) != 0 ||
            !S_ISREG(info.st_mode)) {
            continue;
        }
        first = std::max(first, qint64(info.st_mtim.tv_sec) + kRunTimeStep);
    }
    if (first % 2 != 0) ++first;
    return QDateTime::fromSecsSinceEpoch(first);
}

bool HasSlotOrder(const QString& folder) {
    // exfat-fuse and ntfs-3g both show as fuseblk; NTFS keeps its directories sorted by name,
    // so a restore there never finds anything to do.
    static const QByteArray kTypes[] = {"vfat",    "msdos",        "exfat",
                                        "fuseblk", "fuse.fusefat", "fuse.exfat"};
    const QByteArray type = QStorageInfo(folder).fileSystemType();
    return std::find(std::begin(kTypes), std::end(kTypes), type) != std::end(kTypes);
}

QStringList NumberedFilesInDirectoryOrder(const QString& folder) {
    QStringList names;
    DIR* dir = ::opendir(QFile::encodeName(folder).constData());
    if (dir == nullptr) return names;
    while (const dirent* entry = ::readdir(dir)) {
        const QString name = QFile::decodeName(entry->d_name);
        if (!DcfNumberOfName(name)) continue;
        struct stat info {};
        if (::fstatat(::dirfd(dir), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(info.st_mode)) {
            names.append(name);
        }
    }
    ::closedir(dir);
    return names;
}

QStringList NumberedFilesByNumber(const QString& folder) {
    QStringList names = NumberedFilesInDirectoryOrder(folder);
    SortByNumber(names);
    return names;
}

bool RestoreDirectoryOrder(const QString& folder, const std::function<void(int)>& afterMove) {
    const QString order = QDir(folder).filePath(QLatin1String(kOrderFolder));
    int moves = 0;
    // Each round must put the first misplaced file nearer the front. A file system whose
    // listing does not follow its slots within one mount (exfat-fuse lists new names first)
    // cannot show the result: the files were given their slots in order, and that is all.
    qsizetype limit = std::numeric_limits<qsizetype>::max();
    for (;;) {
        const QStringList listed = NumberedFilesInDirectoryOrder(folder);
        QStringList sorted = listed;
        SortByNumber(sorted);
        qsizetype first = 0;
        while (first < listed.size() && listed[first] == sorted[first]) ++first;
        if (first == listed.size() || first >= limit) break;
        limit = first;
        if (!IsRealFolder(order) && !QDir(folder).mkdir(QLatin1String(kOrderFolder))) return false;
        // Out in the order they stand, back in the order of their numbers: a freed slot takes
        // the first name that comes, so the names come in ascending order.
        const QStringList out = listed.mid(first);
        if (!MoveAll(out, folder, order, moves, afterMove)) {
            ReturnFromOrderFolder(folder);
            return false;
        }
        if (!MoveAll(sorted.mid(first), order, folder, moves, afterMove)) return false;
        QDir(folder).rmdir(QLatin1String(kOrderFolder));
    }
    if (moves > 0) SyncFolder(folder);
    return true;
}

bool CompleteInterruptedRestore(const QString& folder) {
    const QString order = QDir(folder).filePath(QLatin1String(kOrderFolder));
    if (!IsRealFolder(order)) return true;
    bool ok = ReturnFromOrderFolder(folder);
    if (HasSlotOrder(folder)) ok = RestoreDirectoryOrder(folder) && ok;
    SyncFolder(folder);
    return ok;
}

bool SyncFolder(const QString& folder) {
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    // The folder's entries, then whatever else of the card is still in memory: on FAT a
    // renamed file's time lives in its entry and reaches the card when its inode is written.
    const bool synced = ::fsync(fd) == 0 && ::syncfs(fd) == 0;
    ::close(fd);
    return synced;
}

void TidyCardFolders(const QString& drive, const QString& except) {
    const QString dcim = QDir(drive).filePath(QLatin1String(dcf::kDcimFolder));
    if (!IsRealFolder(dcim)) return;  // a link could lead anywhere: nothing there is ours
    const QString held = QDir(except).canonicalPath();
    for (const QString& name : QDir(dcim).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString folder = QDir(dcim).filePath(name);
        const bool numbered =
            name.size() >= 3 && name[0].isDigit() && name[1].isDigit() && name[2].isDigit();
        if (!numbered || !IsRealFolder(folder) || QDir(folder).canonicalPath() == held) {
            continue;
        }
        FolderLock lock;
        if (lock.Take(folder) != FolderLock::Result::Held) continue;
        RemoveLeftoverTemporaries(folder);
        CompleteInterruptedRestore(folder);
    }
}
