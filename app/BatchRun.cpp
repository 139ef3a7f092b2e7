#include "app/BatchRun.h"

#include <glib.h>
#include <unistd.h>

#include <QDir>
#include <QtConcurrent/QtConcurrentRun>
#include <csignal>

#include "app/BatchDestination.h"
#include "app/BatchImport.h"
#include "app/CommandLine.h"
#include "app/TerminalPrompter.h"
#include "card/CardCheck.h"
#include "card/CardEject.h"
#include "card/ConvertRun.h"
#include "core/AppSettings.h"
#include "core/TerminationSignals.h"
#include "core/WorkFolders.h"
#include "core/WorkingList.h"
#include "imaging/ImageLoader.h"
#include "imaging/ImagingSetup.h"
#include "skin/MessageIds.h"
#include "skin/UiTexts.h"

namespace {

// Where the messages of the libraries and of Qt go during a run.
std::FILE* diagnostics = stderr;

void PrintDiagnostic(const QString& text) {
    TerminalPrompter::Print(
        diagnostics, QStringLiteral("vimbrelcastor: %1\n").arg(TerminalPrompter::OneLine(text)));
}

// What the libraries log keeps to one line that names the program. The imaging libraries'
// warnings reach this far only with --verbose: what they are about is reported for each image,
// in the user's language.
GLogWriterOutput WriteLibraryMessage(GLogLevelFlags level, const GLogField* fields, gsize count,
                                     gpointer) {
    const char* domain = nullptr;
    QString message;
    for (gsize i = 0; i < count; ++i) {
        if (qstrcmp(fields[i].key, "GLIB_DOMAIN") == 0) {
            domain = static_cast<const char*>(fields[i].value);
        } else if (qstrcmp(fields[i].key, "MESSAGE") == 0) {
            message = QString::fromUtf8(static_cast<const char*>(fields[i].value));
        }
    }
    if (g_log_writer_default_would_drop(level, domain)) return G_LOG_WRITER_HANDLED;
    PrintDiagnostic(message);
    return G_LOG_WRITER_HANDLED;
}

void WriteQtMessage(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtDebugMsg || type == QtInfoMsg) return;
    PrintDiagnostic(message);
}

void RouteLibraryMessages(std::FILE* err) {
    diagnostics = err;
    g_log_set_writer_func(WriteLibraryMessage, nullptr, nullptr);
    qInstallMessageHandler(WriteQtMessage);
}

QString SignalName(int signal) {
    switch (signal) {
        case SIGTERM:
            return QStringLiteral("SIGTERM");
        case SIGINT:
            return QStringLiteral("SIGINT");
        default:
            return QStringLiteral("signal %1").arg(signal);
    }
}

// What became of the images of a run, for its last line.
struct Tally {
    int written = 0;
    int damaged = 0;
    int skipped = 0;
    int failed = 0;
};

Tally Count(const QList<ImageOutcome>& outcomes) {
    Tally tally;
    for (const ImageOutcome& outcome : outcomes) {
        switch (outcome.result) {
            case Outcome::Written:
                ++tally.written;
                if (outcome.damaged) ++tally.damaged;
                break;
            case Outcome::Skipped:
                ++tally.skipped;
                break;
            case Outcome::Failed:
                ++tally.failed;
                break;
        }
    }
    return tally;
}

// What the card check found, told a line each; with --clean-card removed. False when something
// could not be removed.
bool ReportCardCheck(const CardCheck& check, bool clean, Prompter& prompter) {
    if (check.foreignFileSystem) prompter.Plain(FileSystemWarning(check));
    const QStringList found = FoundLines(check);
    for (const QString& line : found) prompter.Plain(line);
    if (found.isEmpty()) return true;
    if (!clean) {
        prompter.Plain(UiTexts::Text("check.remove_batch"));
        return true;
    }
    const QStringList failed = RemoveFound(check);
    prompter.Plain(UiTexts::Text(failed.isEmpty() ? "check.removed" : "check.not_removed"));
    for (const QString& path : failed.isEmpty() ? check.leftovers + check.playlists : failed) {
        prompter.Plain(QStringLiteral("  ") + path);
    }
    return failed.isEmpty();
}

// The conversion the command line asks for; the destination is chosen apart.
ConvertSettings BatchConvertSettings(const BatchOptions& batch, const AppSettings& settings) {
    ConvertSettings convert = ConvertSettingsOf(settings);
    convert.formatIndex = batch.formatIndex.value_or(settings.formatIndex);
    convert.qualityPosition = batch.qualityPosition.value_or(settings.qualityPosition);
    convert.sizeIndex = batch.sizeIndex.value_or(settings.sizeIndex);
    convert.fill = batch.fill.value_or(settings.fill);
    convert.exifOption = settings.exifOption && !batch.noExif;
    convert.thumbnailOption = settings.thumbnailOption && !batch.noThumbnails;
    convert.filesPerFolder = batch.filesPerFolder.value_or(settings.filesPerFolder);
    return convert;
}

// What the convert run did with the list.
struct Written {
    bool completed;   // it reached the end of the list
    bool folderBusy;  // another run was writing into the folder: nothing was written
    Tally tally;
};

// Writes the list in order while the import feeds it, each written path a line on out.
Written WriteList(WorkingList& list, const ConvertSettings& convert, TerminalPrompter& prompter,
                  BatchImport& import, const std::atomic<bool>& stop, std::FILE* out) {
    bool unsaved = true;
    QString lastDestination;
    ConvertRun run(list, convert, prompter, unsaved, lastDestination);
    run.SetFeeder([&] { return import.FeedOne(stop); });
    run.SetWaiter([&](QFuture<EncodedImage> future) {
        while (!future.isFinished() && import.FeedOne(stop)) {
        }
        future.waitForFinished();
    });
    // An image that cannot be decoded is reported and passed over; a failure of the
    // destination still ends the run.
    run.SetGoOnPastBadImages(true);
    run.SetExpectedCount(list.count() + import.entriesAhead());
    const bool completed = run.SaveAll(stop, [&](int position, int, const ImageOutcome& outcome) {
        prompter.ClearProgress();
        if (outcome.result == Outcome::Written) {
            TerminalPrompter::Print(out, outcome.path + QLatin1Char('\n'));
        }
        // What is still to be imported counts from the start, so the total is right from
        // the first line.
        prompter.Progress(position, list.count() + import.entriesAhead(),
                          DisplayName(list.at(position - 1)));
    });
    prompter.ClearProgress();
    return Written{completed, run.folderBusy(), Count(run.outcomes())};
}

// The run's last lines: what the card check found, the count of the images, and the card
// ejected when asked. Returns the exit status.
int FinishBatch(const BatchOptions& batch, const ConvertSettings& convert,
                const QFuture<CardCheck>& cardCheck, TerminalPrompter& prompter, const Tally& tally,
                int refused, bool allImported, bool completed) {
    // What the card check found comes before the last line, which counts the images.
    const bool cardClean =
        !convert.cardFlag || ReportCardCheck(cardCheck.result(), batch.cleanCard, prompter);
    prompter.Plain(UiTexts::Text("batch.summary")
                       .arg(tally.written)
                       .arg(tally.damaged)
                       .arg(tally.skipped)
                       .arg(refused)
                       .arg(tally.failed));
    const bool allWritten = completed && tally.failed == 0 && tally.damaged == 0;
    int status = allImported && allWritten && cardClean ? 0 : 1;
    if (batch.eject) {
        const Ejection ejection = EjectCard(batch.cardRoot);
        prompter.Plain(EjectionText(ejection));
        if (ejection.outcome != EjectOutcome::Removable) status = 1;
    }
    return status;
}

}  // namespace

int RunBatch(const ProgramOptions& options, std::FILE* out, std::FILE* err) {
    const BatchOptions& batch = options.batch;
    if (batch.askOnConflict && !::isatty(STDIN_FILENO)) {
        TerminalPrompter::Print(
            err, QStringLiteral("vimbrelcastor: --on-conflict ask needs a terminal\n"));
        return 2;
    }
    std::optional<int> answer = batch.conflictAnswer;
    if (!answer && !batch.askOnConflict && !::isatty(STDIN_FILENO)) answer = overwrite::Cancel;
    TerminalPrompter prompter(err, answer);
    RouteLibraryMessages(err);

    if (!StartImaging()) {
        prompter.Info(msg::InstallFailed);
        return 1;
    }

    AppSettings settings;
    ResetSettings(settings);
    ConvertSettings convert = BatchConvertSettings(batch, settings);
    if (const int status = ChooseBatchDestination(batch, convert, prompter, err)) return status;

    // The card is looked at while the run writes; what was found is told at the end.
    QFuture<CardCheck> cardCheck;
    if (convert.cardFlag) {
        cardCheck = QtConcurrent::run(&CheckCard, batch.cardRoot, convert.destination);
    }

    // SIGTERM and SIGINT stop the run after the image being written; the work folder goes
    // and no temporary file stays on the card.
    TerminationSignals::Install();
    const std::atomic<bool>& stop = TerminationSignals::Flag();

    // What killed runs left in the temporary folder goes first. Then the work copies of this
    // run only, so that a window open at the same time keeps its own.
    const QString tempPath = QDir::tempPath();
    RemoveStaleWorkFolders(tempPath);
    const RunWorkFolder work(tempPath);
    if (!work.isValid()) {
        prompter.Plain(UiTexts::Text("batch.no_work_folder").arg(tempPath));
        return 1;
    }
    const WorkSpace space(tempPath);
    settings.workFolder = work.path();
    settings.autoExportFolder = QDir(work.path()).filePath(QStringLiteral("autoexport"));
    WorkingList list;
    ImageLoader loader(list, prompter, work.path());

    // The paths are walked first (names only), then each image is imported while the run
    // encodes the ones before it: copying files and encoding overlap.
    BatchImport import(options.paths, loader, list, prompter, space, settings);
    // The progress line's total is right from its first line (only where the line is shown:
    // it costs a read).
    if (prompter.ShowsProgress()) import.CountAhead();
    while (list.isEmpty() && import.FeedOne(stop)) {
    }
    const auto stopped = [&](int written) {
        prompter.ClearProgress();
        const int signal = TerminationSignals::Received();
        prompter.Plain(UiTexts::Text("batch.stopped").arg(SignalName(signal)).arg(written));
        return 128 + signal;
    };
    if (stop) return stopped(0);
    if (list.isEmpty()) {
        prompter.Info(msg::NoImages);
        return 1;
    }

    const Written written = WriteList(list, convert, prompter, import, stop, out);
    const Tally& tally = written.tally;
    if (stop) return stopped(tally.written);
    if (written.folderBusy) return 1;  // said so; nothing was written
    const bool allImported = import.refused() == 0 && !import.cut() && !list.listFull();
    return FinishBatch(batch, convert, cardCheck, prompter, tally, import.refused(), allImported,
                       written.completed);
}
