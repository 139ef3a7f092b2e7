#include "card/ConvertRun.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QtConcurrent/QtConcurrentRun>

#include "card/DcfNumbering.h"
#include "card/FolderOrder.h"
#include "core/AppSettings.h"
#include "core/WorkingList.h"
#include "imaging/CLead.h"
#include "imaging/ConvertSteps.h"
#include "imaging/ImageLoader.h"
#include "imaging/ImagingConstants.h"
#include "skin/MessageIds.h"
#include "skin/MessageTexts.h"
#include "skin/Prompter.h"
#include "skin/UiTexts.h"

using namespace imaging;

namespace {

QString WithoutExtension(const QString& path) {
    const QFileInfo info(path);
    return QDir(info.path()).filePath(info.completeBaseName());
}

}  // namespace

ConvertRun::ConvertRun(WorkingList& list, ConvertSettings settings, Prompter& prompter,
                       bool& unsavedChanges, QString& lastDestination)
    : list_(list),
      settings_(std::move(settings)),
      prompter_(prompter),
      unsavedChanges_(unsavedChanges),
      lastDestination_(lastDestination),
      waiter_([](QFuture<EncodedImage> future) { future.waitForFinished(); }) {}

ConvertRun::~ConvertRun() {
    DrainAhead();
    pool_.waitForDone();
}

EncodedImage ConvertRun::EncodeOne(const QString& workPath, int quarterTurns, bool exif,
                                   bool thumbnail, const ConvertSettings& settings,
                                   const QDateTime& now) {
    EncodedImage encoded;
    // A failure while the picture is read or fitted is the picture's: it cannot be converted.
    const auto failed = [&encoded](const LeadError& error, EncodedImage::Failure otherwise) {
        switch (error.kind()) {
            case LeadError::Kind::OutOfMemory:
                encoded.failure = EncodedImage::Failure::OutOfMemory;
                break;
            case LeadError::Kind::Unreadable:
                encoded.failure = EncodedImage::Failure::Unreadable;
                break;
            case LeadError::Kind::Failed:
                encoded.failure = otherwise;
                break;
        }
        encoded.reason = QString::fromStdString(error.what());
        encoded.bytes.clear();
        return encoded;
    };
    CLead work;
    CLead scratch;
    int format = kFormatJpeg;
    switch (settings.formatIndex) {
        case kChooseAutomatically:
            format = ChooseFormatAutomatically(scratch, workPath);
            break;
        case kChooseJpeg:
            break;
        case kChoosePng:
            format = kFormatPng;
            break;
        default:
            encoded.failure = EncodedImage::Failure::Encode;
            return encoded;
    }
    encoded.png = format == kFormatPng;
    try {
        work.LoadImage(workPath, 0, 0, -1);
        // Turned before it is fitted, so that a portrait turned on its side fills the frame.
        work.TurnImage(quarterTurns);
    } catch (const LeadError& error) {
        return failed(error, EncodedImage::Failure::Unreadable);
    }
    if (!encoded.png && exif) FillExifSlots(work, now);
    std::optional<LeadError> fitFailure;
    if (!FitToOutputSize(work, scratch, settings.sizeIndex, settings.fill, &fitFailure)) {
        return failed(*fitFailure, EncodedImage::Failure::Unreadable);
    }
    encoded.damage = work.DamageText();
    work.SetResolutionX(kOutputDpi);
    work.SetResolutionY(kOutputDpi);
    try {
        if (encoded.png) {
            encoded.bytes = work.SaveImageToMemory(kFormatPng, 0, 0);
        } else {
            const int factor = QualityFactor(settings.qualityPosition);
            const int code = exif ? kFormatJpegExif : kFormatJpeg;
            encoded.bytes =
                thumbnail ? work.SaveImageWithThumbnailToMemory(code, 0, factor, kThumbnailWidth,
                                                                kThumbnailHeight, settings.fill)
                          : work.SaveImageToMemory(code, 0, factor);
        }
    } catch (const LeadError& error) {
        return failed(error, EncodedImage::Failure::Encode);
    }
    return encoded;
}

QFuture<EncodedImage> ConvertRun::StartEncoding(int row) {
    const ImageEntry& entry = list_.at(row);
    // A card gets the Exif block and the thumbnail whatever the options say; a slide always
    // gets its thumbnail.
    const bool exif = settings_.exifOption || settings_.cardFlag;
    const bool slide = entry.originFlagA != 0 || entry.originFlagB != 0;
    const bool thumbnail = settings_.thumbnailOption || settings_.cardFlag || slide;
    return QtConcurrent::run(&pool_, &ConvertRun::EncodeOne, entry.workPath, entry.quarterTurns,
                             exif, thumbnail, SettingsForEntry(entry, settings_), TimeOf(row));
}

ConvertSettings ConvertRun::SettingsForEntry(const ImageEntry& entry, ConvertSettings settings) {
    // A slide was framed on black when it was imported: around those bars a backdrop would only
    // frame them again.
    if (entry.originFlagA != 0 || entry.originFlagB != 0) settings.fill = FrameFill();
    return settings;
}

ConvertSettings ConvertSettingsOf(const AppSettings& settings) {
    ConvertSettings convert;
    convert.formatIndex = settings.formatIndex;
    convert.qualityPosition = settings.qualityPosition;
    convert.sizeIndex = settings.sizeIndex;
    convert.cardFlag = settings.cardFlag;
    convert.exifOption = settings.exifOption;
    convert.thumbnailOption = settings.thumbnailOption;
    convert.fill = settings.fill;
    convert.filesPerFolder = settings.filesPerFolder;
    return convert;
}

QDateTime ConvertRun::TimeOf(int row) const {
    return firstTime_.addSecs(qint64(kRunTimeStep) * (row - firstRow_));
}

void ConvertRun::StartRun(bool wholeList) {
    numbering_ = Numbering::Ask;
    wholeList_ = wholeList;
    numberBase_ = 0;
    folder_ = settings_.destination;
    // Only Save All onto a card moves on: a folder of the card layout follows.
    const bool movesOn = wholeList && settings_.cardFlag && !DriveOfCardFolder(folder_).isEmpty();
    perFolder_ =
        movesOn ? std::clamp(settings_.filesPerFolder, dcf::kFirstFileNumber, dcf::kLastFileNumber)
                : dcf::kLastFileNumber;
    folderBusy_ = false;
    stoppedWaiting_ = false;
    wroteAny_ = false;
    firstRow_ = 0;
}

Outcome ConvertRun::BeginWriting(int count) {
    const QString& folder = folder_;
    if (folder.isEmpty() || !QDir().mkpath(folder)) {
        prompter_.Info(settings_.cardFlag ? msg::CannotMakeCardFolder : msg::CannotCreateFolder,
                       folder);
        return Outcome::Failed;
    }
    if (!HoldFolder()) return stoppedWaiting_ ? Outcome::Skipped : Outcome::Failed;
    if (settings_.cardFlag) {
        const QString drive = DriveOfCardFolder(folder);
        if (!drive.isEmpty()) TidyCardFolders(drive, folder);
    }
    // Decided while the folder is held: the times follow whatever is in it now.
    firstTime_ = FirstRunTime(folder, count, QDateTime::currentDateTime());
    return Outcome::Written;
}

void ConvertRun::FinishFolder() {
    if (wroteAny_) {
        // Only the run that holds the folder may move its files.
        if (folderLock_.held() && HasSlotOrder(folder_)) RestoreDirectoryOrder(folder_);
        SyncFolder(folder_);
    }
    wroteAny_ = false;
    folderLock_.Release();
}

bool ConvertRun::Save(int position) {
    StartRun(false);
    const auto finish = qScopeGuard([this] { FinishFolder(); });
    const int row = position - 1;
    if (row < 0 || row >= list_.count()) return false;
    ImageOutcome outcome{list_.at(row).id, Outcome::Failed, QString()};
    firstRow_ = row;
    switch (BeginWriting(1)) {
        case Outcome::Written:
            break;
        case Outcome::Skipped:  // stopped before the image had its turn
            return false;
        case Outcome::Failed:
            outcomes_.append(outcome);
            return false;
    }
    const QFuture<EncodedImage> future = StartEncoding(row);
    waiter_(future);
    outcome.result = SaveOneImage(row, future.result(), &outcome);
    if (stoppedWaiting_) return false;  // stopped before the image had its turn
    outcomes_.append(outcome);
    if (outcome.result != Outcome::Written) return false;
    lastDestination_ = folder_;
    unsavedChanges_ = false;
    return true;
}

bool ConvertRun::SaveAll(const std::atomic<bool>& stop, const Progress& progress) {
    StartRun(true);
    const auto finish = qScopeGuard([this] { FinishFolder(); });
    while (list_.isEmpty() && feeder_ && feeder_()) {
    }
    if (list_.isEmpty()) return true;
    switch (BeginWriting(std::max(list_.count(), expectedCount_))) {
        case Outcome::Written:
            break;
        case Outcome::Skipped:  // stopped before the first image had its turn
            return false;
        case Outcome::Failed:
            outcomes_.append({list_.at(0).id, Outcome::Failed, QString()});
            return false;
    }
    int next = 0;
    for (int row = 0;; ++row) {
        while (row >= list_.count() && feeder_ && feeder_()) {
        }
        const int count = list_.count();
        if (row >= count) break;
        if (stop) {
            DrainAhead();
            return false;
        }
        while (next < count && next <= row + lookAhead_) ahead_.push_back(StartEncoding(next++));
        const QFuture<EncodedImage> future = ahead_.front();
        ahead_.pop_front();
        waiter_(future);
        const EncodedImage encoded = future.result();
        ImageOutcome outcome{list_.at(row).id, Outcome::Failed, QString()};
        outcome.result = SaveOneImage(row, encoded, &outcome);
        if (stoppedWaiting_) {  // stopped before the image had its turn: not one of its outcomes
            DrainAhead();
            return false;
        }
        outcomes_.append(outcome);
        if (outcome.result == Outcome::Failed) {
            // Whether a failure ends the run: the window stops at every one; a batch run goes
            // on past an image that is bad by itself.
            if (!(goOnPastBadImages_ && outcome.unreadable)) {
                DrainAhead();  // what was encoded ahead is discarded
                return false;
            }
            ++numberBase_;
        } else {
            // A skipped image counts as done, as the question's No promises.
            unsavedChanges_ = false;
            lastDestination_ = folder_;
        }
        if (progress) progress(row + 1, count, outcome);
    }
    return true;
}

Outcome ConvertRun::SaveOneImage(int row, const EncodedImage& encoded, ImageOutcome* outcome) {
    // The user hears of the file they chose, never of its work copy.
    const QString& source = list_.at(row).sourcePath;
    switch (encoded.failure) {
        case EncodedImage::Failure::Unreadable:
            outcome->unreadable = true;
            TellWrongImageFile(prompter_, source, encoded.reason);
            return Outcome::Failed;
        case EncodedImage::Failure::OutOfMemory:
            prompter_.Info(msg::NotEnoughMemory);
            return Outcome::Failed;
        case EncodedImage::Failure::None:
        case EncodedImage::Failure::Encode:
            break;
    }
    QString path;
    QString takenBefore;
    for (;;) {
        bool replace = false;
        const Outcome named = ChooseName(row, encoded.png, &path, &replace);
        if (named != Outcome::Written) return named;
        const int number = DcfNumberOfName(QFileInfo(path).fileName()).value_or(row + 1);
        const Placement placed =
            encoded.failure == EncodedImage::Failure::Encode
                ? Placement::Failed
                : WriteReplacing(path, number, encoded.bytes, TimeOf(row), replace);
        if (placed == Placement::Done) break;
        // A name taken since it was chosen (by another program: our runs wait for the folder)
        // is a taken number like any other. Chosen again, it is taken by something the folder
        // does not show.
        if (placed == Placement::Failed || path == takenBefore) {
            prompter_.Info(msg::SaveError);
            return Outcome::Failed;
        }
        takenBefore = path;
    }
    list_.SetSaved(row, true);
    wroteAny_ = true;
    outcome->path = path;
    if (encoded.damaged()) {
        // Written as far as the decoder could read it; never silently.
        outcome->damaged = true;
        prompter_.Plain(UiTexts::Text("convert.damaged").arg(source, encoded.damage));
    }
    return Outcome::Written;
}

Outcome ConvertRun::ChooseName(int row, bool png, QString* path, bool* replace) {
    *replace = false;
    if (!HoldFolder()) return Outcome::Failed;
    // Bad images gone past leave no hole: the next image takes the number. A folder that has
    // its files is left for the next one.
    if (row + 1 - numberBase_ > perFolder_ && !MoveToNextFolder(row)) return Outcome::Failed;
    const int number = row + 1 - numberBase_;
    *path = DcfFilePath(folder_, number, png);
    if (numbering_ == Numbering::Ask && FileNumberExists(*path, number)) {
        for (;;) {
            const QString text = Messages::Format(msg::SameNumberExists, WithoutExtension(*path));
            switch (prompter_.Overwrite(text, wholeList_)) {
                case overwrite::Overwrite:
                    *replace = true;
                    return Outcome::Written;
                case overwrite::OverwriteAll:
                    numbering_ = Numbering::OverwriteAll;
                    *replace = true;
                    return Outcome::Written;
                case overwrite::SaveNext: {
                    numbering_ = Numbering::ContinueAfter;
                    const Outcome next = ContinueAfterHighest(row, number, png, path);
                    if (next != Outcome::Skipped) return next;
                    // A fixed answer would only bring the same question back, for ever.
                    if (prompter_.AnswersFixed()) return Outcome::Failed;
                    numbering_ = Numbering::Ask;  // and the question comes back
                    break;
                }
                case overwrite::No:
                    return wholeList_ ? Outcome::Skipped : Outcome::Failed;
                default:  // Cancel, or a closed box
                    return Outcome::Failed;
            }
        }
    }
    if (numbering_ == Numbering::ContinueAfter) {
        const Outcome next = ContinueAfterHighest(row, number, png, path);
        return next == Outcome::Skipped ? Outcome::Failed : next;
    }
    // Overwriting all keeps the list's numbers and replaces what has them.
    *replace = numbering_ == Numbering::OverwriteAll;
    return Outcome::Written;
}

Outcome ConvertRun::ContinueAfterHighest(int row, int number, bool png, QString* path) {
    const std::optional<int> free = NextFreeFileNumber(folder_, number);
    if (free && *free <= perFolder_) {
        *path = DcfFilePath(folder_, *free, png);
        return Outcome::Written;
    }
    if (perFolder_ == dcf::kLastFileNumber) {
        prompter_.Info(msg::FileNumber9999);
        return Outcome::Skipped;
    }
    if (!MoveToNextFolder(row)) return Outcome::Failed;
    *path = DcfFilePath(folder_, row + 1 - numberBase_, png);
    return Outcome::Written;
}

bool ConvertRun::MoveToNextFolder(int row) {
    const QString drive = DriveOfCardFolder(folder_);
    int after = FolderNumberOfName(QFileInfo(folder_).fileName()).value_or(0);
    FinishFolder();
    for (;;) {
        const std::optional<int> number = NextFreeFolderNumber(drive, after);
        if (!number) {
            prompter_.Plain(UiTexts::Text("convert.no_free_folder").arg(folder_));
            return false;
        }
        const QString next = CardFolder(drive, *number);
        // Made here, not found: a folder that another program made since the look is its own,
        // and the run goes on to the number after it.
        if (QDir().mkdir(next)) {
            folder_ = next;
            break;
        }
        if (!QFileInfo::exists(next)) {
            prompter_.Info(msg::CannotMakeCardFolder, next);
            return false;
        }
        after = *number;
    }
    // A new folder: its numbers start again from 0001, and nothing in it needs a question.
    numberBase_ = row;
    numbering_ = Numbering::Ask;
    return HoldFolder();
}

bool ConvertRun::HoldFolder() {
    if (folderLock_.held()) return true;
    const QString& folder = folder_;
    for (;;) {
        switch (folderLock_.Take(folder)) {
            case FolderLock::Result::Held:
                // No live run can own a temporary file or a restore here now: what is left, a
                // killed run left behind.
                RemoveLeftoverTemporaries(folder);
                CompleteInterruptedRestore(folder);
                return true;
            case FolderLock::Result::Unavailable:
                // A file system without locks: the names are still claimed without replacing,
                // but temporary files may belong to a live run and stay.
                return true;
            case FolderLock::Result::Busy:
                if (!busyWait_) {
                    prompter_.Plain(UiTexts::Text("convert.folder_busy").arg(folder));
                    folderBusy_ = true;
                    return false;
                }
                if (!busyWait_()) {
                    stoppedWaiting_ = true;
                    return false;
                }
                break;
        }
    }
}

Placement ConvertRun::WriteReplacing(const QString& path, int number, const QByteArray& bytes,
                                     const QDateTime& time, bool replace) {
    // The new file is complete before anything is replaced: written beside, then renamed over
    // a file of the same name in one step.
    const QString folder = QFileInfo(path).path();
    const QString temporary = WriteTemporaryFile(folder, bytes, time);
    if (temporary.isEmpty()) return Placement::Failed;
    const Placement placed = MoveIntoPlace(temporary, path, replace);
    if (placed != Placement::Done) {
        QFile::remove(temporary);
        return placed;
    }
    // Then the other files of the number (another prefix or extension) go, so that none stays
    // beside the new one; only when the number was to be replaced, since otherwise they came
    // after the number was found free. A file that cannot be deleted ends the deletion.
    if (replace) RemoveOtherFilesOfNumber(path, number);
    return Placement::Done;
}

void ConvertRun::DrainAhead() {
    for (QFuture<EncodedImage>& future : ahead_) future.waitForFinished();
    ahead_.clear();
}
