#include "core/WorkFolders.h"

#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "core/AppSettings.h"
#include "skin/MessageIds.h"
#include "skin/Prompter.h"

namespace {

const QLatin1String kWorkFolderName("vimbrelcastorWork");
const QLatin1String kExportFolderName("autoexport");
const QLatin1String kRunFolderPrefix("vimbrelcastorBatch-");
// A run folder is made under a hidden name and renamed once it is held, so that a run
// cleaning up never takes a folder that is being made for one of its peers.
const QLatin1String kPendingRunFolderPrefix(".vimbrelcastorBatch-");
// A pending folder that nobody holds after this long was left by a run killed while making it.
constexpr std::time_t kPendingAgeSeconds = 60;

WorkPaths PathsIn(const QString& workFolder) {
    return WorkPaths{workFolder, workFolder + QLatin1Char('/') + kExportFolderName};
}

// A real folder (not a link to one) of this user.
bool OwnFolder(const struct stat& info) {
    return S_ISDIR(info.st_mode) && info.st_uid == ::geteuid();
}

// Absent, or already a folder of this user.
bool UsableName(const QString& path) {
    struct stat info;
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0) {
        return errno == ENOENT;
    }
    return OwnFolder(info);
}

int RemoveEntry(const char* path, const struct stat*, int type, struct FTW*) {
    if (type == FTW_DP) {
        ::rmdir(path);
    } else {
        ::unlink(path);
    }
    return 0;  // a failure leaves that entry and goes on with the rest
}

// Removes folder and everything in it, on its own file system, without following a link.
void RemoveTree(const QString& folder) {
    ::nftw(QFile::encodeName(folder).constData(), RemoveEntry, 16,
           FTW_DEPTH | FTW_PHYS | FTW_MOUNT);
}

// Deletes the files of the export folder and then of the work folder (see CleanWorkFolders).
void EmptyWorkFolder(const QString& workFolder, const QString& exportFolder) {
    // A link planted in the shared temporary folder must not make us delete the files of its
    // target; the export folder lies inside the work folder, so that one is checked first.
    if (workFolder.isEmpty() || !IsPrivateFolder(workFolder)) return;
    for (const QString& folder : {exportFolder, workFolder}) {
        if (!IsPrivateFolder(folder)) continue;
        QStringList files;
        ListFolderFiles(folder, QStringLiteral("*"), files);
        for (const QString& file : files) {
            QFile::remove(file);
        }
    }
}

}  // namespace

WorkPaths ChooseWorkPaths(const QString& tempPath) {
    const QString base = QDir(tempPath).filePath(kWorkFolderName);
    if (UsableName(base)) {
        return PathsIn(base);
    }
    const QString perUser = base + QLatin1Char('-') + QString::number(::geteuid());
    if (UsableName(perUser)) {
        return PathsIn(perUser);
    }
    QByteArray pattern = QFile::encodeName(base + QLatin1String("-XXXXXX"));
    if (::mkdtemp(pattern.data()) != nullptr) {
        return PathsIn(QFile::decodeName(pattern));
    }
    // Nothing usable: the loader's own check refuses to write into it.
    return PathsIn(base);
}

bool EnsurePrivateFolder(const QString& path, QString* why) {
    const QByteArray native = QFile::encodeName(path);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST) {
        if (why) *why = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    struct stat info;
    if (::lstat(native.constData(), &info) != 0) {
        if (why) *why = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    if (!OwnFolder(info)) {
        if (why) {
            *why = S_ISDIR(info.st_mode) ? QStringLiteral("owned by another user")
                                         : QStringLiteral("not a folder");
        }
        return false;
    }
    if ((info.st_mode & 07777) != 0700 && ::chmod(native.constData(), 0700) != 0) {
        if (why) *why = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    return true;
}

bool ListFolderFiles(const QString& folder, const QString& extension, QStringList& list) {
    const QFileInfo folderInfo(folder);
    if (!folderInfo.isDir() || folderInfo.fileName().startsWith(QLatin1Char('.'))) {
        return true;
    }
    const QDir dir(folder);
    const QStringList names =
        dir.entryList(QDir::Files | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    const QString suffix = QLatin1Char('.') + extension;
    for (const QString& name : names) {
        if (name.startsWith(QLatin1Char('.'))) continue;
        if (extension != QLatin1String("*") && !name.endsWith(suffix, Qt::CaseInsensitive)) {
            continue;
        }
        list.append(dir.filePath(name));
    }
    return true;
}

bool IsPrivateFolder(const QString& path) {
    struct stat info;
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && OwnFolder(info);
}

void CleanWorkFolders(const AppSettings& settings) {
    EmptyWorkFolder(settings.workFolder, settings.autoExportFolder);
}

RunWorkFolder::RunWorkFolder(const QString& tempPath) {
    QByteArray pending = QFile::encodeName(QDir(tempPath).filePath(kPendingRunFolderPrefix) +
                                           QLatin1String("XXXXXX"));
    if (::mkdtemp(pending.data()) == nullptr) return;
    const QString pendingPath = QFile::decodeName(pending);
    const QString suffix = pendingPath.mid(pendingPath.lastIndexOf(u'-') + 1);
    const QString finalPath = QDir(tempPath).filePath(kRunFolderPrefix + suffix);
    if (hold_.Take(pendingPath, FolderLock::Links::Refuse) != FolderLock::Result::Held ||
        ::renameat2(AT_FDCWD, pending.constData(), AT_FDCWD,
                    QFile::encodeName(finalPath).constData(), RENAME_NOREPLACE) != 0) {
        RemoveTree(pendingPath);
        hold_.Release();
        return;
    }
    path_ = finalPath;
}

RunWorkFolder::~RunWorkFolder() {
    if (!path_.isEmpty()) RemoveTree(path_);
}

void RemoveStaleWorkFolders(const QString& tempPath) {
    const QDir temp(tempPath);
    const QStringList names =
        temp.entryList(QDir::Dirs | QDir::Hidden | QDir::NoSymLinks | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        const bool window = name == kWorkFolderName || name.startsWith(kWorkFolderName + u'-');
        const bool run = name.startsWith(kRunFolderPrefix);
        const bool pending = name.startsWith(kPendingRunFolderPrefix);
        if (!window && !run && !pending) continue;
        const QString folder = temp.filePath(name);
        struct stat info;
        if (::lstat(QFile::encodeName(folder).constData(), &info) != 0 || !OwnFolder(info)) {
            continue;
        }
        if (pending && std::time(nullptr) - info.st_mtime < kPendingAgeSeconds) continue;
        FolderLock hold;
        if (hold.Take(folder, FolderLock::Links::Refuse) != FolderLock::Result::Held) {
            continue;  // a live process of ours works in it
        }
        if (window) {
            EmptyWorkFolder(folder, PathsIn(folder).autoExportFolder);
        } else {
            RemoveTree(folder);
        }
    }
}

WorkSpace::WorkSpace(QString tempPath, FreeBytesProbe probe)
    : tempPath_(std::move(tempPath)), probe_(std::move(probe)) {}

quint64 WorkSpace::FreeBytesOfTempDrive() const {
    if (probe_) return probe_();
    const QStorageInfo storage(tempPath_);
    if (!storage.isValid()) return 0;
    const qint64 available = storage.bytesAvailable();
    return available > 0 ? quint64(available) : 0;
}

QString WorkSpace::TempDrive() const {
    const QStorageInfo storage(tempPath_);
    return storage.isValid() ? storage.rootPath() : tempPath_;
}

bool WorkSpace::CheckWorkSpace(Prompter& prompter) const {
    if (FreeBytesOfTempDrive() >= kWorkSpaceThreshold) {
        return true;
    }
    prompter.Info(msg::NotEnoughSpace, TempDrive());
    return false;
}
