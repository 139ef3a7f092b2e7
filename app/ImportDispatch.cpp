#include "app/ImportDispatch.h"

#include <dirent.h>

#include <QDir>
#include <QFileInfo>
#include <memory>
#include <optional>

#include "skin/UiTexts.h"

namespace {

const char* const kImageTypes[] = {".jpg",  ".jpeg", ".jpe",  ".png",  ".bmp", ".tif",
                                   ".tiff", ".heic", ".heif", ".avif", ".webp"};
const char* const kPresentationTypes[] = {".ppt", ".pptx", ".odp", ".pdf"};

// What one entry of a listing (or a single path) stands for, and the path to hand on; or why
// it is not taken.
struct Entry {
    PathKind kind = PathKind::Other;
    QString path;
    std::optional<SkipReason> skipped;
};

bool LooksImportable(const QString& path) {
    return KindOfPath(path) != PathKind::Other;
}

// Not taken; the reason goes to the sink only when said is set.
Entry Skip(const QString& path, bool said, SkipReason reason) {
    return {PathKind::Other, path, said ? std::optional(reason) : std::nullopt};
}

// givenAlone: the path was named by itself (not met in a folder), so whatever is not taken
// is worth a word; in a listing only what looks like something we import is.
Entry Classify(const QFileInfo& info, bool givenAlone) {
    const QString path = info.filePath();
    if (info.isSymLink()) {
        const QString target = info.canonicalFilePath();
        const bool said =
            givenAlone || LooksImportable(path) || LooksImportable(info.symLinkTarget());
        if (target.isEmpty() || !info.exists()) {  // dangling, or a loop
            return Skip(path, said, SkipReason::DanglingLink);
        }
        const QFileInfo targetInfo(target);
        if (targetInfo.isDir()) return {};
        if (!targetInfo.isFile()) return Skip(path, said, SkipReason::NotRegularFile);
        if (KindOfPath(target) != PathKind::Image) {
            return Skip(path, givenAlone, SkipReason::NotImageType);
        }
        return {PathKind::Image, target, std::nullopt};
    }
    if (info.isDir()) return {};
    const PathKind kind = KindOfPath(path);
    if (kind == PathKind::Other) return Skip(path, givenAlone, SkipReason::NotImageType);
    return {kind, path, std::nullopt};
}

// The names in folder that this system cannot spell back: a file name that is not valid in
// the locale's encoding (say Latin-1 bytes on a UTF-8 system) comes out of a listing changed,
// and no file has the changed name.
QStringList UnspellableNames(const QString& folder) {
    QStringList names;
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(QFile::encodeName(folder).constData()),
                                                  ::closedir);
    if (!dir) return names;
    while (const dirent* entry = ::readdir(dir.get())) {
        const QByteArray raw(entry->d_name);
        const QString name = QFile::decodeName(raw);
        if (QFile::encodeName(name) != raw) names.append(QDir(folder).filePath(name));
    }
    names.sort();
    return names;
}

// One entry; false when the user stopped the import.
bool Take(const Entry& entry, int& counter, ImportMode mode, ImportSink* sink) {
    if (entry.skipped) {
        if (mode == ImportMode::Load) sink->Skipped(entry.path, *entry.skipped);
        return true;
    }
    switch (entry.kind) {
        case PathKind::Image:
            if (mode == ImportMode::Load) {
                if (!sink->StepProgress()) return false;
                sink->LoadImage(entry.path);
            }
            ++counter;
            return true;
        case PathKind::Presentation:
            if (mode == ImportMode::Load) {
                if (!sink->StepProgress()) return false;
                sink->QueuePresentation(entry.path);
            }
            return true;
        case PathKind::Other:
            return true;
    }
    return true;
}

}  // namespace

PathKind KindOfPath(const QString& path) {
    for (const char* type : kImageTypes) {
        if (path.endsWith(QLatin1String(type), Qt::CaseInsensitive)) return PathKind::Image;
    }
    for (const char* type : kPresentationTypes) {
        if (path.endsWith(QLatin1String(type), Qt::CaseInsensitive)) return PathKind::Presentation;
    }
    return PathKind::Other;
}

QStringList ImageTypePatterns() {
    QStringList patterns;
    for (const char* type : kImageTypes) patterns << QLatin1Char('*') + QLatin1String(type);
    return patterns;
}

QString SkipReasonText(SkipReason reason) {
    switch (reason) {
        case SkipReason::NotFound:
            return UiTexts::Text("skip.not_found");
        case SkipReason::NotImageType:
            return UiTexts::Text("skip.not_image_type");
        case SkipReason::DanglingLink:
            return UiTexts::Text("skip.dangling_link");
        case SkipReason::NotRegularFile:
            return UiTexts::Text("skip.not_regular_file");
        case SkipReason::UnreadableName:
            return UiTexts::Text("skip.unreadable_name");
    }
    return QString();
}

bool ImportPath(const QString& path, int& counter, ImportMode mode, ImportSink* sink) {
    const QFileInfo info(path);
    QString folder;
    if (info.isSymLink()) {
        const QString target = info.canonicalFilePath();
        if (!target.isEmpty() && QFileInfo(target).isDir()) folder = target;
    } else if (info.isDir()) {
        folder = info.filePath();
    }
    if (folder.isEmpty()) {
        // A single file is the only match in its own folder.
        if (!info.exists() && !info.isSymLink()) {
            return Take(Skip(path, true, SkipReason::NotFound), counter, mode, sink);
        }
        return Take(Classify(info, true), counter, mode, sink);
    }
    const QFileInfoList entries = QDir(folder).entryInfoList(
        QDir::Files | QDir::Dirs | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& entry : entries) {
        if (!Take(Classify(entry, false), counter, mode, sink)) return false;
        if (mode == ImportMode::Load && sink->ListFull()) return true;
    }
    if (mode == ImportMode::Load) {
        for (const QString& name : UnspellableNames(folder)) {
            if (LooksImportable(name)) sink->Skipped(name, SkipReason::UnreadableName);
        }
    }
    return true;
}
