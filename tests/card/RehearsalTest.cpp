#include "card/Rehearsal.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QTemporaryDir>

#include "core/WorkingList.h"
#include "imaging/ImageLoader.h"
#include "skin/MessageTexts.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestImages.h"

using namespace testimages;

namespace {

TEST(RehearsalTest, KeysStepAndHoldAtTheEnds) {
    struct Row {
        const char* name;
        int current;
        int key;
        int expected;
    };
    const Row rows[] = {
        {"right_from_the_first", 0, Qt::Key_Right, 1},
        {"down", 1, Qt::Key_Down, 2},
        {"space_at_the_last_stays", 2, Qt::Key_Space, 2},
        {"page_down_at_the_last_stays", 2, Qt::Key_PageDown, 2},
        {"left", 2, Qt::Key_Left, 1},
        {"up", 1, Qt::Key_Up, 0},
        {"backspace_at_the_first_stays", 0, Qt::Key_Backspace, 0},
        {"page_up_at_the_first_stays", 0, Qt::Key_PageUp, 0},
        {"home", 2, Qt::Key_Home, 0},
        {"end", 0, Qt::Key_End, 2},
    };
    for (const Row& row : rows) {
        const std::optional<RehearsalStep> step = RehearsalStepOfKey(row.key);
        ASSERT_TRUE(step) << row.name;
        EXPECT_EQ(SteppedIndex(row.current, 3, *step), row.expected) << row.name;
    }
    EXPECT_FALSE(RehearsalStepOfKey(Qt::Key_A));
    // The pictures made around the one shown stay inside the show.
    EXPECT_EQ(RehearsalWindow(0, 1), QList<int>{0});
    EXPECT_EQ(RehearsalWindow(3, 5), (QList<int>{3, 4, 2}));
}

// Save All over three card folders, then the card read back: the files come in the list's
// order, and the read-back pictures are the written ones.
TEST(RehearsalTest, CardIsReadBackInTheListsOrder) {
    Messages::SetLanguage(Messages::Language::English);
    QTemporaryDir temp;
    WorkingList list;
    ScriptedPrompter prompter;
    ImageLoader loader(list, prompter, temp.filePath("work"));
    for (int i = 0; i < 5; ++i) {
        const QString path = temp.filePath(QString("in%1.jpg").arg(i));
        WriteJpeg(Solid(64, 48, QColor::fromHsv(i * 60, 255, 255)), path);
        ASSERT_EQ(loader.AddImage(path, 0, 0), 1);
    }
    ConvertSettings settings;
    settings.destination = temp.filePath("card/DCIM/100RODIV");
    settings.filesPerFolder = 2;
    bool unsaved = true;
    QString last;
    ConvertRun run(list, settings, prompter, unsaved, last);
    ASSERT_TRUE(run.SaveAll(std::atomic<bool>(false)));
    // What is not an image of the card is not shown.
    WriteBytes(temp.filePath("card/DCIM/100RODIV/DUVU0003.THM"), "x");
    QDir(temp.path()).mkpath("card/DCIM/MISC");

    const QList<RehearsalItem> items = WrittenItemsOf(last);
    ASSERT_EQ(items.size(), 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(items[i].path, run.outcomes()[i].path) << i;
        const RehearsalPicture picture = MakeRehearsalPicture(items[i]);
        const QColor shown = picture.image.pixelColor(32, 24);
        const QColor made = QColor::fromHsv(i * 60, 255, 255);
        EXPECT_LE(std::abs(shown.red() - made.red()) + std::abs(shown.green() - made.green()) +
                      std::abs(shown.blue() - made.blue()),
                  24)
            << i;
    }
    EXPECT_TRUE(items[4].path.endsWith("102RODIV/DUVU0001.JPG")) << qPrintable(items[4].path);
}

}  // namespace
