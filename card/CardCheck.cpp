#include "card/CardCheck.h"

#include <sys/stat.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include "card/Destination.h"
#include "skin/UiTexts.h"

namespace {

// Names that other systems leave on a card: macOS's resource forks (._name files, never
// folders) and its trash and index folders, and the trash folders of Linux desktops
// (.Trash-1000).
bool IsLeftover(const QString& name, bool folder) {
    if (!folder) return name.startsWith(QLatin1String("._"));
    return name == QLatin1String(".Trashes") || name == QLatin1String(".Spotlight-V100") ||
           name.startsWith(QLatin1String(".Trash-"));
}

bool IsPlaylist(const QString& name) {
    return name.compare(QLatin1String("imagelistdir.txt"), Qt::CaseInsensitive) == 0 ||
           name.compare(QLatin1String("playlist.txt"), Qt::CaseInsensitive) == 0;
}

bool IsRealFolder(const QString& path) {
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

CardCheck CheckCard(const QString& drive, const QString& folder) {
    CardCheck check;
    check.fileSystem = FileSystemName(drive);
    check.foreignFileSystem = !check.fileSystem.isEmpty() && !IsCardFileSystem(check.fileSystem);
    // Breadth first through real folders; a leftover folder is named once, not entered.
    QStringList pending{drive};
    while (!pending.isEmpty()) {
        const QString at = pending.takeFirst();
        const QDir dir(at);
        for (const QFileInfo& entry : dir.entryInfoList(
                 QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                 QDir::Name)) {
            const bool isFolder = IsRealFolder(entry.filePath());
            if (IsLeftover(entry.fileName(), isFolder)) {
                check.leftovers << entry.filePath();
            } else if (isFolder) {
                pending << entry.filePath();
            }
        }
    }
    for (const QFileInfo& entry :
         QDir(folder).entryInfoList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name)) {
        if (IsPlaylist(entry.fileName()) && !entry.isSymLink()) check.playlists << entry.filePath();
    }
    return check;
}

QStringList RemoveFound(const CardCheck& check) {
    QStringList failed;
    for (const QString& path : check.leftovers + check.playlists) {
        // removeRecursively does not follow links inside; the folder itself was checked real.
        const bool removed =
            IsRealFolder(path) ? QDir(path).removeRecursively() : QFile::remove(path);
        if (!removed) failed << path;
    }
    return failed;
}

QStringList FoundLines(const CardCheck& check) {
    QStringList lines;
    for (const auto& [key, paths] : {std::pair{"check.leftovers", &check.leftovers},
                                     std::pair{"check.playlists", &check.playlists}}) {
        if (paths->isEmpty()) continue;
        lines << UiTexts::Text(key);
        for (const QString& path : *paths) lines << QStringLiteral("  ") + path;
    }
    return lines;
}

QString FileSystemWarning(const CardCheck& check) {
    return UiTexts::Text("check.file_system").arg(check.fileSystem);
}

bool CheckedCards::FirstTime(const QString& drive) {
    struct stat info {};
    if (::stat(QFile::encodeName(drive).constData(), &info) != 0) return false;
    const QString key = QDir::cleanPath(drive) + QLatin1Char(':') + QString::number(info.st_dev);
    if (seen_.contains(key)) return false;
    seen_.insert(key);
    return true;
}
