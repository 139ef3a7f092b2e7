#include "card/ConvertRun.h"

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAbstractItemModelTester>
#include <QRegularExpression>

#include "CardRunFixture.h"
#include "skin/MessageIds.h"
#include "tests/support/Corpus.h"

using namespace testimages;
using Kind = ScriptedPrompter::Kind;
using vips::VImage;

namespace {

bool Near(QColor a, QColor b) {
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
               std::abs(a.blue() - b.blue()) <
           60;
}

class ConvertRunTest : public CardRunFixture {
protected:
    // count images, each a different colour so that written files can be told apart.
    void AddImages(int count, int width = 64, int height = 48) {
        for (int i = 0; i < count; ++i)
            Add(JpegBytes(Solid(width, height, ImageColour(i))), QString("in%1.jpg").arg(i));
    }
    // Row n is told by its hue, 35 n degrees.
    static QColor ImageColour(int row) { return QColor::fromHsv(row * 35 % 360, 255, 255); }

    // Files that were on the card before the run: "0002" stands for DUVU0002.JPG.
    void Existing(const QString& names) {
        QDir().mkpath(card);
        for (QString name : names.split(' ', Qt::SkipEmptyParts)) {
            if (name.size() == 4) name = "DUVU" + name + ".JPG";
            WriteBytes(QDir(card).filePath(name), "old " + name.toUtf8());
        }
    }

    QStringList CardFiles() const {
        return QDir(card).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

    // Every file of the card folder as "NAME=old" when it still holds the bytes Existing
    // wrote, else "NAME=n" for the image of row n - 1 whose colour it shows; NAME is the number
    // alone for DUVUnnnn.JPG.
    QString CardContents() const { return FolderContents(card); }
    QString FolderContents(const QString& folder) const {
        QStringList contents;
        for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name)) {
            const QString path = QDir(folder).filePath(name);
            const auto ours = QRegularExpression("^DUVU(\\d{4})\\.JPG$").match(name);
            const QString shown = ours.hasMatch() ? ours.captured(1) : name;
            if (ReadBytes(path) == "old " + name.toUtf8()) {
                contents << shown + "=old";
                continue;
            }
            const int row = qRound(PixelAt(path, 400, 300).hue() / 35.0) % 10;
            contents << shown + "=" + QString::number(row + 1);
        }
        return contents.join(' ');
    }

    QAbstractItemModelTester tester{&list};
};

// What the card folder holds after each answer to the number question, as CardContents
// shows it: an image a number in list order. Every answer is asked for once; Cancel ends the run.
TEST_F(ConvertRunTest, WhatEachAnswerLeavesOnTheCard) {
    using namespace overwrite;
    struct Case {
        const char* name;
        const char* existing;
        int images;
        std::deque<int> answers;
        const char* after;
        bool told9999 = false;
    } const cases[] = {
        {"overwrite_another_prefix", "ABCD0002.JPG", 3, {Overwrite}, "0001=1 0002=2 0003=3"},
        {"empty_folder", "", 3, {}, "0001=1 0002=2 0003=3"},
        {"overwrite_removes_the_number_s_others",
         "DUVU0001.PNG abcd0001.thm",
         1,
         {Overwrite},
         "0001=1"},
        {"no_keeps_the_old_file_and_goes_on", "0002", 3, {No}, "0001=1 0002=old 0003=3"},
        {"no_then_the_next_taken_asks_again", "0001 0002", 2, {No, Overwrite}, "0001=old 0002=2"},
        {"overwrite_all", "0002 0003 0004", 4, {OverwriteAll}, "0001=1 0002=2 0003=3 0004=4"},
        {"save_next_skips_holes", "0001 0009", 2, {SaveNext}, "0001=old 0009=old 0010=1 0011=2"},
        {"cancel_writes_nothing_more", "0002", 3, {Cancel}, "0001=1 0002=old"},
        {"save_next_past_9999_asks", "0001 9999", 2, {SaveNext, Cancel}, "0001=old 9999=old", true},
        {"after_9999_taken_ones_ask",
         "0001 0002 9999",
         2,
         {SaveNext, Overwrite, Overwrite},
         "0001=1 0002=2 9999=old",
         true},
    };
    const QRegularExpression question("^The same numbered image \"" +
                                      QRegularExpression::escape(card) +
                                      "/DUVU\\d{4}\" already exists. \nAre you sure to replace the "
                                      "existing image\\?$");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(card).removeRecursively();
        Existing(c.existing);
        list.ReplaceEntries({});
        AddImages(c.images);
        prompter = ScriptedPrompter();
        prompter.overwriteAnswers = c.answers;
        ConvertRun run = Run();
        EXPECT_EQ(run.SaveAll(stop), c.answers.empty() || c.answers.back() != Cancel);
        EXPECT_EQ(CardContents(), c.after);
        int questions = 0;
        QList<int> infos;
        for (const auto& record : prompter.records) {
            if (record.kind == Kind::Overwrite) {
                ++questions;
                EXPECT_TRUE(record.saveAllMode);
                EXPECT_TRUE(question.match(record.text).hasMatch()) << record.text.toStdString();
            } else {
                infos.append(record.id);
            }
        }
        EXPECT_EQ(questions, int(c.answers.size()));
        EXPECT_EQ(infos, c.told9999 ? QList<int>{msg::FileNumber9999} : QList<int>{});
    }
}

// Whatever has a number's name takes the number, and what is not a regular file is never
// replaced.
TEST_F(ConvertRunTest, AnEntryOfANumberThatIsNoFileIsNeverReplaced) {
    using namespace overwrite;
    const char* const three = "DUVU0001.JPG DUVU0002.JPG DUVU0003.JPG";
    struct Case {
        const char* kind;
        const char* entry;
        int answer;
        const char* after;
        bool saveError = false;
    } const cases[] = {
        {"pipe", "DUVU0002.JPG", SaveNext, three},
        {"dangling_link", "DUVU0002.JPG", SaveNext, three},
        {"folder", "DUVU0002.JPG", Overwrite, "DUVU0001.JPG DUVU0002.JPG", true},
        {"pipe", "ABCD0002.THM", Overwrite, "ABCD0002.THM DUVU0001.JPG DUVU0002.JPG"},
    };
    AddImages(2);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.kind) + " " + c.entry);
        QDir(card).removeRecursively();
        Existing("");
        const QByteArray taken = QFile::encodeName(QDir(card).filePath(c.entry));
        const int made = qstrcmp(c.kind, "folder") == 0 ? ::mkdir(taken.constData(), 0700)
                         : qstrcmp(c.kind, "pipe") == 0 ? ::mkfifo(taken.constData(), 0600)
                                                        : ::symlink("nowhere", taken.constData());
        ASSERT_EQ(made, 0);
        prompter = ScriptedPrompter();
        prompter.overwriteAnswers = {c.answer};
        Run().SaveAll(stop);
        EXPECT_EQ(prompter.Ids(), c.saveError ? QList<int>{msg::SaveError} : QList<int>{});
        EXPECT_EQ(
            QDir(card)
                .entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot)
                .join(' '),
            c.after);
        struct stat entry {};
        EXPECT_TRUE(::lstat(taken.constData(), &entry) == 0 && !S_ISREG(entry.st_mode));
    }
}

// Save All onto a card goes on in the next free folder once an image's number would pass the
// files per folder, numbering from 0001, each folder in order and the times rising across them.
TEST_F(ConvertRunTest, FilesPerFolderGoOnInTheNextFreeFolder) {
    struct Case {
        const char* name;
        int perFolder, images;
        const char* existing;  // in 100RODIV; "-" makes 101ABCDE, taken by another suffix
        std::deque<int> answers;
        const char* after;  // each folder under DCIM (RODIV and leading zeros left out)
        bool completed = true;
    } const cases[] = {
        {"seven_by_three", 3, 7, "", {}, "100: 1=1 2=2 3=3 | 101: 1=4 2=5 3=6 | 102: 1=7"},
        {"continued_after_files_already_there",
         3,
         4,
         "0001 0002",
         {overwrite::SaveNext},
         "100: 1=old 2=old 3=1 | 101: 1=2 2=3 3=4"},
        {"a_full_folder_moves_on_at_once",
         2,
         3,
         "0001 0002",
         {overwrite::SaveNext},
         "100: 1=old 2=old | 101: 1=1 2=2 | 102: 1=3"},
        {"a_taken_number_is_passed_over",
         2,
         5,
         "-",
         {},
         "100: 1=1 2=2 | 101ABCDE:  | 102: 1=3 2=4 | 103: 1=5"},
        {"no_folder_after_999", 1, 2, "999", {}, "999: 1=1", false},
    };
    const QString dcim = temp.filePath("card/DCIM");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(dcim).removeRecursively();
        card = dcim + (qstrcmp(c.existing, "999") == 0 ? "/999RODIV" : "/100RODIV");
        settings.destination = card;
        settings.filesPerFolder = c.perFolder;
        if (qstrcmp(c.existing, "-") == 0) QDir().mkpath(dcim + "/101ABCDE");
        Existing(qstrcmp(c.existing, "0001 0002") == 0 ? c.existing : "");
        list.ReplaceEntries({});
        AddImages(c.images);
        prompter = ScriptedPrompter();
        prompter.overwriteAnswers = c.answers;
        ConvertRun run = Run();
        EXPECT_EQ(run.SaveAll(stop), c.completed);
        QStringList after;
        QStringList files;  // the images written, in name order across the folders
        for (const QString& name : QDir(dcim).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            const QDir folder(dcim + "/" + name);
            after << QString(name).remove("RODIV") + ": " +
                         FolderContents(folder.path()).remove(QRegularExpression("\\b0+(?=\\d)"));
            for (const QString& file : folder.entryList(QDir::Files))
                if (!ReadBytes(folder.filePath(file)).startsWith("old"))
                    files << folder.filePath(file);
        }
        EXPECT_EQ(after.join(" | "), c.after);
        EXPECT_EQ(lastDestination, QFileInfo(files.last()).path());
        for (qsizetype i = 1; i < files.size(); ++i)
            EXPECT_LT(QFileInfo(files[i - 1]).lastModified(), QFileInfo(files[i]).lastModified());
        EXPECT_EQ(!prompter.records.isEmpty() &&
                      prompter.records.last().text.startsWith("No folder number after"),
                  !c.completed);
    }
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

// A slide's thumbnail where the photos get none is BatchModeTest's.
TEST_F(ConvertRunTest, TheCardForcesExifAndThumbnail) {
    struct Case {
        const char* name;
        bool card, exif, thumbnail;
        bool expectExif, expectThumbnail;
    } const cases[] = {
        {"card_with_options_off", true, false, false, true, true},
        {"folder_with_exif_only", false, true, false, true, false},
    };
    const QByteArray photo = JpegBytes(PhotoLike(320, 240));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        list.ReplaceEntries({});
        Add(photo, "in.jpg");
        settings.cardFlag = c.card;
        settings.exifOption = c.exif;
        settings.thumbnailOption = c.thumbnail;
        settings.destination = temp.filePath(c.name);
        ConvertRun run = Run();
        ASSERT_TRUE(run.SaveAll(stop));
        const QString written = QDir(settings.destination).filePath("DUVU0001.JPG");
        const QString tags = RunTool("exiftool", {"-s", "-Make", "-ThumbnailLength", written});
        EXPECT_EQ(tags.contains("Make"), c.expectExif) << tags.toStdString();
        EXPECT_EQ(tags.contains("ThumbnailLength"), c.expectThumbnail) << tags.toStdString();
    }
}

// A work copy that cannot be read ends the run (a file that cannot be decoded fails the same
// way, CorpusConvert's): 121 names the user's file, not the work copy, with the library's
// reason, and what was encoded ahead is discarded.
TEST_F(ConvertRunTest, AnImageThatCannotBeDecodedIsNamedAsAWrongFileAndEndsTheRun) {
    AddImages(3);
    QFile::remove(list.at(1).workPath);
    ConvertRun run = Run();
    EXPECT_FALSE(run.SaveAll(stop));
    ASSERT_EQ(prompter.records.size(), 1);
    const QString told = prompter.records[0].text;
    EXPECT_TRUE(
        told.startsWith(Messages::Format(msg::WrongImageFile, list.at(1).sourcePath) + "\n("))
        << told.toStdString();
    EXPECT_TRUE(told.contains("cannot read the file")) << told.toStdString();
    ASSERT_EQ(run.outcomes().size(), 2);
    EXPECT_TRUE(run.outcomes()[1].unreadable);
    EXPECT_EQ(CardFiles(), QStringList{"DUVU0001.JPG"});
}

TEST_F(ConvertRunTest, ADamagedImageIsWrittenAsFarAsItCanBeReadAndNamedInAWarning) {
    AddImages(2, 640, 480);
    const QString damagedCopy = list.at(0).workPath;
    const QByteArray sound = EncodedBytes(
        PhotoLike(640, 480), ".jpg", VImage::option()->set("restart_interval", 40)->set("Q", 95));
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
}

// A portrait turned left by hand is written turned before it is fitted, so it fills the 800 x
// 600 frame; the user's file and the work copy keep their bytes. The source is green with a
// red top left quarter, which the left turn takes to the bottom left.
TEST_F(ConvertRunTest, APortraitTurnedLeftFillsTheFrameAndNoFileChanges) {
    const QString path = Add(
        JpegBytes(Solid(900, 1200, Qt::green).insert(Solid(450, 600, Qt::red), 0, 0)), "tall.jpg");
    list.SetTurn(0, 3, QImage());
    const QByteArray source = ReadBytes(path), work = ReadBytes(list.at(0).workPath);
    ASSERT_TRUE(Run().SaveAll(stop));
    const QString written = QDir(card).filePath("DUVU0001.JPG");
    const VImage image = VImage::new_from_file(QFile::encodeName(written).constData());
    ASSERT_EQ(image.width(), 800);
    ASSERT_EQ(image.height(), 600);
    EXPECT_TRUE(Near(PixelAt(image, 200, 450), Qt::red));
    EXPECT_TRUE(Near(PixelAt(image, 2, 450), Qt::red)) << "no bars";
    EXPECT_TRUE(Near(PixelAt(image, 600, 150), Qt::green));
    EXPECT_EQ(ReadBytes(path), source);
    EXPECT_EQ(ReadBytes(list.at(0).workPath), work);
}

// A drive that fills up during the run: a small tmpfs, so this needs root.
class FullCardTest : public ConvertRunTest {
protected:
    void SetUp() override {
        mountPoint = temp.filePath("small-card");
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
    // Photos that fill the card faster than a solid colour.
    void AddPhotos(int count) {
        for (int i = 0; i < count; ++i)
            Add(JpegBytes(PhotoLike(1600, 1200, i + 1), 95), QString("photo%1.jpg").arg(i));
    }
    QString mountPoint;
    bool mounted = false;
};

// Every image goes to a temporary file first, a new number's as a replacement's: a write that
// finds the card full, here the replacement of number 2, leaves the old file and no part of
// its own; the image before it stays complete.
TEST_F(FullCardTest, WritesUntilFullThenKeepsEveryOldFileAndNoPartialOne) {
    AddPhotos(2);
    Existing("");  // room for image 1 beside the old image 2, not for image 2 beside it
    const QByteArray old(600 * 1024, 'o');
    WriteBytes(QDir(card).filePath("DUVU0002.JPG"), old);
    prompter.overwriteAnswers = {overwrite::Overwrite};
    EXPECT_FALSE(Run().SaveAll(stop));
    EXPECT_EQ(prompter.Ids(), QList<int>{msg::SaveError});
    EXPECT_EQ(CardFiles(), (QStringList{"DUVU0001.JPG", "DUVU0002.JPG"}));
    EXPECT_EQ(ReadBytes(QDir(card).filePath("DUVU0001.JPG")).right(2), QByteArray("\xFF\xD9"));
    EXPECT_EQ(ReadBytes(QDir(card).filePath("DUVU0002.JPG")), old);
}

}  // namespace
