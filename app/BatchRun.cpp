#include "app/BatchRun.h"

#include <glib.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QTextStream>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>
#include <csignal>
#include <deque>

#include "app/CommandLine.h"
#include "app/ImportDispatch.h"
#include "card/CardCheck.h"
#include "card/CardEject.h"
#include "card/ConvertRun.h"
#include "card/DcfNumbering.h"
#include "card/Destination.h"
#include "core/AppSettings.h"
#include "core/TerminationSignals.h"
#include "core/WorkFolders.h"
#include "core/WorkingList.h"
#include "imaging/ImageLoader.h"
#include "imaging/ImagingSetup.h"
#include "skin/MessageIds.h"
#include "skin/MessageTexts.h"
#include "skin/Prompter.h"
#include "skin/UiTexts.h"
#include "slides/PdfBackend.h"
#include "slides/PresentationBackend.h"
#include "slides/SlideExporter.h"
#include "slides/SlideImport.h"

namespace {

void Print(std::FILE* stream, const QString& text) {
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

// A message of several lines as one line, so that every line of standard error starts with
// the program's name. Japanese sentences follow each other without a space.
QString OneLine(const QString& text) {
    QStringList lines = text.split(u'\n', Qt::SkipEmptyParts);
    for (QString& line : lines) line = line.trimmed();
    const bool japanese = Messages::CurrentLanguage() == Messages::Language::Japanese;
    return lines.join(japanese ? QString() : QStringLiteral(" "));
}

// Where the messages of the libraries and of Qt go during a run.
std::FILE* diagnostics = stderr;

void PrintDiagnostic(const QString& text) {
    Print(diagnostics, QStringLiteral("vimbrelcastor: %1\n").arg(OneLine(text)));
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

// Messages on standard error, one line each; the numbered-conflict question answered by the
// command line's policy, or asked on the terminal.
class TerminalPrompter : public Prompter {
public:
    TerminalPrompter(std::FILE* err, std::optional<int> answer) : err_(err), answer_(answer) {}

    void Info(int id, const QString& argument = QString()) override {
        ClearProgress();
        Print(err_,
              QStringLiteral("vimbrelcastor: %1\n").arg(OneLine(Messages::Format(id, argument))));
        ++messages;
    }

    bool Confirm(int id, const QString& argument = QString()) override {
        ClearProgress();
        Print(err_, QStringLiteral("vimbrelcastor: %1 [y/N] ")
                        .arg(OneLine(Messages::Format(id, argument))));
        const bool yes = ::isatty(STDIN_FILENO) && ReadLine().toLower().startsWith(u'y');
        if (!::isatty(STDIN_FILENO)) Print(err_, QStringLiteral("n\n"));
        return yes;
    }

    int Overwrite(const QString& text, bool saveAllMode) override {
        ClearProgress();
        if (answer_) {
            Print(err_, QStringLiteral("vimbrelcastor: %1 -> %2\n")
                            .arg(OneLine(text), AnswerName(*answer_)));
            return *answer_;
        }
        Print(err_, QStringLiteral("vimbrelcastor: %1\n").arg(OneLine(text)));
        if (!::isatty(STDIN_FILENO)) return overwrite::Cancel;
        for (;;) {
            Print(err_, saveAllMode
                            ? QStringLiteral("  [o]verwrite, overwrite [a]ll, save ne[x]t, "
                                             "[n]o (skip), [c]ancel? ")
                            : QStringLiteral("  [o]verwrite, save ne[x]t, [n]o, [c]ancel? "));
            const QString line = ReadLine().trimmed().toLower();
            if (line.isNull() || line == u"c") return overwrite::Cancel;
            if (line == u"n") return overwrite::No;
            if (line == u"o") return overwrite::Overwrite;
            if (line == u"a" && saveAllMode) return overwrite::OverwriteAll;
            if (line == u"x") return overwrite::SaveNext;
        }
    }

    void Plain(const QString& text) override {
        ClearProgress();
        Print(err_, QStringLiteral("vimbrelcastor: %1\n").arg(OneLine(text)));
    }

    // The policy's answer is the same for every question.
    bool AnswersFixed() const override { return answer_.has_value(); }

    // True when the run shows a progress line (standard error is a terminal).
    bool ShowsProgress() const { return ::isatty(::fileno(err_)); }

    // One progress line that the next message or path overwrites: the count, the total and
    // the file, cut to the terminal's width so that it stays one line (terminals only).
    void Progress(int done, int total, const QString& file) {
        const int fd = ::fileno(err_);
        if (!::isatty(fd)) return;
        winsize window = {};
        const int columns = ::ioctl(fd, TIOCGWINSZ, &window) == 0 && window.ws_col > 0
                                ? window.ws_col
                                : kDefaultColumns;
        QString line = QStringLiteral("  %1 / %2  %3").arg(done).arg(total).arg(file);
        if (line.size() >= columns) line = line.left(std::max(0, columns - 2)) + u'~';
        Print(err_, QStringLiteral("\r\033[K") + line);
        progressShown_ = true;
    }

    void ClearProgress() {
        if (!progressShown_) return;
        Print(err_, QStringLiteral("\r\033[K"));
        progressShown_ = false;
    }

    int messages = 0;

private:
    // The caption of the window's button for the answer.
    static QString AnswerName(int answer) {
        switch (answer) {
            case overwrite::Overwrite:
                return UiTexts::Text("button.overwrite");
            case overwrite::OverwriteAll:
                return UiTexts::Text("button.overwrite_all");
            case overwrite::SaveNext:
                return UiTexts::Text("button.save_next");
            case overwrite::No:
                return UiTexts::Text("button.no");
            default:
                return UiTexts::Text("button.break");
        }
    }

    static QString ReadLine() {
        QTextStream in(stdin);
        return in.readLine();
    }

    std::FILE* err_;
    std::optional<int> answer_;
    bool progressShown_ = false;
    static constexpr int kDefaultColumns = 80;
};

// The images and presentations a path stands for, in order, without loading anything; what
// is not taken is said at once, with its reason.
class CollectingSink : public ImportSink {
public:
    struct Item {
        bool presentation;
        QString path;
        // The entries it adds, for the progress line's total: 0 for an image refused ahead, a
        // PDF's page count, 1 for another presentation until it shows its slides.
        int entries = 1;
    };

    explicit CollectingSink(Prompter& prompter) : prompter_(prompter) {}

    bool StepProgress() override { return true; }
    void LoadImage(const QString& path) override { items.append({false, path}); }
    void QueuePresentation(const QString& path) override { items.append({true, path}); }
    bool ListFull() const override { return false; }
    void Skipped(const QString& path, SkipReason reason) override {
        prompter_.Plain(QStringLiteral("%1: %2").arg(path, SkipReasonText(reason)));
        ++skipped;
    }

    QList<Item> items;
    int skipped = 0;

private:
    Prompter& prompter_;
};

// Images go straight to the loader, presentations are turned into slides on the spot so that
// they keep their place among the images; the run has no Cancel button.
class BatchSink : public ImportSink {
public:
    BatchSink(ImageLoader& loader, WorkingList& list, Prompter& prompter, const WorkSpace& space,
              const AppSettings& settings)
        : loader_(loader), list_(list), prompter_(prompter), space_(space), settings_(settings) {}

    bool StepProgress() override { return true; }
    void LoadImage(const QString& path) override {
        if (loader_.AddImage(path, 0, 0) != 1) ++refused;
    }
    void QueuePresentation(const QString& path) override {
        if (!ReadyForPresentation(path, settings_, space_, prompter_)) {
            ++refused;
            return;
        }
        SlideExporter exporter(MakePresentationBackend(settings_, path), path,
                               settings_.autoExportFolder);
        if (!exporter.OpenPresentation(prompter_)) {
            ++refused;
            return;
        }
        bool unsaved = false;
        SlideImportContext context{exporter, loader_, list_, space_, prompter_, unsaved, nullptr};
        ImportSlides(context);
        // A slide that could not be made ends the import early: the rest counts as refused.
        if (exporter.currentSlide <= exporter.slideCount() && !list_.listFull()) ++refused;
    }
    bool ListFull() const override { return list_.listFull(); }

    int refused = 0;

private:
    ImageLoader& loader_;
    WorkingList& list_;
    Prompter& prompter_;
    const WorkSpace& space_;
    const AppSettings& settings_;
};

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

}  // namespace

int RunBatch(const ProgramOptions& options, std::FILE* out, std::FILE* err) {
    const BatchOptions& batch = options.batch;
    if (batch.askOnConflict && !::isatty(STDIN_FILENO)) {
        Print(err, QStringLiteral("vimbrelcastor: --on-conflict ask needs a terminal\n"));
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
    ConvertSettings convert;
    convert.formatIndex = batch.formatIndex.value_or(settings.formatIndex);
    convert.qualityPosition = batch.qualityPosition.value_or(settings.qualityPosition);
    convert.sizeIndex = batch.sizeIndex.value_or(settings.sizeIndex);
    convert.exifOption = settings.exifOption && !batch.noExif;
    convert.thumbnailOption = settings.thumbnailOption && !batch.noThumbnails;
    if (!batch.cardRoot.isEmpty()) {
        if (!QFileInfo(batch.cardRoot).isDir()) {
            Print(err, QStringLiteral("vimbrelcastor: %1 is not a folder\n").arg(batch.cardRoot));
            return 2;
        }
        const int number = batch.folderNumber != 0 ? batch.folderNumber
                                                   : dcf::FirstFreeFolderNumber(batch.cardRoot);
        // A folder of that number with another suffix is used as it is.
        const QString existing = dcf::ExistingFolderOfNumber(batch.cardRoot, number);
        convert.cardFlag = true;
        convert.destination =
            existing.isEmpty() ? dcf::CardFolder(batch.cardRoot, number) : existing;
        const QString link = LinkOnCardPath(batch.cardRoot, convert.destination);
        if (!link.isEmpty()) {
            prompter.Plain(UiTexts::Text("card.folder_is_link").arg(link));
            return 1;
        }
    } else {
        convert.cardFlag = false;
        convert.destination = QDir::cleanPath(batch.destination);
    }

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
    BatchSink sink(loader, list, prompter, space, settings);

    // The paths are walked first (names only), then each image is imported while the run
    // encodes the ones before it: copying files and encoding overlap.
    CollectingSink collected(prompter);
    for (const QString& path : options.paths) {
        int counter = 0;
        ImportPath(path, counter, ImportMode::Load, &collected);
    }
    std::deque<CollectingSink::Item> queue(collected.items.begin(), collected.items.end());
    // The progress line's total is right from its first line: images that the import will
    // refuse are found ahead by their headers (only where the line is shown: it costs a read).
    if (prompter.ShowsProgress()) {
        for (CollectingSink::Item& item : queue) {
            if (!item.presentation) {
                item.entries = ImageLoader::Examine(item.path).message == 0 ? 1 : 0;
            } else if (PdfBackend::IsPdf(item.path)) {
                item.entries = PdfBackend::PageCount(item.path);
            }
        }
    }
    bool importCut = false;  // the work folder's drive filled up
    const auto feedOne = [&]() -> bool {
        if (queue.empty() || stop) return false;
        if (!space.CheckWorkSpace(prompter)) {
            importCut = true;
            queue.clear();
            return false;
        }
        const CollectingSink::Item item = queue.front();
        queue.pop_front();
        if (item.presentation) {
            sink.QueuePresentation(item.path);
        } else {
            sink.LoadImage(item.path);
        }
        if (list.listFull()) queue.clear();
        return true;
    };
    while (list.isEmpty() && feedOne()) {
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

    bool unsaved = true;
    QString lastDestination;
    ConvertRun run(list, convert, prompter, unsaved, lastDestination);
    run.SetFeeder(feedOne);
    run.SetWaiter([&](QFuture<EncodedImage> future) {
        while (!future.isFinished() && feedOne()) {
        }
        future.waitForFinished();
    });
    // An image that cannot be decoded is reported and passed over; a failure of the
    // destination still ends the run.
    run.SetGoOnPastBadImages(true);
    int expected = list.count();
    for (const CollectingSink::Item& item : queue) expected += item.entries;
    run.SetExpectedCount(expected);
    const bool completed = run.SaveAll(stop, [&](int position, int, const ImageOutcome& outcome) {
        prompter.ClearProgress();
        if (outcome.result == Outcome::Written) Print(out, outcome.path + QLatin1Char('\n'));
        // What is still to be imported counts from the start, so the total is right from
        // the first line.
        int total = list.count();
        for (const CollectingSink::Item& item : queue) total += item.entries;
        prompter.Progress(position, total, DisplayName(list.at(position - 1)));
    });
    prompter.ClearProgress();
    const Tally tally = Count(run.outcomes());
    if (stop) return stopped(tally.written);
    if (run.folderBusy()) return 1;  // said so; nothing was written
    // What the card check found comes before the last line, which counts the images.
    const bool cardClean =
        !convert.cardFlag || ReportCardCheck(cardCheck.result(), batch.cleanCard, prompter);
    const int refused = collected.skipped + sink.refused;
    prompter.Plain(UiTexts::Text("batch.summary")
                       .arg(tally.written)
                       .arg(tally.damaged)
                       .arg(tally.skipped)
                       .arg(refused)
                       .arg(tally.failed));
    const bool allImported = refused == 0 && !importCut && !list.listFull();
    const bool allWritten = completed && tally.failed == 0 && tally.damaged == 0;
    int status = allImported && allWritten && cardClean ? 0 : 1;
    if (batch.eject) {
        const Ejection ejection = EjectCard(batch.cardRoot);
        prompter.Plain(EjectionText(ejection));
        if (ejection.outcome != EjectOutcome::Removable) status = 1;
    }
    return status;
}
