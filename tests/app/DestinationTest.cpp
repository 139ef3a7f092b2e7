#include "app/Destination.h"

#include <sys/mount.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "skin/MessageIds.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestImages.h"

namespace {

TEST(Destination, AcceptCardFolder) {
    struct Case {
        const char* name;
        QStringList dcim;  // folders under DCIM
        const char* number;
        std::deque<bool> answers;
        const char* folder;  // under the drive; nullptr when the dialog stays open
        QList<int> ids;
        const char* argument;  // of the last message, under the drive
    } const cases[] = {
        {"empty_card", {}, "100", {}, "DCIM/100RODIV", {}, nullptr},
        {"below_range", {}, "42", {}, "DCIM/100RODIV", {msg::FolderNumberRange}, nullptr},
        {"above_range", {}, "1500", {}, "DCIM/999RODIV", {}, nullptr},
        {"letters", {}, "abc", {}, "DCIM/100RODIV", {msg::FolderNumberRange}, nullptr},
        {"other_suffix_ok",
         {"100ABCDE"},
         "100",
         {true},
         "DCIM/100ABCDE",
         {msg::FolderNumberExists},
         "DCIM/100"},
        {"other_suffix_cancel",
         {"100ABCDE"},
         "100",
         {false},
         nullptr,
         {msg::FolderNumberExists},
         "DCIM/100"},
        {"own_folder_wins_over_other_suffix",
         {"100ABCDE", "100RODIV"},
         "100",
         {true},
         "DCIM/100RODIV",
         {msg::FolderNumberExists},
         "DCIM/100"},
        {"own_folder_cancel",
         {"100RODIV"},
         "100",
         {false},
         nullptr,
         {msg::FolderNumberExists},
         "DCIM/100"},
        {"range_then_question",
         {"100RODIV"},
         "7",
         {true},
         "DCIM/100RODIV",
         {msg::FolderNumberRange, msg::FolderNumberExists},
         "DCIM/100"},
    };
    for (const Case& c : cases) {
        QTemporaryDir card;
        const QDir root(card.path());
        for (const QString& folder : c.dcim) root.mkpath("DCIM/" + folder);
        ScriptedPrompter prompter;
        prompter.confirmAnswers = c.answers;
        const std::optional<QString> folder = AcceptCardFolder(card.path(), c.number, prompter);
        EXPECT_EQ(folder, c.folder ? std::optional(root.filePath(c.folder)) : std::nullopt)
            << c.name;
        EXPECT_EQ(prompter.Ids(), c.ids) << c.name;
        EXPECT_EQ(prompter.unanswered, 0) << c.name;
        if (c.argument) {
            EXPECT_EQ(prompter.records.last().argument, root.filePath(c.argument)) << c.name;
        }
        EXPECT_FALSE(QFileInfo::exists(root.filePath("temppstg"))) << c.name;
        if (c.dcim.isEmpty()) {
            EXPECT_FALSE(root.exists("DCIM")) << c.name << ": made before the first image";
        }
    }
}

TEST(Destination, AnUnusableDriveStopsBeforeAnyQuestion) {
    QTemporaryDir temp;
    const QDir root(temp.path());
    testimages::WriteBytes(root.filePath("plain-file"), "x");
    root.mkpath("blocked/DCIM/100RODIV");
    testimages::WriteBytes(root.filePath("blocked/temppstg"), "x");
    struct Case {
        const char* name;
        QString drive;
        int id;
        QString argument;
    } const cases[] = {
        {"missing", root.filePath("gone"), msg::DriveNotReady, root.filePath("gone")},
        {"a_file", root.filePath("plain-file"), msg::DriveNotReady, root.filePath("plain-file")},
        {"no_drive_at_all", QString(), msg::DriveNotReady, QString()},
        {"probe_name_taken", root.filePath("blocked"), msg::CannotMakeCardFolder,
         root.filePath("blocked/temppstg")},
    };
    for (const Case& c : cases) {
        ScriptedPrompter prompter;
        prompter.confirmAnswers = {true};
        EXPECT_EQ(AcceptCardFolder(c.drive, "100", prompter), std::nullopt) << c.name;
        EXPECT_EQ(prompter.Ids(), QList<int>{c.id}) << c.name;
        EXPECT_EQ(prompter.records.value(0).argument, c.argument) << c.name;
    }
}

TEST(Destination, ALockedCardFailsTheWriteTest) {
    QTemporaryDir temp;
    const QString card = QDir(temp.path()).filePath("card");
    QDir().mkpath(card + "/DCIM/100RODIV");
    bool mounted = false;
    if (::geteuid() == 0) {
        // Permissions do not hold root back: a read-only mount does.
        mounted = ::mount("tmpfs", QFile::encodeName(card), "tmpfs", MS_RDONLY, "size=64k") == 0;
        if (!mounted) GTEST_SKIP() << "root without the right to mount a read-only tmpfs";
    } else {
        QFile::setPermissions(card, QFile::ReadOwner | QFile::ExeOwner);
    }
    ScriptedPrompter prompter;
    EXPECT_EQ(AcceptCardFolder(card, "100", prompter), std::nullopt);
    EXPECT_EQ(prompter.Ids(), QList<int>{msg::CannotMakeCardFolder});
    EXPECT_EQ(prompter.records.value(0).argument, card + "/temppstg");
    if (mounted) ::umount(QFile::encodeName(card));
    QFile::setPermissions(card, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST(Destination, ProposedCardDriveIsTheRemovableDriveHoldingTheProgram) {
    const QList<Drive> drives = {
        {"/", "", false},
        {"/media/u/CARD", "CARD", true},
        {"/media/u/CARD2", "", true},
        {"/media/u/DISK", "DISK", false},
        {"/media/u/DISK/slot", "", true},
    };
    struct Case {
        const char* program;
        const char* proposed;
    } const cases[] = {
        {"/media/u/CARD/bin/vimbrelcastor", "/media/u/CARD"},
        {"/media/u/CARD2/vimbrelcastor", "/media/u/CARD2"},
        {"/media/u/CARDX/vimbrelcastor", ""},
        {"/media/u/DISK/vimbrelcastor", ""},
        {"/media/u/DISK/slot/vimbrelcastor", "/media/u/DISK/slot"},
        {"/usr/bin/vimbrelcastor", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ProposedCardDrive(drives, c.program), c.proposed) << c.program;
    }
    EXPECT_EQ(ProposedCardDrive({{"/", "", true}}, "/opt/vimbrelcastor"), "/");
}

}  // namespace
