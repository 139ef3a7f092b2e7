#include "thumbs/Rotation.h"

#include <gtest/gtest.h>
#include <QAbstractItemModelTester>

#include "core/WorkingList.h"
#include "tests/support/QtPrinters.h"
#include "thumbs/ListHistory.h"

namespace {

// A list of n entries, each with a 4 x 2 thumbnail whose top left pixel is red; row i is
// selected when selected[i] is 'x'.
void Fill(WorkingList& list, const QString& selected) {
    QImage thumbnail(4, 2, QImage::Format_RGB888);
    thumbnail.fill(Qt::white);
    thumbnail.setPixelColor(0, 0, Qt::red);
    for (QChar mark : selected) {
        ImageEntry entry;
        entry.selected = mark == 'x';
        entry.saved = true;
        const EntryId id = list.Append(entry);
        list.SetThumbnail(id, thumbnail);
    }
}

// Each entry as its turn and where its thumbnail's red pixel is: "1@1,0".
QStringList Turns(const WorkingList& list) {
    QStringList turns;
    for (const ImageEntry& entry : list.entries()) {
        QPoint red(-1, -1);
        for (int y = 0; y < entry.thumbnail.height(); ++y) {
            for (int x = 0; x < entry.thumbnail.width(); ++x) {
                if (entry.thumbnail.pixelColor(x, y) == Qt::red) red = {x, y};
            }
        }
        turns << QString("%1@%2,%3").arg(entry.quarterTurns).arg(red.x()).arg(red.y());
    }
    return turns;
}

// A clockwise turn takes the top left corner of a 4 x 2 picture to the top right of the
// 2 x 4 one, two turns to the bottom right, three to the bottom left.
const QString kUpright = "0@0,0", kRight = "1@1,0", kHalf = "2@3,1", kLeft = "3@0,3";

TEST(TurnSelected, Table) {
    struct Case {
        const char* name;
        QString selected;
        QList<int> turns;  // one TurnSelected each
        QStringList after;
    } const cases[] = {
        {"Right_turns_the_selected_only", "x.x", {1}, {kRight, kUpright, kRight}},
        {"Left_from_upright", ".x", {-1}, {kUpright, kLeft}},
        {"Four_rights_give_the_original", "x", {1, 1, 1, 1}, {kUpright}},
        {"Left_undoes_right", "xx", {1, -1}, {kUpright, kUpright}},
        {"Nothing_selected_turns_nothing", "..", {1}, {kUpright, kUpright}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WorkingList list;
        QAbstractItemModelTester tester(&list);
        Fill(list, c.selected);
        for (int turn : c.turns) EXPECT_EQ(TurnSelected(list, turn), c.selected.contains('x'));
        EXPECT_EQ(Turns(list), c.after);
        for (const ImageEntry& entry : list.entries()) {
            EXPECT_EQ(entry.saved, !entry.selected) << "a turned image is not saved as shown";
        }
    }
}

// Undo brings back each step's turn with a thumbnail that shows it, while an entry's
// thumbnail made again since (as the renderer hands it over, turned as the entry is now) is
// the one kept.
TEST(TurnSelected, UndoBringsBackTheTurnAndAThumbnailThatShowsIt) {
    WorkingList list;
    Fill(list, "x.");
    ListHistory history(list);
    history.Remember();
    TurnSelected(list, 1);
    history.Remember();
    TurnSelected(list, 1);
    QImage remade(4, 2, QImage::Format_RGB888);
    remade.fill(Qt::white);
    remade.setPixelColor(0, 0, Qt::red);
    remade.setDevicePixelRatio(2);
    list.SetThumbnail(list.at(0).id, TurnedImage(remade, list.at(0).quarterTurns));
    EXPECT_EQ(Turns(list), QStringList({kHalf, kUpright}));
    ASSERT_TRUE(history.Undo());
    EXPECT_EQ(Turns(list), QStringList({kRight, kUpright}));
    EXPECT_EQ(list.at(0).thumbnail.devicePixelRatio(), 2) << "the remade thumbnail is kept";
    ASSERT_TRUE(history.Undo());
    EXPECT_EQ(Turns(list), QStringList({kUpright, kUpright}));
    EXPECT_EQ(list.at(0).thumbnail.size(), QSize(4, 2));
}

}  // namespace
