#include "slides/SlideImport.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <functional>

#include "core/AppSettings.h"
#include "core/WorkFolders.h"
#include "core/WorkingList.h"
#include "imaging/CLead.h"
#include "imaging/ImageLoader.h"
#include "skin/MessageIds.h"
#include "slides/LibreOfficeBackend.h"
#include "slides/PresentationBackend.h"
#include "slides/SlideExporter.h"
#include "tests/support/PdfFiles.h"
#include "tests/support/Presentations.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestImages.h"

using namespace testimages;
using namespace testpresentations;

namespace {

bool Near(QColor a, QColor b) {
    return std::abs(a.red() - b.red()) < 24 && std::abs(a.green() - b.green()) < 24 &&
           std::abs(a.blue() - b.blue()) < 24;
}

// An 800 x 600 frame holding a picture of the size fitted, centred, its colour up to its
// edges and black beyond them; the last blend rows and columns of a drawn page may blend.
void ExpectFramed(const QImage& frame, QSize fitted, QColor colour, int blend = 0) {
    ASSERT_EQ(frame.size(), QSize(800, 600));
    const QRect picture(QPoint((800 - fitted.width()) / 2, (600 - fitted.height()) / 2), fitted);
    const QRect inside = picture.adjusted(0, 0, -blend, -blend);
    for (QPoint p :
         {inside.topLeft(), inside.bottomRight(), inside.center(), QPoint(inside.left(), 300),
          QPoint(inside.right(), 300), QPoint(400, inside.top()), QPoint(400, inside.bottom())}) {
        EXPECT_TRUE(Near(frame.pixelColor(p), colour)) << p.x() << "," << p.y();
    }
    const QRect beyond = picture.adjusted(-1, -1, 1 + blend, 1 + blend);
    QList<QPoint> bars;
    if (picture.left() > 0) bars << QPoint(beyond.left(), 300) << QPoint(beyond.right(), 300);
    if (picture.top() > 0) bars << QPoint(400, beyond.top()) << QPoint(400, beyond.bottom());
    for (QPoint p : bars)
        EXPECT_TRUE(Near(frame.pixelColor(p), Qt::black)) << p.x() << "," << p.y();
}

// The size a slide of each shape is exported at, and the size of its picture in the frame (the
// PDF pages and the LibreOffice deck below show it framed).
TEST(SlideImport, EachShapeIsExportedAndFittedWithoutRounding) {
    struct Case {
        float w, h;
        QSize exported;
        QSize fitted;  // in the 800 x 600 frame
    } const cases[] = {
        {720, 540, {2048, 1536}, {800, 600}},   // 4:3
        {1280, 720, {2048, 1152}, {800, 450}},  // 16:9
        {540, 720, {1151, 1536}, {450, 600}},   // 3:4: r is a little above 4/3 in single precision
        {600, 600, {2048, 2048}, {600, 600}},   // square: the landscape branch
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QString("%1x%2").arg(c.w).arg(c.h).toStdString());
        const ExportSize size = SlideExportSize(c.w, c.h);
        EXPECT_EQ(QSize(size.width, size.height), c.exported);
        EXPECT_EQ(FittedSlideSize(size, 800, 600), c.fitted);
    }
    EXPECT_EQ(SlideFileName("/talks/talk.ppt", 7, "bmp"), "talk0007.bmp");
    EXPECT_EQ(SlideFileName("/talks/my deck.pptx", 12345, "bmp"), "my deck12345.bmp");
}

// A presentation program that draws slide n in its own colour and fails where it is told to.
// What it was asked to do goes into a log the test keeps, since the exporter owns the backend.
class ScriptedBackend : public PresentationBackend {
public:
    struct Log {
        QList<int> exported;  // the slides it was asked to write, in order
        int closed = 0;
    };
    struct Faults {
        int sizeUnreadableAt = 0;  // the page size of this slide cannot be read
        int exportFailsAt = 0;     // this slide is not written
        int noPictureAt = 0;       // this slide is written as bytes that are no picture
    };

    ScriptedBackend(int slides, Faults faults, Log& log)
        : slides_(slides), faults_(faults), log_(log) {}

    static QColor SlideColour(int n) { return QColor::fromHsv(n * 60 % 360, 255, 255); }

    OpenResult Open(const QString&, const QString&) override { return OpenResult::Opened; }
    int SlideCount() const override { return slides_; }
    QSizeF SlideSize(int n) const override {
        return n == faults_.sizeUnreadableAt ? QSizeF() : QSizeF(720, 540);
    }
    bool ExportSlide(int n, int width, int height, const QString& file) override {
        log_.exported.append(n);
        if (n == faults_.exportFailsAt) return false;
        if (n == faults_.noPictureAt) {
            WriteBytes(file, "half a picture");
            return true;
        }
        // A 24-bit bitmap, as the real program writes.
        QImage picture(width, height, QImage::Format_RGB888);
        picture.fill(SlideColour(n));
        WriteBmp(picture, file);
        return true;
    }
    void Close() override { ++log_.closed; }

private:
    int slides_;
    Faults faults_;
    Log& log_;
};

// Stops the run after a number of slides, as Cancel pressed during slide k does.
class CountingProgress : public SlideProgress {
public:
    explicit CountingProgress(int stopAfter = 1 << 30) : stopAfter_(stopAfter) {}
    void Start(int count) override { started = count; }
    void Step() override { ++steps; }
    bool CancelRequested() override { return steps >= stopAfter_; }
    int started = -1;
    int steps = 0;

private:
    int stopAfter_;
};

// One presentation import's surroundings: the work and export folders, the list, the loader
// and the prompter.
class SlideImportFixture : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testimages::EnsureCoreApplication(); }

    SlideImportFixture() {
        QDir().mkpath(work);
        EnsurePrivateFolder(work);
        EnsurePrivateFolder(exportFolder);
    }

    // Opens and imports a presentation; false when it could not be opened.
    bool Import(std::unique_ptr<PresentationBackend> backend, const QString& path,
                CountingProgress* progress = nullptr) {
        SlideExporter exporter(std::move(backend), path, exportFolder);
        if (!exporter.OpenPresentation(prompter)) return false;
        SlideImportContext context{exporter, loader, list, space, prompter, unsaved, progress};
        ImportSlides(context);
        return true;
    }

    QImage Frame(int row) const {
        CLead lead;
        lead.LoadImage(list.at(row).workPath);
        return lead.ToQImage();
    }

    QString In(const QString& name) const { return temp.filePath(name); }

    QTemporaryDir temp;
    // Blanks and Japanese in the work path reach LibreOffice as a URL: they must be encoded.
    QString work = temp.filePath("work folder 作業");
    QString exportFolder = work + "/autoexport";
    WorkingList list;
    ScriptedPrompter prompter;
    ImageLoader loader{list, prompter, work};
    std::function<quint64()> freeBytes = [] { return 10ull << 30; };
    WorkSpace space{QDir::tempPath(), [this] { return freeBytes(); }};
    bool unsaved = false;
};

// An import through the scripted presentation program that fails, fills the work folder or
// the list, or is cancelled part way: slides 1 to added end in the list, 1 to exported were
// asked for.
struct ScriptedImport {
    const char* name;
    int slides;
    ScriptedBackend::Faults faults;
    int added;
    int exported;
    int id = 0;                      // the message, if any
    int freeSpaceChecksPassed = -1;  // -1: the work folder never fills
    int listHeldBefore = 0;
    const char* leftInExportFolder = "";
    int cancelAfter = 0;  // Cancel pressed during this slide
};

void PrintTo(const ScriptedImport& c, std::ostream* out) {
    *out << c.name;
}

class ScriptedImportTest : public SlideImportFixture,
                           public ::testing::WithParamInterface<ScriptedImport> {};

TEST_P(ScriptedImportTest, StopsWhereItFailsAndKeepsTheSlidesBeforeIt) {
    const ScriptedImport& c = GetParam();
    list.ReplaceEntries(QList<ImageEntry>(c.listHeldBefore));
    int checks = 0;
    freeBytes = [&] {
        const bool room = c.freeSpaceChecksPassed < 0 || checks++ < c.freeSpaceChecksPassed;
        return room ? 10ull << 30 : 0ull;
    };
    ScriptedBackend::Log log;
    CountingProgress progress(c.cancelAfter);
    ASSERT_TRUE(Import(std::make_unique<ScriptedBackend>(c.slides, c.faults, log), In("deck.pptx"),
                       c.cancelAfter ? &progress : nullptr));

    EXPECT_EQ(log.closed, 1) << "the presentation is ended by the run";
    QList<int> exported;
    for (int slide = 1; slide <= c.exported; ++slide) exported << slide;
    EXPECT_EQ(log.exported, exported);
    EXPECT_EQ(prompter.Ids(), c.id ? QList<int>{c.id} : QList<int>{});
    ASSERT_EQ(list.count(), c.listHeldBefore + c.added);
    for (int slide = 1; slide <= c.added; ++slide) {
        const ImageEntry& entry = list.at(c.listHeldBefore + slide - 1);
        EXPECT_EQ(QFileInfo(entry.sourcePath).fileName(), SlideFileName("deck", slide, "bmp"));
        EXPECT_EQ(QPair(entry.originFlagA, entry.originFlagB), QPair(1, 1));
        const QColor shown = PixelAt(entry.workPath, 400, 300);
        EXPECT_NEAR(shown.hue(), ScriptedBackend::SlideColour(slide).hue(), 8) << slide;
    }
    EXPECT_EQ(unsaved, c.added > 0);
    // One work copy for each slide added, and no export file of a slide that went through.
    EXPECT_EQ(QDir(work).entryList(QDir::Files).size(), c.added);
    EXPECT_EQ(QDir(exportFolder).entryList(QDir::Files).join(' '), c.leftInExportFolder);
}

using namespace msg;
const ScriptedImport kScriptedImports[] = {
    {"whole_deck", 4, {}, 4, 4},
    {"no_slides", 0, {}, 0, 0},
    {"size_of_3_unreadable_gives_134", 4, {.sizeUnreadableAt = 3}, 2, 2, SlidesDisplayFailed},
    {"export_of_3_fails_gives_135", 4, {.exportFailsAt = 3}, 2, 3, SlidesLoadFailed},
    // The file the program could not read stays until the work folders are cleaned.
    {.name = "2_no_picture_gives_135",
     .slides = 4,
     .faults = {.noPictureAt = 2},
     .added = 1,
     .exported = 2,
     .id = SlidesLoadFailed,
     .leftInExportFolder = "deck0002.bmp"},
    {"work_folder_full_before_3_gives_141", 4, {}, 2, 2, NotEnoughSpace, 2},
    {"cancel_during_2_keeps_1_and_2", 4, {}, 2, 2, 0, -1, 0, "", 2},
    {"list_full_at_2_gives_123_once", 4, {}, 1, 2, TooManyImages, -1, WorkingList::kMaxEntries - 1},
};
INSTANTIATE_TEST_SUITE_P(Slides, ScriptedImportTest, ::testing::ValuesIn(kScriptedImports),
                         [](const auto& info) { return std::string(info.param.name); });

class LibreOfficeImportTest : public SlideImportFixture {
protected:
    void SetUp() override {
        if (Soffice().isEmpty()) GTEST_SKIP() << "LibreOffice is not installed";
    }

    bool Import(const QString& path, CountingProgress* progress = nullptr) {
        return SlideImportFixture::Import(
            std::make_unique<LibreOfficeBackend>(Soffice(), QDir(work).filePath("profile"), 180000),
            path, progress);
    }
};

// The framing of every shape is the exporter's and the origin flags the import's (above); here
// the real program exports a 16:9 deck's slides, which come in framed and in order.
TEST_F(LibreOfficeImportTest, ADeckImportsFramedSlidesInOrder) {
    const QString flat = temp.filePath("sixteen_nine.fodp");
    WriteFlatPresentation(flat, 28.0, 15.75, {Qt::red, Qt::green});
    const QString deck = Convert(flat, "pptx", temp.filePath("decks"));
    ASSERT_FALSE(deck.isEmpty());
    CountingProgress progress;
    ASSERT_TRUE(Import(deck, &progress));
    EXPECT_EQ(progress.started, 2);
    ASSERT_EQ(list.count(), 2);
    EXPECT_TRUE(list.at(1).sourcePath.endsWith("sixteen_nine0002.bmp"));
    ExpectFramed(Frame(0), {800, 450}, Qt::red, 1);
    ExpectFramed(Frame(1), {800, 450}, Qt::green, 1);
    // The export files are gone; only the work copies stay.
    EXPECT_TRUE(QDir(exportFolder).entryList(QDir::Files).isEmpty());
    EXPECT_TRUE(prompter.records.isEmpty());
}

TEST_F(LibreOfficeImportTest, RefusedFilesGive133AndNoProgramGives115) {
    const QString damaged = temp.filePath("damaged.pptx");
    WriteBytes(damaged, QByteArray("PK\x03\x04 broken zip", 16));
    EXPECT_FALSE(Import(damaged));
    EXPECT_EQ(prompter.Ids(), QList<int>{msg::WrongPresentation});
    EXPECT_EQ(prompter.records[0].argument, damaged);

    prompter.records.clear();
    SlideExporter none(std::make_unique<LibreOfficeBackend>(QString(), work, 1000), damaged,
                       exportFolder);
    EXPECT_FALSE(none.OpenPresentation(prompter));
    EXPECT_EQ(prompter.Ids(), QList<int>{msg::PresentationAppMissing});
    EXPECT_EQ(list.count(), 0);
}

// PDF files as presentations: every page a slide, drawn from the file itself.
class PdfSlidesTest : public SlideImportFixture {
protected:
    // Imports the file as the window and the batch run do; false when it was refused.
    bool ImportFile(const QString& path) {
        AppSettings settings;
        settings.workFolder = work;
        settings.autoExportFolder = exportFolder;
        if (!ReadyForPresentation(path, settings, space, prompter)) return false;
        return Import(MakePresentationBackend(settings, path), path);
    }
};

// Each page in the 800 x 600 frame as a slide of the same shape is: scaled to fit, centred on
// black, its colour up to its edges and not beyond.
TEST_F(PdfSlidesTest, EveryPageBecomesAFramedSlideInOrder) {
    const QString pdf = In("talk 発表.PDF");
    testpdf::WritePdf(pdf,
                      {{{720, 540}, Qt::red}, {{1280, 720}, Qt::green}, {{540, 720}, Qt::blue}});
    const QByteArray before = ReadBytes(pdf);
    ASSERT_TRUE(ImportFile(pdf));
    EXPECT_TRUE(prompter.records.isEmpty());
    ASSERT_EQ(list.count(), 3);
    const QColor colours[] = {Qt::red, Qt::green, Qt::blue};
    const QSize fitted[] = {{800, 600}, {800, 450}, {450, 600}};
    for (int row = 0; row < 3; ++row) {
        SCOPED_TRACE(row + 1);
        const ImageEntry& slide = list.at(row);
        EXPECT_EQ(QFileInfo(slide.sourcePath).fileName(),
                  QStringLiteral("talk 発表%1.bmp").arg(row + 1, 4, 10, QLatin1Char('0')));
        ExpectFramed(Frame(row), fitted[row], colours[row], 1);
    }
    // The user's file is as it was; nothing of the import is left but the work copies.
    EXPECT_EQ(ReadBytes(pdf), before);
    EXPECT_TRUE(QDir(exportFolder).isEmpty());
}

// A file the PDF loader cannot read whole is refused as the PDF it is, with its path, and adds
// nothing: one without its end, one without its header, and one with both that the loader
// cannot parse.
TEST_F(PdfSlidesTest, ADamagedPdfIsNamedAndAddsNothing) {
    const QString whole = In("whole.pdf");
    testpdf::WritePdf(whole, {{{720, 540}, Qt::red}, {{720, 540}, Qt::green}});
    const QByteArray bytes = ReadBytes(whole);
    const struct Case {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        {"cut_in_half.pdf", bytes.left(bytes.size() / 2)},
        {"not_a_pdf.pdf", "just some notes with the wrong name\n"},
        {"unparsable.pdf", "%PDF-1.4\nno objects at all\n%%EOF\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        prompter.records.clear();
        const QString path = In(c.name);
        WriteBytes(path, c.bytes);
        EXPECT_FALSE(ImportFile(path));
        ASSERT_EQ(prompter.records.size(), 1);
        EXPECT_EQ(prompter.records[0].text,
                  "Designated file \"" + path +
                      "\" is a PDF that cannot be read: it is damaged, cut short, or protected by "
                      "a password.");
        EXPECT_EQ(list.count(), 0);
        EXPECT_TRUE(QDir(exportFolder).isEmpty());
    }
}

}  // namespace
