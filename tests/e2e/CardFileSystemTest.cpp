#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDateTime>
#include <QMap>
#include <QRegularExpression>

#include "ProgramFixture.h"
#include "card/FolderOrder.h"
#include "tests/support/CardImage.h"

using namespace testimages;

// Test names say the file system.
void PrintTo(CardImage::Kind kind, std::ostream* out) {
    *out << (kind == CardImage::Kind::Fat32 ? "FAT32" : "exFAT");
}

namespace {

// The program writing onto real card file systems, FAT32 and exFAT, mounted through FUSE, and
// the card read back as a device reads it: the directory's slots in order (raw, with mtools,
// from the unmounted image), the Exif dates and the file times. Skipped where cards cannot be
// mounted here.
class CardFileSystemTest : public ProgramFixtureOf<::testing::TestWithParam<CardImage::Kind>> {
protected:
    CardFileSystemTest() {
        card = image.root();
        folder = card + "/DCIM/100RODIV";
    }

    void SetUp() override {
        if (const QString why = CardImage::Unavailable(GetParam()); !why.isEmpty()) {
            GTEST_SKIP() << why.toStdString();
        }
        ASSERT_TRUE(image.Make()) << image.error().toStdString();
    }

    // count images of their own colours in a new folder.
    QString Images(const QString& name, int count) {
        return ProgramFixtureOf::Images(
            name, count,
            [&](int i) { return QColor::fromHsv((i * 37 + name.size() * 90) % 360, 200, 200); },
            64);
    }

    // The batch run onto the card; its exit status, its messages in lastError.
    int Run(const QStringList& arguments) {
        const ProgramRun run = RunOnCard(arguments);
        lastError = run.err;
        return run.finished ? run.exitCode : -1;
    }

    // The numbered files of a folder in the order the file system lists them.
    static QStringList Listed(const QString& folder) {
        return RunTool("ls", {"-f", folder}).split('\n').filter(QRegularExpression("^DUVU"));
    }

    static QStringList Numbered(std::initializer_list<int> numbers) {
        QStringList names;
        for (const int n : numbers) names << QString("DUVU%1.JPG").arg(n, 4, 10, QChar('0'));
        return names;
    }

    bool fat = GetParam() == CardImage::Kind::Fat32;
    CardImage image{GetParam()};
    QString lastError;
};

INSTANTIATE_TEST_SUITE_P(FileSystems, CardFileSystemTest,
                         ::testing::Values(CardImage::Kind::Fat32, CardImage::Kind::ExFat),
                         [](const auto& info) {
                             return info.param == CardImage::Kind::Fat32 ? "FAT32" : "exFAT";
                         });

TEST_P(CardFileSystemTest, TheCardShowsTheListOrderByNameDateAndDirectorySlot) {
    ASSERT_EQ(Run({Images("ten", 10)}), 0) << lastError.toStdString();
    // The user deletes image 3 on the card: its slot is free, and a new name takes it.
    ASSERT_TRUE(QFile::remove(folder + "/DUVU0003.JPG"));
    ASSERT_EQ(Run({"--folder", "100", "--on-conflict", "next", Images("two", 2)}), 0)
        << lastError.toStdString();
    const QStringList expected = Numbered({1, 2, 4, 5, 6, 7, 8, 9, 10, 11, 12});

    ASSERT_TRUE(image.Unmount()) << image.error().toStdString();
    if (fat) {
        EXPECT_EQ(image.RawListing("DCIM/100RODIV").filter("DUVU"), expected)
            << "the directory's slots, as a device reads them";
    }
    ASSERT_TRUE(image.Mount()) << image.error().toStdString();
    EXPECT_EQ(Listed(folder), expected) << "read back after mounting again";
    EXPECT_FALSE(QFileInfo::exists(folder + "/" + kOrderFolder));

    const QList<qint64> times = CheckedTimes({folder});
    EXPECT_EQ(times.size(), expected.size());
    EXPECT_EQ(std::ranges::adjacent_find(times, std::greater_equal()), times.end()) << "rising";
    const qint64 previous = times.isEmpty() ? 0 : times.last();
    // The last image's time is about the end of the run, not hours away.
    EXPECT_LT(std::abs(previous - QDateTime::currentSecsSinceEpoch()), 120);
}

// FAT alone: its directory's slots are read back raw.
class FatCardTest : public CardFileSystemTest {};
INSTANTIATE_TEST_SUITE_P(FileSystems, FatCardTest, ::testing::Values(CardImage::Kind::Fat32),
                         [](const auto&) { return "FAT32"; });

// A restore of the directory order killed at any point loses no file and renames none; the
// next run on the card, writing into another folder, completes it.
TEST_P(FatCardTest, ARestoreKilledMidwayIsCompletedByTheNextRun) {
    const QString one = Images("one", 1);
    // 8 files move out (DUVU0011 and 4 to 10), then 8 move back.
    for (const int killAt : {1, 5, 8, 9, 15}) {
        SCOPED_TRACE(killAt);
        ASSERT_TRUE(QDir(card + "/DCIM").removeRecursively());
        ASSERT_TRUE(QDir().mkpath(folder));
        QMap<QString, QByteArray> contents;
        for (const int n : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 0, 11}) {
            if (n == 0) {
                ASSERT_TRUE(QFile::remove(folder + "/DUVU0003.JPG"));
                contents.remove("DUVU0003.JPG");
                continue;
            }
            const QString name = Numbered({n})[0];
            contents[name] = QByteArray("image ") + QByteArray::number(n);
            WriteBytes(folder + "/" + name, contents[name]);
        }
        ASSERT_EQ(Listed(folder), Numbered({1, 2, 11, 4, 5, 6, 7, 8, 9, 10}));

        const pid_t child = ::fork();
        ASSERT_NE(child, -1);
        if (child == 0) {
            RestoreDirectoryOrder(folder, [killAt](int moves) {
                if (moves == killAt) ::raise(SIGKILL);
            });
            ::_exit(0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
        for (auto it = contents.cbegin(); it != contents.cend(); ++it) {
            const QString here = folder + "/" + it.key();
            const QString away = folder + "/" + kOrderFolder + "/" + it.key();
            EXPECT_EQ(QFile::exists(here) ? ReadBytes(here) : ReadBytes(away), it.value())
                << it.key().toStdString() << " lost or changed by the kill";
        }

        ASSERT_EQ(Run({"--folder", "101", one}), 0) << lastError.toStdString();
        ASSERT_TRUE(image.Unmount());
        EXPECT_EQ(image.RawListing("DCIM/100RODIV"), Numbered({1, 2, 4, 5, 6, 7, 8, 9, 10, 11}));
        ASSERT_TRUE(image.Mount());
        for (auto it = contents.cbegin(); it != contents.cend(); ++it) {
            EXPECT_EQ(ReadBytes(folder + "/" + it.key()), it.value()) << it.key().toStdString();
        }
    }
}

// The card check names an exFAT card, other computers' leftovers and a projector's playlist;
// only --clean-card (the window's yes) removes them, and nothing else on the card changes.
TEST_P(CardFileSystemTest, TheCardCheckNamesWhatOlderProjectorsTripOver) {
    const QDir root(card);
    const QStringList found = {"._a.jpg", ".Trashes", "DCIM/100RODIV/imagelistdir.txt"};
    const QStringList kept = {"notes.txt", "DCIM/100RODIV/DUVU0001.JPG", "MISC/._keep/x"};
    root.mkpath(".Trashes/501");
    root.mkpath("DCIM/100RODIV");
    root.mkpath("MISC/._keep");
    for (const QString& path : found + kept + QStringList{".Trashes/501/old.jpg"}) {
        if (!path.endsWith("Trashes")) WriteBytes(root.filePath(path), path.toUtf8());
    }
    const QString in = Images("check", 1);

    ASSERT_EQ(Run({"--folder", "100", "--on-conflict", "next", in}), 0) << lastError.toStdString();
    EXPECT_EQ(lastError.contains("This card uses the exFAT file system"), !fat)
        << lastError.toStdString();
    for (const QString& path : found) {
        EXPECT_TRUE(lastError.contains(root.filePath(path))) << path.toStdString();
        EXPECT_TRUE(QFileInfo::exists(root.filePath(path))) << "removed unasked";
    }
    EXPECT_FALSE(lastError.contains("._keep")) << "a folder: not a leftover";
    EXPECT_TRUE(lastError.contains("Run with --clean-card to remove them."));

    ASSERT_EQ(Run({"--clean-card", "--folder", "100", "--on-conflict", "next", in}), 0)
        << lastError.toStdString();
    for (const QString& path : found) EXPECT_FALSE(QFileInfo::exists(root.filePath(path)));
    for (const QString& path : kept)
        EXPECT_EQ(ReadBytes(root.filePath(path)), path.toUtf8()) << path.toStdString();
}

}  // namespace
