#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QFuture>
#include <QString>
#include <QThreadPool>
#include <atomic>
#include <deque>
#include <functional>

#include "card/DcfNumbering.h"
#include "card/FilePlacement.h"
#include "core/FolderLock.h"
#include "core/FrameFill.h"
#include "core/ImageEntry.h"

struct AppSettings;
class Prompter;
class WorkingList;

// What the run is asked to write, taken from the settings record.
struct ConvertSettings {
    int formatIndex = 1;      // 0 automatic, 1 JPEG, 2 PNG
    int qualityPosition = 5;  // 1 (Low) to 5 (High)
    int sizeIndex = 1;        // index into the size table
    bool cardFlag = true;     // the destination is a card folder: Exif and thumbnail always
    bool exifOption = true;
    bool thumbnailOption = true;
    FrameFill fill;       // around a photo of another aspect (a slide keeps black bars)
    QString destination;  // the card folder or the other folder
    // Save All onto a card goes on in the next free card folder, numbering from 0001, once an
    // image's number would pass this (1 to 9999; 9999 never moves on).
    int filesPerFolder = dcf::kLastFileNumber;
};

// The user's choices about the output as the run takes them; no destination.
ConvertSettings ConvertSettingsOf(const AppSettings& settings);

enum class Outcome { Written, Skipped, Failed };

// What became of one image of the list.
struct ImageOutcome {
    EntryId id = 0;
    Outcome result = Outcome::Failed;
    QString path;  // the file written
    // Written, but its pixels were decoded with warnings (a damaged file, as far as it could
    // be read); the user was told.
    bool damaged = false;
    // Failed because the image itself cannot be decoded (not because of the destination):
    // a run that goes on past bad images goes on past this one.
    bool unreadable = false;
};

// One image made ready to write: encoded on a worker before its turn comes.
struct EncodedImage {
    enum class Failure {
        None,
        Unreadable,   // the image cannot be decoded (or fitted): it is a wrong image file
        OutOfMemory,  // an allocation failed while it was decoded, fitted or encoded
        Encode,       // the encoder failed
    };
    Failure failure = Failure::None;
    QString reason;  // the imaging library's reason for the failure
    // The decoder's reason when the pixels were decoded with warnings: the image is encoded
    // as far as it could be read. Empty for a sound image.
    QString damage;
    bool png = false;
    QByteArray bytes;

    bool damaged() const { return !damage.isEmpty(); }
};

// Save and Save All over the working list: each image is fitted to the output size, encoded,
// named by the card rules (asking through the Prompter when its number is taken) and written
// without ever destroying what it replaces before the new file is complete. While one image
// is named and written, the next ones are already being encoded on the pool; names,
// questions and writes stay in list order, and a stop or a failure discards what was encoded
// ahead. Numbers are decided only while the run holds the destination folder's lock, so runs
// never take each other's numbers. Save All onto a card moves on to the next free card folder
// when a folder has its files (ConvertSettings::filesPerFolder); each folder is finished
// (its order put right, flushed, released) before the next is made and held. The images' times rise
// with their rows after the folder's newest file, and the folder's directory order is put right and
// flushed at the end (FolderOrder.h), so that a device shows the list's order by any key. No
// widgets: the convert dialog and the batch run both drive it. Runs on the thread that owns the
// list (the GUI thread or the batch run's); the encoding runs on the pool.
class ConvertRun {
public:
    // Called while the run waits for an encoding; the window pumps its events here. The
    // default blocks.
    using Waiter = std::function<void(const QFuture<EncodedImage>&)>;
    // After each image of Save All: the position done (1-based) and the count.
    using Progress = std::function<void(int position, int count, const ImageOutcome&)>;

    ConvertRun(WorkingList& list, ConvertSettings settings, Prompter& prompter,
               bool& unsavedChanges, QString& lastDestination);
    ~ConvertRun();

    void SetWaiter(Waiter waiter) { waiter_ = std::move(waiter); }
    // Adds the next image to the list while the run goes on (the batch run imports this way,
    // so that copying files and encoding overlap); false when no more will come. Save All
    // asks it whenever it has written every image it has.
    using Feeder = std::function<bool()>;
    void SetFeeder(Feeder feeder) { feeder_ = std::move(feeder); }
    // Images encoded ahead of the one being written (at least 1).
    void SetLookAhead(int images) { lookAhead_ = std::max(1, images); }
    // Called while another run writes into the destination folder: waits a moment and returns
    // true to try again, false to give up without writing. Without one the run gives up at
    // once and says that the folder is busy. The window waits, the batch run refuses.
    using BusyWait = std::function<bool()>;
    void SetBusyWait(BusyWait wait) { busyWait_ = std::move(wait); }
    // Save All goes on past an image whose file cannot be decoded (reported, and the next
    // image takes its number) instead of ending there. A failure of the destination ends the
    // run either way.
    void SetGoOnPastBadImages(bool goOn) { goOnPastBadImages_ = goOn; }
    // How many images Save All is expected to write when the feeder adds more later (the
    // images' times are spread over the run from its start); the list's count when larger.
    void SetExpectedCount(int count) { expectedCount_ = count; }

    // Writes the image at position (1-based). True when it was written.
    bool Save(int position);
    // Writes every image in list order until the end, a failure, or stop (checked between
    // images: the image being written is completed). True when the run reached the end.
    bool SaveAll(const std::atomic<bool>& stop, const Progress& progress = {});

    const QList<ImageOutcome>& outcomes() const { return outcomes_; }
    // The folder the run writes into now (the last one it wrote into once it has ended).
    const QString& folder() const { return folder_; }
    // True when the run gave up because another run was writing into the folder.
    bool folderBusy() const { return folderBusy_; }
    const ConvertSettings& settings() const { return settings_; }

    // Encodes one work copy, turned clockwise by quarterTurns before it is fitted, as the
    // settings ask (runs on a worker).
    static EncodedImage EncodeOne(const QString& workPath, int quarterTurns, bool exif,
                                  bool thumbnail, const ConvertSettings& settings,
                                  const QDateTime& now);
    // The settings an entry is encoded with: a slide keeps black bars.
    static ConvertSettings SettingsForEntry(const ImageEntry& entry, ConvertSettings settings);

private:
    QFuture<EncodedImage> StartEncoding(int row);
    // The numbering and writing of one image whose encoding is done; fills the outcome's
    // path, damaged and unreadable, and returns its result.
    Outcome SaveOneImage(int row, const EncodedImage& encoded, ImageOutcome* outcome);
    // The name for the image at row, settling a taken number; Written when the image is to be
    // written there, and then *replace says whether what has the name may be replaced.
    Outcome ChooseName(int row, bool png, QString* path, bool* replace);
    // The path after the highest number taken at or above number, in this folder or, when the
    // folder has its files, as 0001 of the next one. Skipped when no number is left (the user
    // was told), Failed when the next folder cannot be had.
    Outcome ContinueAfterHighest(int row, int number, bool png, QString* path);
    // Finishes the folder and makes and holds the next free card folder, whose first image is
    // the one at row. False when there is none or it cannot be made (the user was told).
    bool MoveToNextFolder(int row);
    // Holds the destination folder for the rest of the run, waiting or refusing while another
    // run holds it, and clears what a killed run left in it. False when nothing may be written.
    bool HoldFolder();
    // Before the first image: makes and holds the destination folder, clears what killed runs
    // left in the card's other folders and sets the times of count images. Failed when nothing
    // may be written (the user was told); Skipped when the user stopped while the run waited.
    Outcome BeginWriting(int count);
    // After the last image of a folder, under its lock: the directory order put right when a
    // freed slot broke it, the folder's entries flushed, and the lock released.
    void FinishFolder();
    // The time of the image at row: its Exif dates and its file's modification time.
    QDateTime TimeOf(int row) const;
    Placement WriteReplacing(const QString& path, int number, const QByteArray& bytes,
                             const QDateTime& time, bool replace);
    void StartRun(bool wholeList);
    void DrainAhead();

    WorkingList& list_;
    ConvertSettings settings_;
    Prompter& prompter_;
    bool& unsavedChanges_;
    QString& lastDestination_;
    Waiter waiter_;
    Feeder feeder_;
    BusyWait busyWait_;
    bool goOnPastBadImages_ = false;
    int lookAhead_ = 2;
    QThreadPool pool_;
    std::deque<QFuture<EncodedImage>> ahead_;

    // How a taken number is settled for the rest of a run, once the user chose for all.
    enum class Numbering {
        Ask,            // the question comes for each taken number
        OverwriteAll,   // the list's numbers are kept and what has them is replaced
        ContinueAfter,  // each image takes the next number after the highest one
    };

    // Numbering state of one run.
    Numbering numbering_ = Numbering::Ask;
    bool wholeList_ = false;
    // The image at row takes the number row + 1 - numberBase_: the rows written into earlier
    // folders and the bad images gone past (whose numbers are free) do not count.
    int numberBase_ = 0;
    int perFolder_ = dcf::kLastFileNumber;  // the folder's last number before the run moves on
    QString folder_;                        // the folder written now
    int expectedCount_ = 0;
    int firstRow_ = 0;     // the row whose image gets the run's first time
    QDateTime firstTime_;  // the time of that image; each row after it 2 s later
    bool wroteAny_ = false;

    FolderLock folderLock_;
    bool folderBusy_ = false;
    bool stoppedWaiting_ = false;  // the user stopped the run while it waited for the folder

    QList<ImageOutcome> outcomes_;
};
