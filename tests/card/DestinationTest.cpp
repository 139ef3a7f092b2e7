#include "card/Destination.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QMap>
#include <QTemporaryDir>

#include "skin/MessageIds.h"
#include "skin/MessageTexts.h"
#include "tests/support/ScriptedPrompter.h"

namespace {

TEST(Destination, AcceptCardFolder) {
    const int range = msg::FolderNumberRange, exists = msg::FolderNumberExists;
    const int noDrive = msg::DriveNotReady, noWrite = msg::CannotMakeCardFolder;
    // made: folders on the card beforehand (nullptr: no card at all); ok: the answer to the
    // question; folder: the one accepted, under the card (nullptr: none, the dialog stays).
    struct Case {
        const char* name;
        const char* made;
        const char* number;
        bool ok;
        const char* folder;
        QList<int> ids;
    } const cases[] = {
        {"empty_card", "", "100", true, "DCIM/100RODIV", {}},
        {"below_range", "", "42", true, "DCIM/100RODIV", {range}},
        {"above_range", "", "1500", true, "DCIM/999RODIV", {}},
        {"no_card", nullptr, "100", true, nullptr, {noDrive}},
        {"write_test_fails", "temppstg/in-the-way", "100", true, nullptr, {noWrite}},
        {"other_suffix_ok", "DCIM/100ABCDE", "100", true, "DCIM/100ABCDE", {exists}},
        {"other_suffix_cancel", "DCIM/100ABCDE", "100", false, nullptr, {exists}},
        {"own_suffix_first", "DCIM/100ABCDE DCIM/100RODIV", "100", true, "DCIM/100RODIV", {exists}},
        {"own_folder_cancel", "DCIM/100RODIV", "100", false, nullptr, {exists}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir temp;
        const QString card = c.made ? temp.path() : temp.filePath("gone");
        const QDir root(card);
        for (const QString& folder : QString(c.made).split(' ', Qt::SkipEmptyParts))
            root.mkpath(folder);
        ScriptedPrompter prompter;
        prompter.confirmAnswers = {c.ok};
        EXPECT_EQ(AcceptCardFolder(card, c.number, prompter),
                  c.folder ? std::optional(root.filePath(c.folder)) : std::nullopt);
        EXPECT_EQ(prompter.Ids(), c.ids);
        // Each message names the drive, the write test's folder or the number asked about.
        const QMap<int, QString> arguments{{noDrive, card},
                                           {noWrite, root.filePath("temppstg")},
                                           {exists, root.filePath("DCIM/100")}};
        for (const auto& record : prompter.records)
            EXPECT_EQ(record.argument, arguments.value(record.id));
        // Nothing is made on the card: the write test cleans up, DCIM waits for the first image.
        EXPECT_EQ(root.exists("temppstg"), QString(c.made).contains("temppstg"));
        EXPECT_EQ(root.exists("DCIM"), QString(c.made).contains("DCIM"));
    }
}

// A DCIM or card folder that is a symbolic link could lead off the card: it is refused.
TEST(Destination, ALinkedCardFolderIsRefused) {
    Messages::SetLanguage(Messages::Language::English);
    for (const char* link : {"DCIM", "DCIM/100RODIV"}) {
        SCOPED_TRACE(link);
        QTemporaryDir temp;
        const QDir card(temp.filePath("card"));
        QDir().mkpath(temp.filePath("elsewhere"));
        card.mkpath(QFileInfo(card.filePath(link)).path());
        ASSERT_TRUE(QFile::link(temp.filePath("elsewhere"), card.filePath(link)));
        ScriptedPrompter prompter;
        prompter.confirmAnswers = {true};
        EXPECT_EQ(AcceptCardFolder(card.path(), "100", prompter), std::nullopt);
        ASSERT_EQ(prompter.records.size(), 1);
        EXPECT_EQ(prompter.records[0].text, "\"" + card.filePath(link) +
                                                "\" is a symbolic link. Images are written "
                                                "only into folders on the card itself.");
    }
}

TEST(Destination, ProposedCardDriveIsTheRemovableDriveHoldingTheProgram) {
    const QList<Drive> drives = {
        {"/", "", false},
        {"/media/u/CARD", "CARD", true},
        {"/media/u/DISK", "DISK", false},
        {"/media/u/DISK/slot", "", true},
    };
    EXPECT_EQ(ProposedCardDrive(drives, "/media/u/CARD/bin/vimbrelcastor"), "/media/u/CARD");
    EXPECT_EQ(ProposedCardDrive(drives, "/media/u/CARDX/vimbrelcastor"), "");
    EXPECT_EQ(ProposedCardDrive(drives, "/media/u/DISK/vimbrelcastor"), "");
    EXPECT_EQ(ProposedCardDrive(drives, "/media/u/DISK/slot/vimbrelcastor"), "/media/u/DISK/slot");
    EXPECT_EQ(ProposedCardDrive({{"/", "", true}}, "/opt/vimbrelcastor"), "/");
}

}  // namespace
