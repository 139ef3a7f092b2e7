#include "card/DcfNumbering.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

#include <sys/stat.h>

#include "skin/MessageIds.h"
#include "skin/Prompter.h"

using namespace dcf;

namespace {

QStringList EntriesOf(const QString& folder, QDir::Filters filters) {
    return QDir(folder).entryList(filters | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

// Every entry: a broken link and a pipe are listed as system entries.
QStringList EveryNameOf(const QString& folder) {
    return EntriesOf(folder, QDir::AllEntries | QDir::System);
}

}  // namespace

QString DcfFileName(int number, bool png) {
    return QStringLiteral("%1%2.%3")
        .arg(QLatin1String(kFilePrefix))
        .arg(number, 4, 10, QLatin1Char('0'))
        .arg(png ? QLatin1String("PNG") : QLatin1String("JPG"));
}

QString DcfFilePath(const QString& folder, int number, bool png) {
    const QString separator = folder.endsWith(QLatin1Char('/')) ? QString() : QStringLiteral("/");
    return folder + separator + DcfFileName(number, png);
}

std::optional<int> DcfNumberOfName(const QString& fileName) {
    // Eight characters, then the end or the extension's dot.
    if (fileName.size() < 8 || (fileName.size() > 8 && fileName[8] != QLatin1Char('.'))) {
        return std::nullopt;
    }
    for (int i = 0; i < 4; ++i) {
        if (fileName[i] == QLatin1Char('.')) return std::nullopt;
    }
    int number = 0;
    for (int i = 4; i < 8; ++i) {
        const QChar c = fileName[i];
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return std::nullopt;
        number = number * 10 + (c.unicode() - '0');
    }
    return number;
}

QStringList FilesOfNumber(const QString& folder, int number) {
    QStringList files;
    for (const QString& name : EveryNameOf(folder)) {
        if (DcfNumberOfName(name) == number) files.append(QDir(folder).filePath(name));
    }
    return files;
}

bool RemoveOtherFilesOfNumber(const QString& kept, int number) {
    struct stat keptStat {};
    const bool known = ::stat(QFile::encodeName(kept).constData(), &keptStat) == 0;
    const QString keptName = QFileInfo(kept).fileName();
    for (const QString& file : FilesOfNumber(QFileInfo(kept).path(), number)) {
        struct stat other {};
        const bool same = known && ::stat(QFile::encodeName(file).constData(), &other) == 0 &&
                          other.st_dev == keptStat.st_dev && other.st_ino == keptStat.st_ino;
        if (same || QFileInfo(file).fileName() == keptName) continue;
        struct stat own {};
        if (::lstat(QFile::encodeName(file).constData(), &own) != 0 || !S_ISREG(own.st_mode)) {
            continue;
        }
        if (!QFile::remove(file)) return false;
    }
    return true;
}

bool FileNumberExists(const QString& path, int number) {
    return !FilesOfNumber(QFileInfo(path).path(), number).isEmpty();
}

std::optional<int> NextFreeFileNumber(const QString& folder, int start) {
    int best = start;
    for (const QString& name : EveryNameOf(folder)) {
        const std::optional<int> number = DcfNumberOfName(name);
        if (number && *number >= start) best = std::max(best, *number);
    }
    const int result = best + 1;
    if (result > kLastFileNumber) return std::nullopt;
    return result;
}

QString CardFolder(const QString& drive, int number) {
    return QDir(drive).filePath(QLatin1String(kDcimFolder) + QLatin1Char('/') +
                                FolderNumberText(number) + QLatin1String(kFolderSuffix));
}

QString DriveOfCardFolder(const QString& folder) {
    const QFileInfo dcim(QFileInfo(QDir::cleanPath(folder)).path());
    if (dcim.fileName().compare(QLatin1String(kDcimFolder), Qt::CaseInsensitive) != 0) {
        return QString();
    }
    return dcim.path();
}

QString ExistingFolderOfNumber(const QString& drive, int number) {
    const QString own = CardFolder(drive, number);
    if (QFileInfo(own).isDir()) return own;
    const QString dcim = QDir(drive).filePath(QLatin1String(kDcimFolder));
    const QString digits = FolderNumberText(number);
    for (const QString& name : EntriesOf(dcim, QDir::Dirs)) {
        if (name.startsWith(digits)) return QDir(dcim).filePath(name);
    }
    return QString();
}

namespace {

// The folder numbers under drive/DCIM that something (a folder or file of any suffix) starts
// with, indexed by number.
QList<bool> TakenFolderNumbers(const QString& drive) {
    const QString dcim = QDir(drive).filePath(QLatin1String(kDcimFolder));
    QList<bool> taken(kLastFolderNumber + 1, false);
    for (const QString& name : EntriesOf(dcim, QDir::Files | QDir::Dirs)) {
        if (const std::optional<int> number = FolderNumberOfName(name)) taken[*number] = true;
    }
    return taken;
}

}  // namespace

int FirstFreeFolderNumber(const QString& drive) {
    return NextFreeFolderNumber(drive, kFirstFolderNumber - 1).value_or(kLastFolderNumber);
}

std::optional<int> NextFreeFolderNumber(const QString& drive, int after) {
    const QList<bool> taken = TakenFolderNumbers(drive);
    for (int number = std::max(after + 1, kFirstFolderNumber); number <= kLastFolderNumber;
         ++number) {
        if (!taken[number]) return number;
    }
    return std::nullopt;
}

std::optional<int> FolderNumberOfName(const QString& name) {
    bool ok = false;
    const int number = name.left(3).toInt(&ok);
    if (!ok || name.size() < 3 || !name[0].isDigit() || number < kFirstFolderNumber) {
        return std::nullopt;
    }
    return number;
}

int ReadFolderNumberField(const QString& text, Prompter& prompter) {
    // Read as "%d" reads: leading blanks, then the digits as far as they go.
    const QString trimmed = text.trimmed();
    qsizetype digits = 0;
    while (digits < trimmed.size() && digits < 9 && trimmed[digits].isDigit()) ++digits;
    const int number = digits == 0 ? 0 : trimmed.left(digits).toInt();
    if (number < kFirstFolderNumber) {
        prompter.Info(msg::FolderNumberRange);
        return kFirstFolderNumber;
    }
    return std::min(number, kLastFolderNumber);
}

int StepFolderNumber(int current, int step) {
    return std::clamp(current + step, kFirstFolderNumber, kLastFolderNumber);
}

QString FolderNumberText(int number) {
    return QStringLiteral("%1").arg(number, 3, 10, QLatin1Char('0'));
}
