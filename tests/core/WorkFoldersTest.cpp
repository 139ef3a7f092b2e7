#include "core/WorkFolders.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QStorageInfo>
#include <QTemporaryDir>

#include "core/AppSettings.h"
#include "skin/MessageIds.h"
#include "tests/support/ScriptedPrompter.h"

namespace {

void Touch(const QString& path) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write("x");
}

mode_t ModeOf(const QString& path) {
    struct stat info {};
    ::lstat(QFile::encodeName(path).constData(), &info);
    return info.st_mode & 07777;
}

TEST(WorkSpace, ThresholdIsExactly64MiB) {
    QTemporaryDir temp;
    struct Case {
        const char* name;
        quint64 freeBytes;
        bool ok;
    } const cases[] = {
        {"exactly_64_MiB", 67108864, true},
        {"one_byte_below", 67108863, false},
    };
    for (const Case& c : cases) {
        ScriptedPrompter prompter;
        const WorkSpace space(temp.path(), [&] { return c.freeBytes; });
        EXPECT_EQ(space.CheckWorkSpace(prompter), c.ok) << c.name;
        if (c.ok) {
            EXPECT_TRUE(prompter.records.isEmpty()) << c.name;
        } else {
            ASSERT_EQ(prompter.Ids(), QList<int>{msg::NotEnoughSpace}) << c.name;
            // The mount point of the temporary folder stands in for the drive letter.
            EXPECT_EQ(prompter.records[0].argument, QStorageInfo(temp.path()).rootPath());
        }
    }
}

TEST(CleanWorkFolders, EmptiesBothFoldersButSparesDotFilesAndFolders) {
    QTemporaryDir temp;
    // Blanks and Japanese in the temporary path must not matter.
    const QString tempPath = temp.filePath("作業 フォルダ");
    ASSERT_TRUE(QDir().mkpath(tempPath));
    AppSettings settings;
    const WorkPaths paths = ChooseWorkPaths(tempPath);
    settings.workFolder = paths.workFolder;
    settings.autoExportFolder = paths.autoExportFolder;
    ASSERT_TRUE(EnsurePrivateFolder(settings.workFolder));
    ASSERT_TRUE(EnsurePrivateFolder(settings.autoExportFolder));
    const QDir work(settings.workFolder);
    const QDir exported(settings.autoExportFolder);
    for (const char* name : {"TMPa1b2c3", "写真 1.jpg", ".keep"}) Touch(work.filePath(name));
    ASSERT_TRUE(work.mkdir("sub"));
    Touch(work.filePath("sub/inside"));
    Touch(exported.filePath("talk0001.bmp"));

    CleanWorkFolders(settings);

    EXPECT_EQ(work.entryList(QDir::Files | QDir::Hidden), QStringList{".keep"});
    EXPECT_TRUE(exported.entryList(QDir::Files | QDir::Hidden).isEmpty());
    EXPECT_TRUE(QFile::exists(work.filePath("sub/inside")));
}

TEST(CleanWorkFolders, NeverFollowsALinkInPlaceOfTheWorkFolder) {
    QTemporaryDir temp;
    const QDir dir(temp.path());
    ASSERT_TRUE(dir.mkdir("users-pictures"));
    Touch(dir.filePath("users-pictures/holiday.jpg"));
    ASSERT_TRUE(QFile::link(dir.filePath("users-pictures"), dir.filePath("vimbrelcastorWork")));
    AppSettings settings;
    settings.workFolder = dir.filePath("vimbrelcastorWork");
    settings.autoExportFolder = settings.workFolder + "/autoexport";

    CleanWorkFolders(settings);

    EXPECT_TRUE(QFile::exists(dir.filePath("users-pictures/holiday.jpg")));
}

TEST(EnsurePrivateFolder, CreatesOrTightensOwnFoldersAndRefusesOthers) {
    QTemporaryDir temp;
    const QDir dir(temp.path());
    ASSERT_TRUE(dir.mkdir("open"));
    ::chmod(QFile::encodeName(dir.filePath("open")).constData(), 0777);
    ASSERT_TRUE(QFile::link(dir.filePath("open"), dir.filePath("link")));
    Touch(dir.filePath("file"));
    // Another user's folder (only root can make one; to anyone else it is their own).
    ASSERT_TRUE(dir.mkdir("foreign"));
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(QFile::encodeName(dir.filePath("foreign")).constData(), 65534, 65534), 0);
    }
    const std::pair<const char*, bool> cases[] = {
        {"fresh", true},           {"open", true},     {"link", false}, {"file", false},
        {"missing/parent", false}, {"foreign", !root},
    };
    for (const auto& [name, made] : cases) {
        QString why;
        EXPECT_EQ(EnsurePrivateFolder(dir.filePath(name), &why), made) << name;
        EXPECT_EQ(why.isEmpty(), made) << name;
        if (made) {
            EXPECT_EQ(ModeOf(dir.filePath(name)), 0700u) << name;
        }
    }
}

TEST(ChooseWorkPaths, TakesAnotherPrivateNameWhenTheUsualOneIsNotOurs) {
    QTemporaryDir temp;
    const QDir dir(temp.path());
    const QString usual = dir.filePath("vimbrelcastorWork");
    const QString perUser = usual + "-" + QString::number(::geteuid());

    WorkPaths paths = ChooseWorkPaths(temp.path());
    EXPECT_EQ(paths.workFolder, usual);
    EXPECT_EQ(paths.autoExportFolder, usual + "/autoexport");

    // Someone planted a link under the usual name.
    ASSERT_TRUE(dir.mkdir("elsewhere"));
    ASSERT_TRUE(QFile::link(dir.filePath("elsewhere"), usual));
    paths = ChooseWorkPaths(temp.path());
    EXPECT_EQ(paths.workFolder, perUser);

    // The per-user name is taken by a file too: a fresh private folder is made.
    Touch(perUser);
    paths = ChooseWorkPaths(temp.path());
    EXPECT_TRUE(paths.workFolder.startsWith(usual + "-"));
    EXPECT_NE(paths.workFolder, perUser);
    EXPECT_EQ(ModeOf(paths.workFolder), 0700u);
}

}  // namespace

// Leftovers of runs that are gone go; what a live process holds, what is not ours and what a
// link leads to stay.
TEST(RemoveStaleWorkFolders, RemovesOnlyWhatNoLiveRunHolds) {
    QTemporaryDir temp;
    const QDir dir(temp.path());
    const auto make = [&](const QString& name) {
        dir.mkpath(name);
        ::chmod(QFile::encodeName(dir.filePath(name)).constData(), 0700);
        return dir.filePath(name);
    };
    // A killed window's work folder: its files go, its LibreOffice profile stays.
    const QString window = make("vimbrelcastorWork");
    make("vimbrelcastorWork/autoexport");
    make("vimbrelcastorWork/profile");
    Touch(window + "/TMPabc123");
    Touch(window + "/autoexport/slide1.bmp");
    Touch(window + "/profile/registrymodifications.xcu");
    // A killed batch run's folder goes whole.
    const QString deadRun = make("vimbrelcastorBatch-dead01");
    make("vimbrelcastorBatch-dead01/autoexport");
    Touch(deadRun + "/TMPdef456");
    // A live run keeps its folder: its lock is an open file's, so one held here stands for
    // another process's.
    const QString liveRun = make("vimbrelcastorBatch-live01");
    Touch(liveRun + "/TMPghi789");
    FolderLock holder;
    ASSERT_EQ(holder.Take(liveRun), FolderLock::Result::Held);
    // Not ours: another name, a link standing for a run folder, a folder being made just now.
    const QString other = make("somebody-else");
    Touch(other + "/keep.txt");
    ASSERT_TRUE(QFile::link(other, dir.filePath("vimbrelcastorBatch-link01")));
    const QString pending = make(".vimbrelcastorBatch-new001");

    RemoveStaleWorkFolders(temp.path());
    EXPECT_FALSE(QFile::exists(window + "/TMPabc123"));
    EXPECT_FALSE(QFile::exists(window + "/autoexport/slide1.bmp"));
    EXPECT_TRUE(QFile::exists(window + "/profile/registrymodifications.xcu"));
    EXPECT_FALSE(QFileInfo::exists(deadRun));
    EXPECT_TRUE(QFile::exists(liveRun + "/TMPghi789"));
    EXPECT_TRUE(QFile::exists(other + "/keep.txt"));
    EXPECT_TRUE(QFileInfo(dir.filePath("vimbrelcastorBatch-link01")).isSymLink());
    EXPECT_TRUE(QFileInfo::exists(pending));

    // Once its lock is gone (with its process, however it ended), a leftover too.
    holder.Release();
    RemoveStaleWorkFolders(temp.path());
    EXPECT_FALSE(QFileInfo::exists(liveRun));
}

TEST(RunWorkFolder, PrivateHeldWhileItLivesAndGoneAfter) {
    QTemporaryDir temp;
    {
        RunWorkFolder folder(temp.path());
        ASSERT_TRUE(folder.isValid());
        const QString path = folder.path();
        EXPECT_TRUE(QFileInfo(path).fileName().startsWith("vimbrelcastorBatch-"));
        EXPECT_EQ(ModeOf(path), 0700u);
        QDir().mkpath(path + "/autoexport");
        Touch(path + "/autoexport/slide.bmp");
        FolderLock other;
        EXPECT_EQ(other.Take(path), FolderLock::Result::Busy);
    }
    // Gone after, with everything in it.
    EXPECT_TRUE(QDir(temp.path())
                    .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)
                    .isEmpty());
}

// The lock a run holds on its work folder and on the card folder it writes.
TEST(FolderLock, TakesAFolderOnceAndAWorkFolderNeverThroughALink) {
    QTemporaryDir temp;
    const QString folder = temp.filePath("folder");
    QDir().mkpath(folder);
    const QString link = temp.filePath("link");
    ASSERT_TRUE(QFile::link(folder, link));
    struct Case {
        const char* name;
        QString path;
        FolderLock::Links links;
        FolderLock::Result result;
    } const cases[] = {
        {"a folder", folder, FolderLock::Links::Refuse, FolderLock::Result::Held},
        {"a link, refused", link, FolderLock::Links::Refuse, FolderLock::Result::Unavailable},
    };
    for (const Case& c : cases) {
        FolderLock lock;
        EXPECT_EQ(lock.Take(c.path, c.links), c.result) << c.name;
        EXPECT_EQ(lock.held(), c.result == FolderLock::Result::Held) << c.name;
    }
    FolderLock first;
    FolderLock second;
    ASSERT_EQ(first.Take(folder), FolderLock::Result::Held);
    EXPECT_EQ(second.Take(link), FolderLock::Result::Busy);
    first.Release();
    EXPECT_EQ(second.Take(folder), FolderLock::Result::Held);
}
