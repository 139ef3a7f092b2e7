#include "core/WorkFolders.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <cerrno>
#include <cstring>

#include "core/AppSettings.h"
#include "skin/MessageIds.h"
#include "skin/Prompter.h"

namespace {

const QLatin1String kWorkFolderName("vimbrelcastorWork");
const QLatin1String kExportFolderName("autoexport");

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
    // A link planted in the shared temporary folder must not make us delete the files of its
    // target; the export folder lies inside the work folder, so that one is checked first.
    if (settings.workFolder.isEmpty() || !IsPrivateFolder(settings.workFolder)) return;
    for (const QString& folder : {settings.autoExportFolder, settings.workFolder}) {
        if (!IsPrivateFolder(folder)) continue;
        QStringList files;
        ListFolderFiles(folder, QStringLiteral("*"), files);
        for (const QString& file : files) {
            QFile::remove(file);
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
