#include "card/DcfNumbering.h"

#include <gtest/gtest.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "skin/MessageIds.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestImages.h"

namespace {

void MakeFiles(const QString& folder, const QStringList& names) {
    QDir().mkpath(folder);
    for (const QString& name : names) testimages::WriteBytes(QDir(folder).filePath(name), "x");
}

TEST(DcfNumbering, WhichNamesTakeANumber) {
    struct Case {
        const char* name;
        std::optional<int> number;
    } const cases[] = {
        {"DUVU0001.JPG", 1},   {"ABCD0007.JPG", 7}, {"DUVU0007.PNG", 7},
        {"duvu0007.thm", 7},   {"DUVU0001", 1},     {"DUVU0001.tar.gz", 1},
        {"DUVU00012.JPG", {}}, {"DUV0001.JPG", {}}, {"DUVU000A.JPG", {}},
        {".UVU0001.JPG", {}},  {"DUVU001.JPG", {}}, {"写真写真0003.JPG", 3},
        {"写真0003.JPG", {}},
    };
    for (const Case& c : cases) EXPECT_EQ(DcfNumberOfName(c.name), c.number) << c.name;
}

TEST(DcfNumbering, NextFreeFileNumberNeverFillsHoles) {
    struct Case {
        const char* name;
        QStringList files;
        int start;
        std::optional<int> next;
    } const cases[] = {
        {"empty_folder", {}, 1, 2},
        {"three_present", {"DUVU0001.JPG", "DUVU0002.JPG", "DUVU0003.JPG"}, 1, 4},
        {"hole_between_1_and_9", {"DUVU0001.JPG", "DUVU0009.JPG"}, 1, 10},
        {"up_to_12_from_3", {"DUVU0001.JPG", "ABCD0012.JPG", "DUVU0005.PNG"}, 3, 13},
        {"lower_numbers_do_not_count", {"DUVU0005.JPG"}, 7, 8},
        {"9999_present", {"DUVU9999.JPG"}, 1, std::nullopt},
        {"case_does_not_matter", {"duvu0004.jpg"}, 2, 5},
    };
    for (const Case& c : cases) {
        QTemporaryDir temp;
        MakeFiles(temp.path(), c.files);
        EXPECT_EQ(NextFreeFileNumber(temp.path(), c.start), c.next) << c.name;
    }
}

TEST(DcfNumbering, FirstFreeFolderNumber) {
    struct Case {
        const char* name;
        QStringList folders;
        QStringList files;
        int first;
    } const cases[] = {
        {"no_dcim", {}, {}, 100},
        {"other_suffix_takes_100", {"100ABCDE"}, {}, 101},
        {"folders_and_a_file", {"100RODIV", "101X"}, {"102"}, 103},
        {"below_100_is_ignored", {"099RODIV", "MISC"}, {}, 100},
        {"hole_is_used", {"100RODIV", "102RODIV"}, {}, 101},
    };
    for (const Case& c : cases) {
        QTemporaryDir temp;
        const QString dcim = temp.filePath("DCIM");
        for (const QString& folder : c.folders) QDir().mkpath(QDir(dcim).filePath(folder));
        MakeFiles(dcim, c.files);
        if (c.folders.isEmpty() && c.files.isEmpty()) QDir(temp.path()).rmdir("DCIM");
        EXPECT_EQ(FirstFreeFolderNumber(temp.path()), c.first) << c.name;
    }
    // The folder a number's images go into: our own suffix first, then another suffix; a file
    // of such a name is no folder.
    QTemporaryDir temp;
    const QDir dcim(temp.filePath("DCIM"));
    for (const char* folder : {"100ABCDE", "101ABCDE", "101RODIV", "103ZZZZZ"}) dcim.mkpath(folder);
    MakeFiles(dcim.path(), {"102AAAAA", "103AAAAA"});
    const char* const expected[] = {"100ABCDE", "101RODIV", nullptr, "103ZZZZZ", nullptr};
    for (int number = 100; number <= 104; ++number) {
        const char* folder = expected[number - 100];
        EXPECT_EQ(ExistingFolderOfNumber(temp.path(), number),
                  folder ? dcim.filePath(folder) : QString())
            << number;
    }
}

TEST(DcfNumbering, RemovingTheOtherFilesOfANumberSparesTheKeptFileUnderAnyName) {
    // A FAT card shows a file renamed over "duvu0001.jpg" by that old spelling: the kept file
    // is known by its identity, not its name. A hard link stands in for the second spelling.
    QTemporaryDir temp;
    const QDir folder(temp.path());
    MakeFiles(temp.path(), {"DUVU0001.JPG", "DUVU0001.PNG", "ABCD0001.THM", "DUVU0002.JPG"});
    ASSERT_EQ(::link(QFile::encodeName(folder.filePath("DUVU0001.JPG")).constData(),
                     QFile::encodeName(folder.filePath("duvu0001.jpg")).constData()),
              0);
    EXPECT_TRUE(RemoveOtherFilesOfNumber(folder.filePath("DUVU0001.JPG"), 1));
    EXPECT_EQ(folder.entryList(QDir::Files, QDir::Name),
              (QStringList{"DUVU0001.JPG", "DUVU0002.JPG", "duvu0001.jpg"}));
}

TEST(DcfNumbering, FolderNumberField) {
    struct Case {
        const char* text;
        int number;
        bool message;
    } const cases[] = {
        {"42", 100, true},    {"1500", 999, false}, {"abc", 100, true},          {"", 100, true},
        {"250", 250, false},  {"100", 100, false},  {"999", 999, false},         {"99", 100, true},
        {" 123", 123, false}, {"12ab", 100, true},  {"99999999999", 999, false},
    };
    for (const Case& c : cases) {
        ScriptedPrompter prompter;
        EXPECT_EQ(ReadFolderNumberField(c.text, prompter), c.number) << c.text;
        EXPECT_EQ(prompter.Ids(), c.message ? QList<int>{msg::FolderNumberRange} : QList<int>{})
            << c.text;
    }
    EXPECT_EQ(StepFolderNumber(100, -1), 100);
    EXPECT_EQ(StepFolderNumber(998, 5), 999);
    EXPECT_EQ(FolderNumberText(42), "042");
}

}  // namespace
