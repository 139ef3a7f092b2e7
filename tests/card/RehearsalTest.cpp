#include "card/Rehearsal.h"

#include "CardRunFixture.h"

using namespace testimages;

namespace {

class RehearsalTest : public CardRunFixture {};

TEST_F(RehearsalTest, KeysStepAndHoldAtTheEnds) {
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
TEST_F(RehearsalTest, CardIsReadBackInTheListsOrder) {
    for (int i = 0; i < 5; ++i)
        Add(JpegBytes(Solid(64, 48, QColor::fromHsv(i * 60, 255, 255))),
            QString("in%1.jpg").arg(i));
    settings.filesPerFolder = 2;
    ConvertRun run = Run();
    ASSERT_TRUE(run.SaveAll(stop));
    // What is not an image of the card is not shown.
    WriteBytes(card + "/DUVU0003.THM", "x");
    QDir(temp.path()).mkpath("card/DCIM/MISC");

    const QList<RehearsalItem> items = WrittenItemsOf(lastDestination);
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
