#include "imaging/ImageLoader.h"

#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cerrno>

#include "core/WorkFolders.h"
#include "core/WorkingList.h"
#include "imaging/CLead.h"
#include "imaging/ImagingConstants.h"
#include "skin/MessageIds.h"
#include "skin/MessageTexts.h"
#include "skin/Prompter.h"
#include "skin/UiTexts.h"

namespace {

constexpr qint64 kCopyChunk = 1024 * 1024;

// The kernel copies between the two files without the bytes passing through the program
// (and may share blocks on file systems that can); where it cannot, 1 MiB chunks do.
bool CopyContents(QFile& in, QFile& out) {
    const int from = in.handle();
    const int to = out.handle();
    for (;;) {
        const ssize_t copied = ::copy_file_range(from, nullptr, to, nullptr, kCopyChunk, 0);
        if (copied == 0) return true;
        if (copied > 0) continue;
        if (errno == EINTR) continue;
        if (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP) {
            return false;
        }
        break;
    }
    // Carry on from where the kernel stopped.
    in.seek(::lseek(from, 0, SEEK_CUR));
    out.seek(::lseek(to, 0, SEEK_CUR));
    QByteArray chunk;
    do {
        chunk = in.read(kCopyChunk);
        if (in.error() != QFileDevice::NoError || out.write(chunk) != chunk.size()) return false;
    } while (chunk.size() == kCopyChunk);
    return out.flush();
}

}  // namespace

ImageLoader::ImageLoader(WorkingList& list, Prompter& prompter, QString workFolder)
    : list_(list), prompter_(prompter), workFolder_(std::move(workFolder)) {}

ImageLoader::Examined ImageLoader::ExamineAndCopy(const QString& path) {
    Examined result = Examine(path);
    if (result.message != 0) return result;
    // An entry without its copy would fail later in every preview and save, so a copy that
    // cannot be made refuses the image.
    result.workPath = MakeWorkCopy(path);
    result.message = result.workPath.isEmpty() ? msg::WrongImageFile : 0;
    return result;
}

ImageLoader::Examined ImageLoader::Examine(const QString& path) {
    Examined result;
    // Only regular files: a pipe or a device would block the examination forever.
    if (!QFileInfo(path).isFile()) return result;
    CLead examiner;
    try {
        examiner.ReadFileInfo(path, 0, 1);
    } catch (const LeadError& error) {
        result.reason = QString::fromStdString(error.what());
        return result;
    }
    if (!imaging::IsSupportedFormat(examiner.InfoFormat())) {
        result.message = msg::UnsupportedFormat;
        return result;
    }
    if (examiner.InfoWidth() > imaging::kMaxImageSide ||
        examiner.InfoHeight() > imaging::kMaxImageSide) {
        result.message = msg::ImageTooLarge;
        return result;
    }
    // Upright: a photo turned by its Exif orientation shows turned in the grid too.
    const bool turned = imaging::SwapsSides(examiner.InfoOrientation());
    result.width = int(turned ? examiner.InfoHeight() : examiner.InfoWidth());
    result.height = int(turned ? examiner.InfoWidth() : examiner.InfoHeight());
    result.message = 0;
    return result;
}

int ImageLoader::AddImage(const QString& path, int originFlagA, int originFlagB) {
    if (list_.count() >= WorkingList::kMaxEntries) {
        prompter_.Info(msg::TooManyImages);
        list_.setListFull(true);
        return 0;
    }
    const auto work = [this, path] { return ExamineAndCopy(path); };
    const Examined examined = runner_ ? runner_(work) : work();
    if (examined.message == msg::WrongImageFile) {
        TellWrongImageFile(prompter_, path, examined.reason);
        return 0;
    }
    if (examined.message != 0) {
        prompter_.Info(examined.message, path);
        return 0;
    }
    ImageEntry entry;
    entry.originFlagA = originFlagA;
    entry.originFlagB = originFlagB;
    entry.sourcePath = path;
    entry.workPath = examined.workPath;
    entry.imageWidth = examined.width;
    entry.imageHeight = examined.height;
    list_.Append(std::move(entry));
    return 1;
}

QString ImageLoader::MakeWorkCopy(const QString& source) {
    if (!EnsurePrivateFolder(workFolder_)) return QString();
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) return QString();
    QTemporaryFile out(workFolder_ + QLatin1String("/TMPXXXXXX"));
    if (!out.open()) return QString();
    if (!CopyContents(in, out)) return QString();  // the temporary file removes itself
    out.setAutoRemove(false);
    return out.fileName();
}

void TellWrongImageFile(Prompter& prompter, const QString& path, const QString& reason) {
    if (reason.isEmpty()) {
        prompter.Info(msg::WrongImageFile, path);
    } else {
        prompter.Plain(Messages::Format(msg::WrongImageFile, path) + QLatin1Char('\n') +
                       UiTexts::Text("convert.reason").arg(reason));
    }
}
