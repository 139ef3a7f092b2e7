// PDF files as presentations: every page a slide, drawn from the file itself.
#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include "core/AppSettings.h"
#include "core/WorkFolders.h"
#include "core/WorkingList.h"
#include "imaging/CLead.h"
#include "imaging/ImageLoader.h"
#include "skin/MessageIds.h"
#include "slides/PresentationBackend.h"
#include "slides/SlideExporter.h"
#include "slides/SlideImport.h"
#include "tests/support/PdfFiles.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestImages.h"

using namespace testimages;

namespace {

bool Near(QColor a, QColor b) {
    return std::abs(a.red() - b.red()) < 24 && std::abs(a.green() - b.green()) < 24 &&
           std::abs(a.blue() - b.blue()) < 24;
}

class PdfSlidesTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "slides_tests";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
    }

    PdfSlidesTest() {
        settings.workFolder = QDir(temp.path()).filePath("work");
        settings.autoExportFolder = QDir(settings.workFolder).filePath("autoexport");
        EnsurePrivateFolder(settings.workFolder);
        EnsurePrivateFolder(settings.autoExportFolder);
    }

    // Imports the file as the window and the batch run do; false when it was refused.
    bool Import(const QString& path) {
        if (!ReadyForPresentation(path, settings, space, prompter)) return false;
        SlideExporter exporter(MakePresentationBackend(settings, path), path,
                               settings.autoExportFolder);
        if (!exporter.OpenPresentation(prompter)) return false;
        SlideImportContext context{exporter, loader, list, space, prompter, unsaved, nullptr};
        ImportSlides(context);
        return true;
    }

    QImage Frame(int row) const {
        CLead lead;
        lead.LoadImage(list.at(row).workPath);
        return lead.ToQImage();
    }

    QString In(const QString& name) const { return QDir(temp.path()).filePath(name); }

    QTemporaryDir temp;
    AppSettings settings;
    WorkingList list;
    ScriptedPrompter prompter;
    ImageLoader loader{list, prompter, QDir(temp.path()).filePath("work")};
    WorkSpace space{QDir::tempPath(), [] { return 10ull << 30; }};
    bool unsaved = false;
};

// Each page in the 800 x 600 frame as a slide of the same shape is: scaled to fit, centred on
// black, its colour up to its edges and not beyond.
TEST_F(PdfSlidesTest, EveryPageBecomesAFramedSlideInOrder) {
    const QString pdf = In("talk 発表.PDF");
    testpdf::WritePdf(pdf, {{{720, 540}, Qt::red},     // 4:3: the whole frame
                            {{1280, 720}, Qt::green},  // 16:9: 800 x 450, bars above and below
                            {{540, 720}, Qt::blue}});  // 3:4: 450 x 600, bars left and right
    const QByteArray before = ReadBytes(pdf);
    ASSERT_TRUE(Import(pdf));
    EXPECT_TRUE(prompter.records.isEmpty());
    ASSERT_EQ(list.count(), 3);
    struct Expect {
        QColor colour;
        QList<QPoint> inside, outside;
    } const expected[] = {
        {Qt::red, {{0, 0}, {799, 599}, {400, 300}}, {}},
        {Qt::green, {{400, 75}, {400, 524}, {0, 300}, {799, 300}}, {{400, 73}, {400, 526}}},
        {Qt::blue, {{175, 300}, {624, 300}, {400, 0}, {400, 599}}, {{173, 300}, {626, 300}}},
    };
    for (int row = 0; row < 3; ++row) {
        SCOPED_TRACE(row + 1);
        const ImageEntry& slide = list.at(row);
        EXPECT_EQ(QFileInfo(slide.sourcePath).fileName(),
                  QStringLiteral("talk 発表%1.bmp").arg(row + 1, 4, 10, QLatin1Char('0')));
        EXPECT_EQ(slide.originFlagA, 1);
        EXPECT_EQ(slide.originFlagB, 1);
        const QImage frame = Frame(row);
        ASSERT_EQ(frame.size(), QSize(800, 600));
        for (QPoint p : expected[row].inside) {
            EXPECT_TRUE(Near(frame.pixelColor(p), expected[row].colour)) << p.x() << "," << p.y();
        }
        for (QPoint p : expected[row].outside) {
            EXPECT_TRUE(Near(frame.pixelColor(p), Qt::black)) << p.x() << "," << p.y();
        }
    }
    EXPECT_TRUE(unsaved);
    // The user's file is as it was; nothing of the import is left but the work copies.
    EXPECT_EQ(ReadBytes(pdf), before);
    EXPECT_TRUE(QDir(settings.autoExportFolder).isEmpty());
}

// A file the PDF loader cannot read whole is refused with its path, and adds nothing.
TEST_F(PdfSlidesTest, ADamagedOrProtectedPdfGives133AndAddsNothing) {
    const QString whole = In("whole.pdf");
    testpdf::WritePdf(whole, {{{720, 540}, Qt::red}, {{720, 540}, Qt::green}});
    const QByteArray bytes = ReadBytes(whole);
    struct Case {
        const char* name;
        QByteArray bytes;  // empty: written by the case itself
    } const cases[] = {
        {"cut_in_half.pdf", bytes.left(bytes.size() / 2)},
        {"end_cut_off.pdf", bytes.left(bytes.size() - 8)},
        {"not_a_pdf.pdf", "just some notes with the wrong name\n"},
        {"header_overwritten.pdf", QByteArray(64, 'x') + bytes.mid(64)},
        {"password.pdf", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        prompter.records.clear();
        const QString path = In(c.name);
        if (c.bytes.isEmpty()) {
            testpdf::WriteProtectedPdf(path, "secret");
        } else {
            WriteBytes(path, c.bytes);
        }
        EXPECT_FALSE(Import(path));
        EXPECT_EQ(prompter.Ids(), QList<int>{msg::WrongPresentation});
        if (!prompter.records.isEmpty()) {
            EXPECT_EQ(prompter.records[0].argument, path);
        }
        EXPECT_EQ(list.count(), 0);
        EXPECT_TRUE(QDir(settings.autoExportFolder).isEmpty());
    }
}

}  // namespace
