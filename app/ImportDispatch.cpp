#include "app/ImportDispatch.h"

#include <QDir>
#include <QFileInfo>

namespace {

// What one entry of a listing (or a single path) stands for, and the path to hand on.
struct Entry {
    PathKind kind = PathKind::Other;
    QString path;
};

Entry Classify(const QFileInfo& info) {
    if (info.isSymLink()) {
        // A dangling link and a loop lead to no file.
        const QString target = info.canonicalFilePath();
        if (target.isEmpty() || !QFileInfo(target).isFile()) return {};
        if (KindOfPath(target) != PathKind::Image) return {};
        return {PathKind::Image, target};
    }
    if (info.isDir()) return {};
    return {KindOfPath(info.filePath()), info.filePath()};
}

// One entry; false when the user stopped the import.
bool Take(const Entry& entry, int& counter, ImportMode mode, ImportSink* sink) {
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
    const QString tail = path.right(5).toLower();
    const QString last4 = tail.right(4);
    if (last4 == u".jpg" || last4 == u".png" || last4 == u".bmp" || last4 == u".tif") {
        return PathKind::Image;
    }
    if (last4 == u".ppt" || last4 == u".odp" || tail == u".pptx") return PathKind::Presentation;
    return PathKind::Other;
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
        // A single file is the only match in its own folder; a path that names nothing
        // matches nothing.
        if (!info.exists() && !info.isSymLink()) return true;
        return Take(Classify(info), counter, mode, sink);
    }
    const QFileInfoList entries = QDir(folder).entryInfoList(
        QDir::Files | QDir::Dirs | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& entry : entries) {
        if (!Take(Classify(entry), counter, mode, sink)) return false;
        if (mode == ImportMode::Load && sink->ListFull()) break;
    }
    return true;
}
