#include "card/ConvertRun.h"

#include <sys/mount.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <QAbstractItemModelTester>
#include <QDir>
#include <QTemporaryDir>

#include "card/DcfNumbering.h"
#include "core/WorkingList.h"
#include "imaging/ImageLoader.h"
#include "skin/MessageIds.h"
#include "skin/MessageTexts.h"
#include "tests/support/Corpus.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestImages.h"

using namespace testimages;
using Kind = ScriptedPrompter::Kind;
using vips::VImage;

namespace {

class ConvertRunTest : public ::testing::Test {
protected:
    ConvertRunTest() {
        Messages::SetLanguage(Messages::Language::English);
        card = QDir(temp.path()).filePath("card/DCIM/100RODIV");
        settings.destination = card;
    }

    // count images, each a different colour so that written files can be told apart.
    void AddImages(int count, int width = 64, int height = 48) {
        ImageLoader loader(list, prompter, QDir(temp.path()).filePath("work"));
        for (int i = 0; i < count; ++i) {
            const QString path = QDir(temp.path()).filePath(QString("in%1.jpg").arg(i));
            WriteJpeg(Solid(width, height, QColor::fromHsv(i * 35 % 360, 255, 255)), path);
            ASSERT_EQ(loader.AddImage(path, 0, 0), 1);
        }
        unsaved = true;
    }

    void Existing(const QStringList& names) {
        QDir().mkpath(card);
        for (const QString& name : names)
            WriteBytes(QDir(card).filePath(name), "old " + name.toUtf8());
    }

    QStringList CardFiles() const {
        return QDir(card).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

    ConvertRun Run() { return ConvertRun(list, settings, prompter, unsaved, lastDestination); }

    QTemporaryDir temp;
    WorkingList list;
    QAbstractItemModelTester tester{&list};
    ScriptedPrompter prompter;
    ConvertSettings settings;
    QString card;
    bool unsaved = false;
    QString lastDestination;
    std::atomic<bool> stop{false};
};

TEST_F(ConvertRunTest, EmptyFolderGetsOneFileAnImageInListOrder) {
    AddImages(3);
    ConvertRun run = Run();
    EXPECT_TRUE(run.SaveAll(stop));
    EXPECT_EQ(CardFiles(), (QStringList{"DUVU0001.JPG", "DUVU0002.JPG", "DUVU0003.JPG"}));
    EXPECT_TRUE(prompter.records.isEmpty());
    EXPECT_FALSE(unsaved);
    EXPECT_EQ(lastDestination, card);
    for (int row = 0; row < 3; ++row) {
        EXPECT_TRUE(list.at(row).saved);
        const QColor expected = QColor::fromHsv(row * 35 % 360, 255, 255);
        const QColor written =
            PixelAt(QDir(card).filePath(dcf::FileName(row + 1, false)), 400, 300);
        EXPECT_NEAR(written.hue(), expected.hue(), 8) << "row " << row;
    }
}

TEST_F(ConvertRunTest, NumberConflictsTable) {
    struct Case {
        const char* name;
        QStringList existing;
        int images;
        std::deque<int> answers;
        bool completed;
        QStringList after;
        int questions;
        QList<int> infos;
    } const cases[] = {
        {"other_prefix_then_overwrite",
         {"ABCD0002.JPG"},
         3,
         {overwrite::Overwrite},
         true,
         {"DUVU0001.JPG", "DUVU0002.JPG", "DUVU0003.JPG"},
         1,
         {}},
        {"png_of_the_number_replaced",
         {"DUVU0001.PNG"},
         1,
         {overwrite::Overwrite},
         true,
         {"DUVU0001.JPG"},
         1,
         {}},
        {"continuing_run_4_and_5",
         {"DUVU0001.JPG", "DUVU0002.JPG", "DUVU0003.JPG"},
         2,
         {overwrite::SaveNext},
         true,
         {"DUVU0001.JPG", "DUVU0002.JPG", "DUVU0003.JPG", "DUVU0004.JPG", "DUVU0005.JPG"},
         1,
         {}},
        {"holes_never_filled",
         {"DUVU0001.JPG", "DUVU0009.JPG"},
         1,
         {overwrite::SaveNext},
         true,
         {"DUVU0001.JPG", "DUVU0009.JPG", "DUVU0010.JPG"},
         1,
         {}},
        {"overwrite_all_asks_once",
         {"DUVU0001.JPG", "DUVU0002.JPG", "DUVU0003.JPG"},
         3,
         {overwrite::OverwriteAll},
         true,
         {"DUVU0001.JPG", "DUVU0002.JPG", "DUVU0003.JPG"},
         1,
         {}},
        {"no_skips_and_goes_on",
         {"DUVU0002.JPG"},
         3,
         {overwrite::No},
         true,
         {"DUVU0001.JPG", "DUVU0002.JPG", "DUVU0003.JPG"},
         1,
         {}},
        {"cancel_ends_the_run",
         {"DUVU0002.JPG"},
         3,
         {overwrite::Cancel},
         false,
         {"DUVU0001.JPG", "DUVU0002.JPG"},
         1,
         {}},
        {"9999_asks_again",
         {"DUVU0001.JPG", "DUVU9999.JPG"},
         2,
         {overwrite::SaveNext, overwrite::Cancel},
         false,
         {"DUVU0001.JPG", "DUVU9999.JPG"},
         2,
         {msg::FileNumber9999}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(card).removeRecursively();
        Existing(c.existing);
        WorkingList caseList;
        ScriptedPrompter casePrompter;
        ImageLoader loader(caseList, casePrompter, QDir(temp.path()).filePath("work"));
        for (int i = 0; i < c.images; ++i) {
            const QString path = QDir(temp.path()).filePath(QString("in%1.jpg").arg(i));
            WriteJpeg(Solid(64, 48, Qt::green), path);
            loader.AddImage(path, 0, 0);
        }
        casePrompter.overwriteAnswers = c.answers;
        bool caseUnsaved = true;
        QString caseLast;
        ConvertRun run(caseList, settings, casePrompter, caseUnsaved, caseLast);
        EXPECT_EQ(run.SaveAll(stop), c.completed);
        EXPECT_EQ(CardFiles(), c.after);
        int questions = 0;
        QList<int> infos;
        for (const auto& record : casePrompter.records) {
            if (record.kind == Kind::Overwrite) {
                ++questions;
                EXPECT_TRUE(record.saveAllMode);
                EXPECT_TRUE(record.text.startsWith("The same numbered image \"" + card + "/DUVU"))
                    << record.text.toStdString();
                EXPECT_TRUE(record.text.contains("\" already exists. \n"));
            } else {
                infos.append(record.id);
            }
        }
        EXPECT_EQ(questions, c.questions);
        EXPECT_EQ(infos, c.infos);
        EXPECT_EQ(casePrompter.unanswered, 0);
    }
}

TEST_F(ConvertRunTest, OverwriteReplacesTheOldBytesAndLeavesNoTemporaryFile) {
    AddImages(1);
    Existing({"DUVU0001.JPG", "abcd0001.thm"});
    prompter.overwriteAnswers = {overwrite::Overwrite};
    ConvertRun run = Run();
    ASSERT_TRUE(run.SaveAll(stop));
    EXPECT_EQ(CardFiles(), QStringList{"DUVU0001.JPG"});
    EXPECT_EQ(ReadBytes(QDir(card).filePath("DUVU0001.JPG")).left(2), QByteArray("\xFF\xD8"));
    EXPECT_EQ(prompter.records[0].text,
              "The same numbered image \"" + card +
                  "/DUVU0001\" already exists. \nAre you sure to replace the existing image?");
}

TEST_F(ConvertRunTest, StopAfterImage3Of10) {
    AddImages(10);
    ConvertRun run = Run();
    QList<int> positions;
    EXPECT_FALSE(run.SaveAll(stop, [&](int position, int count, const ImageOutcome&) {
        positions.append(position);
        EXPECT_EQ(count, 10);
        if (position == 3) stop = true;  // as Stop answered OK while image 3 was written
    }));
    EXPECT_EQ(positions, (QList<int>{1, 2, 3}));
    EXPECT_EQ(CardFiles(), (QStringList{"DUVU0001.JPG", "DUVU0002.JPG", "DUVU0003.JPG"}));
    EXPECT_TRUE(list.at(2).saved);
    EXPECT_FALSE(list.at(3).saved);
}

TEST_F(ConvertRunTest, SaveOneImage) {
    AddImages(4);
    ConvertRun run = Run();
    EXPECT_TRUE(run.Save(4));  // the last image
    EXPECT_EQ(CardFiles(), QStringList{"DUVU0004.JPG"});
    EXPECT_FALSE(unsaved);
    EXPECT_EQ(lastDestination, card);
    // No on a one-image save writes nothing and fails.
    prompter.overwriteAnswers = {overwrite::No};
    unsaved = true;
    EXPECT_FALSE(run.Save(4));
    ASSERT_EQ(prompter.records.size(), 1);
    EXPECT_FALSE(prompter.records[0].saveAllMode) << "no Overwrite all for one image";
    EXPECT_TRUE(unsaved);
}

TEST_F(ConvertRunTest, TheCardForcesExifAndThumbnailAndSlidesForceTheThumbnail) {
    struct Case {
        const char* name;
        bool card, exif, thumbnail;
        int origin;
        bool expectExif, expectThumbnail;
    } const cases[] = {
        {"card_with_options_off", true, false, false, 0, true, true},
        {"folder_with_options_off", false, false, false, 0, false, false},
        {"folder_slide_gets_thumbnail", false, false, false, 1, false, true},
        {"folder_with_exif_only", false, true, false, 0, true, false},
    };
    const QString source = QDir(temp.path()).filePath("in.jpg");
    WriteJpeg(PhotoLike(320, 240), source);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WorkingList caseList;
        ImageLoader loader(caseList, prompter, QDir(temp.path()).filePath("work"));
        loader.AddImage(source, c.origin, c.origin);
        ConvertSettings caseSettings = settings;
        caseSettings.cardFlag = c.card;
        caseSettings.exifOption = c.exif;
        caseSettings.thumbnailOption = c.thumbnail;
        caseSettings.destination = QDir(temp.path()).filePath(c.name);
        bool caseUnsaved = true;
        QString caseLast;
        ConvertRun run(caseList, caseSettings, prompter, caseUnsaved, caseLast);
        ASSERT_TRUE(run.SaveAll(stop));
        const QString written = QDir(caseSettings.destination).filePath("DUVU0001.JPG");
        const QString tags = RunTool("exiftool", {"-s", "-Make", "-ThumbnailLength", written});
        EXPECT_EQ(tags.contains("Make"), c.expectExif) << tags.toStdString();
        EXPECT_EQ(tags.contains("ThumbnailLength"), c.expectThumbnail) << tags.toStdString();
    }
}

TEST_F(ConvertRunTest, FormatChoices) {
    AddImages(1, 800, 600);
    settings.formatIndex = 2;
    ConvertRun png = Run();
    ASSERT_TRUE(png.SaveAll(stop));
    EXPECT_EQ(CardFiles(), QStringList{"DUVU0001.PNG"});
    // The JPEG of the same number then replaces the PNG once the user agrees.
    settings.formatIndex = 1;
    prompter.overwriteAnswers = {overwrite::Overwrite};
    ConvertRun jpeg = Run();
    ASSERT_TRUE(jpeg.SaveAll(stop));
    EXPECT_EQ(CardFiles(), QStringList{"DUVU0001.JPG"});
}

TEST_F(ConvertRunTest, AFolderThatCannotBeMadeGives118OnACardAnd146Elsewhere) {
    AddImages(2);
    const QString blocker = QDir(temp.path()).filePath("blocker");
    WriteBytes(blocker, "a file where a folder should be");
    for (bool cardFlag : {true, false}) {
        prompter.records.clear();
        settings.cardFlag = cardFlag;
        settings.destination = blocker + "/DCIM/100RODIV";
        ConvertRun run = Run();
        EXPECT_FALSE(run.SaveAll(stop));
        EXPECT_EQ(prompter.Ids(),
                  QList<int>{cardFlag ? msg::CannotMakeCardFolder : msg::CannotCreateFolder});
        EXPECT_EQ(prompter.records[0].argument, settings.destination);
    }
    EXPECT_FALSE(list.at(0).saved);
}

TEST_F(ConvertRunTest, AnImageThatCannotBeDecodedIsNamedAsAWrongFileAndEndsTheRun) {
    const struct Case {
        const char* name;
        std::function<void(const QString& workPath)> spoil;
        const char* reason;
    } cases[] = {
        {"work_copy_gone", [](const QString& p) { QFile::remove(p); }, "cannot read the file"},
        {"no_frame_header",
         [](const QString& p) { WriteBytes(p, QByteArray("\xFF\xD8\xFF\xE0garbage", 11)); },
         "no frame header"},
        {"cut_before_the_scan", [](const QString& p) { WriteBytes(p, ReadBytes(p).left(200)); },
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        list.ReplaceEntries({});
        prompter.records.clear();
        AddImages(3);
        c.spoil(list.at(1).workPath);
        ConvertRun run = Run();
        EXPECT_FALSE(run.SaveAll(stop));
        ASSERT_EQ(prompter.records.size(), 1);
        const ScriptedPrompter::Record& told = prompter.records[0];
        // 121's text names the user's file, not the work copy, with the library's reason.
        EXPECT_EQ(told.kind, Kind::Plain);
        EXPECT_TRUE(told.text.startsWith(
            Messages::Format(msg::WrongImageFile, list.at(1).sourcePath) + "\n("))
            << told.text.toStdString();
        EXPECT_TRUE(told.text.contains(QLatin1String(c.reason))) << told.text.toStdString();
        ASSERT_EQ(run.outcomes().size(), 2);
        EXPECT_TRUE(run.outcomes()[1].unreadable);
        EXPECT_FALSE(run.outcomes()[0].unreadable);
        EXPECT_EQ(CardFiles(), QStringList{"DUVU0001.JPG"})
            << "what was encoded ahead is discarded";
        QDir(card).removeRecursively();
    }
}

TEST_F(ConvertRunTest, ADamagedImageIsWrittenAsFarAsItCanBeReadAndNamedInAWarning) {
    AddImages(2, 640, 480);
    const QString damagedCopy = list.at(0).workPath;
    const VImage picture = PhotoLike(640, 480);
    const QByteArray sound = [&] {
        void* data = nullptr;
        size_t size = 0;
        picture.write_to_buffer(".jpg", &data, &size,
                                VImage::option()->set("restart_interval", 40)->set("Q", 95));
        QByteArray bytes(static_cast<const char*>(data), qsizetype(size));
        g_free(data);
        return bytes;
    }();
    WriteBytes(damagedCopy, corpus::BreakRestartMarkers(sound));
    ConvertRun run = Run();
    EXPECT_TRUE(run.SaveAll(stop));
    EXPECT_EQ(CardFiles(), (QStringList{"DUVU0001.JPG", "DUVU0002.JPG"}));
    ASSERT_EQ(prompter.records.size(), 1);
    EXPECT_EQ(prompter.records[0].kind, Kind::Plain);
    EXPECT_EQ(
        prompter.records[0].text,
        QString("\"%1\" is damaged: written as far as it could be read (%2).")
            .arg(list.at(0).sourcePath, "Corrupt JPEG data: found marker 0xd5 instead of RST2"));
    EXPECT_TRUE(run.outcomes()[0].damaged);
    EXPECT_FALSE(run.outcomes()[1].damaged);
    // The rows before the first broken marker are the picture's own.
    const QColor top = PixelAt(QDir(card).filePath("DUVU0001.JPG"), 400, 40);
    const QColor expected = PixelAt(picture, 320, 10);
    EXPECT_NEAR(top.red(), expected.red(), 24);
    EXPECT_NEAR(top.green(), expected.green(), 24);
}

// A drive that fills up during the run: a small tmpfs, so this needs root.
class FullCardTest : public ConvertRunTest {
protected:
    void SetUp() override {
        mountPoint = QDir(temp.path()).filePath("small-card");
        QDir().mkpath(mountPoint);
        if (::geteuid() != 0 ||
            ::mount("tmpfs", QFile::encodeName(mountPoint), "tmpfs", 0, "size=900k") != 0) {
            GTEST_SKIP() << "needs root and tmpfs to fill a card";
        }
        mounted = true;
        card = QDir(mountPoint).filePath("DCIM/100RODIV");
        settings.destination = card;
    }
    void TearDown() override {
        if (mounted) ::umount(QFile::encodeName(mountPoint));
    }
    QString mountPoint;
    bool mounted = false;
};

TEST_F(FullCardTest, WritesUntilFullThenKeepsEveryOldFileAndNoPartialOne) {
    AddImages(0);
    ImageLoader loader(list, prompter, QDir(temp.path()).filePath("work"));
    for (int i = 0; i < 6; ++i) {
        const QString path = QDir(temp.path()).filePath(QString("photo%1.jpg").arg(i));
        WriteJpeg(PhotoLike(1600, 1200, i + 1), path, 95);
        ASSERT_EQ(loader.AddImage(path, 0, 0), 1);
    }
    Existing({"DUVU0006.JPG"});  // an old image of a number the run will reach
    const QByteArray old = ReadBytes(QDir(card).filePath("DUVU0006.JPG"));
    prompter.overwriteAnswers = {overwrite::Overwrite};
    ConvertRun run = Run();
    EXPECT_FALSE(run.SaveAll(stop));
    EXPECT_EQ(prompter.Ids().last(), msg::SaveError);
    const QStringList files = CardFiles();
    EXPECT_TRUE(files.contains("DUVU0006.JPG"));
    EXPECT_EQ(ReadBytes(QDir(card).filePath("DUVU0006.JPG")), old);
    for (const QString& file : files) {
        EXPECT_FALSE(file.endsWith(".tmp")) << file.toStdString();
        if (file != "DUVU0006.JPG") {
            EXPECT_EQ(ReadBytes(QDir(card).filePath(file)).right(2), QByteArray("\xFF\xD9"))
                << file.toStdString() << " is complete";
        }
    }
}

TEST_F(FullCardTest, TheOldImageSurvivesAFailedOverwrite) {
    ImageLoader loader(list, prompter, QDir(temp.path()).filePath("work"));
    const QString path = QDir(temp.path()).filePath("photo.jpg");
    WriteJpeg(PhotoLike(1600, 1200), path, 95);
    ASSERT_EQ(loader.AddImage(path, 0, 0), 1);
    // The card is nearly full with the old image of number 1.
    Existing({});
    WriteBytes(QDir(card).filePath("DUVU0001.JPG"), QByteArray(700 * 1024, 'o'));
    prompter.overwriteAnswers = {overwrite::Overwrite};
    ConvertRun run = Run();
    EXPECT_FALSE(run.Save(1));
    EXPECT_EQ(prompter.Ids(), QList<int>{msg::SaveError});
    EXPECT_EQ(CardFiles(), QStringList{"DUVU0001.JPG"});
    EXPECT_EQ(ReadBytes(QDir(card).filePath("DUVU0001.JPG")), QByteArray(700 * 1024, 'o'));
}

}  // namespace
