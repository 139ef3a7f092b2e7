#include "card/Rehearsal.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <algorithm>

#include "card/DcfNumbering.h"
#include "card/FolderOrder.h"
#include "core/WorkingList.h"
#include "skin/UiTexts.h"

namespace {

// The numbered JPEG and PNG files of folder, in the order of their numbers.
QList<RehearsalItem> NumberedImagesOf(const QString& folder) {
    QList<RehearsalItem> items;
    for (const QString& name : NumberedFilesByNumber(folder)) {
        const QString suffix = QFileInfo(name).suffix().toLower();
        if (suffix == u"jpg" || suffix == u"jpeg" || suffix == u"png") {
            items.append({QDir(folder).filePath(name), name, false, {}});
        }
    }
    return items;
}

}  // namespace

std::optional<RehearsalStep> RehearsalStepOfKey(int key) {
    switch (key) {
        case Qt::Key_Right:
        case Qt::Key_Down:
        case Qt::Key_Space:
        case Qt::Key_PageDown:
            return RehearsalStep::Next;
        case Qt::Key_Left:
        case Qt::Key_Up:
        case Qt::Key_Backspace:
        case Qt::Key_PageUp:
            return RehearsalStep::Previous;
        case Qt::Key_Home:
            return RehearsalStep::First;
        case Qt::Key_End:
            return RehearsalStep::Last;
        default:
            return std::nullopt;
    }
}

int SteppedIndex(int current, int count, RehearsalStep step) {
    if (count <= 0) return 0;
    switch (step) {
        case RehearsalStep::Next:
            return std::min(current + 1, count - 1);
        case RehearsalStep::Previous:
            return std::max(current - 1, 0);
        case RehearsalStep::First:
            return 0;
        case RehearsalStep::Last:
            return count - 1;
    }
    return current;
}

QList<int> RehearsalWindow(int current, int count) {
    QList<int> window;
    for (const int index : {current, current + 1, current + 2, current - 1}) {
        if (index >= 0 && index < count) window.append(index);
    }
    return window;
}

QList<RehearsalItem> RehearsalItemsOf(const WorkingList& list, const ConvertSettings& settings) {
    QList<RehearsalItem> items;
    for (int row = 0; row < list.count(); ++row) {
        const ImageEntry& entry = list.at(row);
        items.append({entry.workPath, DisplayName(entry), true,
                      ConvertRun::SettingsForEntry(entry, settings), entry.quarterTurns});
    }
    return items;
}

QList<RehearsalItem> WrittenItemsOf(const QString& destination) {
    const QString drive = DriveOfCardFolder(destination);
    if (drive.isEmpty()) return NumberedImagesOf(destination);
    QList<std::pair<int, QString>> folders;
    const QDir dcim(QDir(drive).filePath(QLatin1String(dcf::kDcimFolder)));
    for (const QString& name : dcim.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        if (const std::optional<int> number = FolderNumberOfName(name)) {
            folders.append({*number, dcim.filePath(name)});
        }
    }
    std::stable_sort(folders.begin(), folders.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    QList<RehearsalItem> items;
    for (const auto& [number, folder] : folders) items.append(NumberedImagesOf(folder));
    return items;
}

RehearsalPicture MakeRehearsalPicture(const RehearsalItem& item) {
    RehearsalPicture picture;
    try {
        if (!item.encode) {
            QImageReader reader(item.path);
            picture.image = reader.read();
            if (picture.image.isNull()) picture.reason = reader.errorString();
            return picture;
        }
        // The pixels do not depend on the Exif block or the thumbnail, so neither is made.
        const EncodedImage encoded = ConvertRun::EncodeOne(item.path, item.quarterTurns, false,
                                                           false, item.settings, QDateTime());
        if (encoded.failure != EncodedImage::Failure::None) {
            picture.reason = encoded.reason;
            return picture;
        }
        picture.image = QImage::fromData(encoded.bytes);
        if (picture.image.isNull()) picture.reason = UiTexts::Text("rehearse.unreadable");
    } catch (const std::exception& error) {
        picture.image = QImage();
        picture.reason = QString::fromLocal8Bit(error.what());
    }
    return picture;
}
