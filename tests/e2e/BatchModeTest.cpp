#include "ProgramFixture.h"
#include "tests/support/PdfFiles.h"

using namespace testimages;

namespace {

bool Near(QColor a, QColor b) {
    return std::abs(a.red() - b.red()) < 40 && std::abs(a.green() - b.green()) < 40 &&
           std::abs(a.blue() - b.blue()) < 40;
}

bool HasThumbnail(const QString& path) {
    return RunTool("exiftool", {"-s", "-ThumbnailLength", path}).contains("ThumbnailLength");
}

class BatchModeTest : public ProgramFixture {
protected:
    // The profile names a stand-in LibreOffice that notes what it was started with in mark and
    // refuses every file; one on the PATH must not be taken instead.
    void UseStandInLibreOffice() {
        const QString fake = temp.filePath("fake soffice");
        WriteBytes(fake,
                   QStringLiteral("#!/bin/sh\necho \"$@\" >> '%1'\nexit 1\n").arg(mark).toUtf8());
        QFile(fake).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QDir().mkpath(temp.filePath("config/Kestrovia"));
        WriteBytes(temp.filePath("config/Kestrovia/QVN.conf"),
                   QStringLiteral("[LibreOffice]\nPath=%1\n").arg(fake).toUtf8());
    }

    QString mark = temp.filePath("asked");
};

TEST_F(BatchModeTest, EachRunTakesTheNextFreeFolderUnlessAFolderIsGiven) {
    WriteJpeg(Solid(320, 240, Qt::red), In("a.jpg"));
    ASSERT_EQ(RunOnCard({in}).exitCode, 0);
    ASSERT_EQ(RunOnCard({in}).exitCode, 0);
    EXPECT_EQ(QDir(QDir(card).filePath("DCIM")).entryList(QDir::Dirs | QDir::NoDotAndDotDot),
              (QStringList{"100RODIV", "101RODIV"}));
    // Into a given folder, a taken number is settled by the policy; the question and its
    // answer are one line, its English sentences a space apart.
    const ProgramRun next = RunOnCard({"--folder", "100", "--on-conflict", "next", in});
    EXPECT_EQ(next.exitCode, 0) << next.err.toStdString();
    EXPECT_EQ(next.out, QStringList{folder + "/DUVU0002.JPG"});
    EXPECT_TRUE(next.err.contains("already exists. Are you sure")) << next.err.toStdString();
    // Without a terminal and without a policy, a taken number is never overwritten.
    const ProgramRun cancel = RunOnCard({"--folder", "100", in});
    EXPECT_EQ(cancel.exitCode, 1);
    EXPECT_TRUE(cancel.out.isEmpty());
    // --per-folder reaches the run: one image a folder, each in the next free one.
    const ProgramRun perFolder =
        RunOnCard({"--per-folder", "1", Images("two", 2, [](int) { return Qt::red; })});
    EXPECT_EQ(perFolder.out, (QStringList{card + "/DCIM/102RODIV/DUVU0001.JPG",
                                          card + "/DCIM/103RODIV/DUVU0001.JPG"}));
}

// --format, --size and --fill reach the run: a portrait photo as a PNG of the size asked for,
// its sides in the colour given.
TEST_F(BatchModeTest, PlainFolderPngSizeFillAndJapaneseMessages) {
    WriteJpeg(Solid(600, 800, QColor(230, 120, 40)), In("a.jpg"));
    WriteBytes(In("b.jpg"), "broken");
    const QString dest = temp.filePath("出力 folder");
    const ProgramRun result = Run({"--batch", "--dest", dest, "--format", "png", "--size", "xga",
                                   "--fill", "#2040FF", "--lang", "ja", in});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.err.contains("は正常なイメージファイルではありません。"))
        << result.err.toStdString();
    EXPECT_EQ(result.out, QStringList{QDir(dest).filePath("DUVU0001.PNG")});
    const vips::VImage image =
        vips::VImage::new_from_file(QFile::encodeName(QDir(dest).filePath("DUVU0001.PNG")));
    EXPECT_EQ(image.width(), 1024);
    EXPECT_EQ(image.height(), 768);
    EXPECT_EQ(PixelAt(image, 40, 384).name(), "#2040ff");
}

// A PDF's pages are slides drawn from the file itself, in their place among the photos; the
// LibreOffice of the profile, a stand-in, is started for the other presentation alone. Slides
// get a thumbnail even where --no-thumbnails leaves it off the photos.
TEST_F(BatchModeTest, APdfBecomesItsPagesWithoutLibreOffice) {
    UseStandInLibreOffice();
    WriteJpeg(Solid(320, 240, Qt::yellow), In("a.jpg"));
    testpdf::WritePdf(In("b talk.pdf"),
                      {{{720, 540}, Qt::red}, {{1280, 720}, Qt::green}, {{540, 720}, Qt::blue}});
    WriteBytes(In("c cut.pdf"), ReadBytes(In("b talk.pdf")).left(300));
    WriteBytes(In("d talk.pptx"), "not really a presentation");

    const ProgramRun result =
        Run({"--batch", "--dest", temp.filePath("out"), "--no-thumbnails", "--lang", "en", in});
    const QString started = QString::fromUtf8(ReadBytes(mark));
    EXPECT_EQ(started.count("--convert-to"), 1) << "once, for the PowerPoint file alone";
    EXPECT_TRUE(started.contains(".pptx")) << started.toStdString();
    EXPECT_EQ(result.exitCode, 1) << result.err.toStdString();  // the cut PDF is refused
    EXPECT_TRUE(result.err.contains("c cut.pdf")) << result.err.toStdString();
    const QStringList written = result.out;
    ASSERT_EQ(written.size(), 4) << result.err.toStdString();
    EXPECT_TRUE(Near(PixelAt(written[0], 400, 300), Qt::yellow));
    EXPECT_TRUE(Near(PixelAt(written[1], 400, 300), Qt::red));
    EXPECT_TRUE(Near(PixelAt(written[2], 400, 300), Qt::green));
    EXPECT_TRUE(Near(PixelAt(written[3], 400, 300), Qt::blue));
    for (int i = 0; i < 4; ++i) EXPECT_EQ(HasThumbnail(written[i]), i > 0) << i;
}

// Which arguments are parse errors is CommandLineTest's; here a parse error, a question with no
// terminal to ask on and a card that is not there exit with 2.
TEST(BatchModeUsage, ErrorsExitWith2) {
    const QStringList cases[] = {
        {"--batch", "x.jpg"},
        {"--batch", "--dest", "/tmp", "--on-conflict", "ask", "x.jpg"},  // no terminal
        {"--batch", "--card", "/no/such/card", "x.jpg"},
    };
    for (const QStringList& arguments : cases) {
        EXPECT_EQ(RunProgram(VC_PROGRAM, arguments).exitCode, 2)
            << arguments.join(' ').toStdString();
    }
}

}  // namespace
