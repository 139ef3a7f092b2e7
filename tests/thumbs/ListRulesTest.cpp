#include <gtest/gtest.h>
#include <QAbstractItemModelTester>
#include <QFile>
#include <QTemporaryDir>

#include "core/WorkingList.h"
#include "tests/support/QtPrinters.h"
#include "thumbs/Deletion.h"
#include "thumbs/ListHistory.h"
#include "thumbs/Reordering.h"
#include "thumbs/Selection.h"

namespace {

// A list of entries named by letters; the letters in list order spell the list.
void Fill(WorkingList& list, const QString& letters) {
    for (QChar letter : letters) {
        ImageEntry entry;
        entry.sourcePath = QString("/pictures/%1.jpg").arg(letter);
        list.Append(entry);
    }
}

QString Letters(const WorkingList& list) {
    QString letters;
    for (const ImageEntry& entry : list.entries()) letters += entry.sourcePath.at(10);
    return letters;
}

QString Selected(const WorkingList& list) {
    QString letters;
    for (const ImageEntry& entry : list.entries()) {
        if (entry.selected) letters += entry.sourcePath.at(10);
    }
    return letters;
}

// Gives each entry a work copy, an empty file in folder named by its letter; their paths.
QStringList GiveWorkCopies(WorkingList& list, const QTemporaryDir& folder) {
    QList<ImageEntry> entries = list.entries();
    QStringList copies;
    for (ImageEntry& entry : entries) {
        copies << (entry.workPath = folder.filePath(entry.sourcePath.mid(10, 1)));
        QFile(entry.workPath).open(QIODevice::WriteOnly);
    }
    list.ReplaceEntries(entries);
    return copies;
}

void SelectLetters(WorkingList& list, const QString& letters) {
    for (int i = 0; i < list.count(); ++i) {
        list.SetSelected(i, letters.contains(list.at(i).sourcePath.at(10)));
    }
}

TEST(MoveSelected, Table) {
    struct Case {
        const char* name;
        QString selected;
        int target;
        bool before;
        QString after;
    } const cases[] = {
        {"B_and_D_before_A", "BD", 0, true, "BDACE"},
        {"B_and_D_after_E", "BD", 4, false, "ACEBD"},
        {"B_and_D_before_D", "BD", 3, true, "ACBDE"},
        {"A_after_E", "A", 4, false, "BCDEA"},
        {"E_before_B", "E", 1, true, "AEBCD"},
        {"all_after_C", "ABCDE", 2, false, "ABCDE"},
        // The placement dialog's numbers: 0 goes to the front; "Previous to" count + 1 is
        // exactly the end; "Next to" count + 1 lands before the last.
        {"number_0_previous", "C", -1, true, "CABDE"},
        {"number_6_previous", "B", 5, true, "ACDEB"},
        {"number_6_next", "B", 5, false, "ACDBE"},
        {"nothing_selected", "", 0, true, "ABCDE"},
    };
    // B is saved and has its thumbnail: it keeps the thumbnail, and the flag unless it moves.
    QImage thumbnail(10, 10, QImage::Format_RGB888);
    thumbnail.fill(Qt::red);
    for (const Case& c : cases) {
        WorkingList list;
        QAbstractItemModelTester tester(&list);
        Fill(list, "ABCDE");
        const EntryId b = list.at(1).id;
        ASSERT_TRUE(list.SetThumbnail(b, thumbnail));
        list.SetSaved(1, true);
        SelectLetters(list, c.selected);
        MoveSelected(list, c.target, c.before);
        EXPECT_EQ(Letters(list), c.after) << c.name;
        EXPECT_EQ(Selected(list), "") << c.name << ": moved entries come back unselected";
        for (int i = 0; i < list.count(); ++i) {
            EXPECT_EQ(list.at(i).index, quint32(i)) << c.name;
            EXPECT_EQ(list.RowOf(list.at(i).id), i) << c.name;
        }
        ASSERT_GE(list.RowOf(b), 0) << c.name << ": ids survive a move";
        const ImageEntry& entryB = list.at(list.RowOf(b));
        EXPECT_TRUE(entryB.rendered && entryB.thumbnail == thumbnail) << c.name;
        EXPECT_EQ(entryB.saved, !c.selected.contains('B')) << c.name;
    }
}

// The keyboard's moves: by one place or by a row, the block staying selected; nothing at an end.
TEST(MoveSelectedBy, Table) {
    struct Case {
        const char* name;
        QString selected;
        int step;
        QString after;  // empty: nothing moves
    } const cases[] = {
        {"A_back_stays", "A", -1, ""},
        {"E_on_stays", "E", 1, ""},
        {"BC_on_one", "BC", 1, "ADBCE"},
        {"BD_back_one", "BD", -1, "BDACE"},
        {"BD_on_one", "BD", 1, "ACEBD"},
        {"D_back_a_row_of_3", "D", -3, "DABCE"},
        {"B_on_a_row_past_the_end", "B", 9, "ACDEB"},
        {"none", "", 1, ""},
    };
    for (const Case& c : cases) {
        WorkingList list;
        Fill(list, "ABCDE");
        SelectLetters(list, c.selected);
        EXPECT_EQ(MoveSelectedBy(list, c.step), !c.after.isEmpty()) << c.name;
        EXPECT_EQ(Letters(list), c.after.isEmpty() ? "ABCDE" : c.after) << c.name;
        EXPECT_EQ(Selected(list), c.selected) << c.name;
    }
}

// Undo goes back step by step to the list exactly as it was; images imported since stay at the
// end; a deleted image's work copy stays while a step can bring it back.
TEST(ListHistory, UndoesDeletionsAndMovesStepByStep) {
    QTemporaryDir temp;
    WorkingList list;
    Fill(list, "ABCDE");
    const QString copyOfB = GiveWorkCopies(list, temp)[1];
    {
        ListHistory history(list);
        SelectLetters(list, "B");
        history.Remember();
        TakeSelected(list);
        SelectLetters(list, "D");
        history.Remember();
        MoveSelectedBy(list, -2);
        Fill(list, "F");
        EXPECT_EQ(Letters(list), "DACEF");
        ASSERT_TRUE(history.Undo());
        EXPECT_EQ(Letters(list), "ACDEF");
        EXPECT_EQ(Selected(list), "D");
        ASSERT_TRUE(history.Undo());
        EXPECT_EQ(Letters(list), "ABCDEF");
        EXPECT_EQ(Selected(list), "B");
        EXPECT_EQ(list.at(1).workPath, copyOfB);
        EXPECT_FALSE(history.Undo());

        // A deletion that falls out of the history takes its work copy along.
        SelectLetters(list, "B");
        history.Remember();
        TakeSelected(list);
        EXPECT_TRUE(QFile::exists(copyOfB));
        for (int i = 0; i < ListHistory::kMaxSteps; ++i) history.Remember();
        EXPECT_FALSE(QFile::exists(copyOfB));
    }
    EXPECT_TRUE(QFile::exists(list.at(0).workPath)) << "what the list holds is never deleted";
}

TEST(Selection, Modes) {
    constexpr int kAll = 100;  // a step that selects every entry, as Ctrl+A does
    struct Step {
        int index;
        int mode;
    };
    struct Case {
        const char* name;
        QList<Step> steps;
        QString selected;
        int anchor;
    } const cases[] = {
        {"plain_selects_one", {{1, kSelectPlain}, {3, kSelectPlain}}, "D", 3},
        {"plain_on_selected_keeps_group",
         {{1, kSelectPlain}, {3, kSelectToggle}, {1, kSelectPlain}},
         "BD",
         1},
        {"plain_outside_clears", {{1, kSelectPlain}, {-1, kSelectPlain}}, "", 1},
        {"ctrl_toggles", {{1, kSelectToggle}, {3, kSelectToggle}, {1, kSelectToggle}}, "D", 3},
        {"shift_forward", {{1, kSelectPlain}, {3, kSelectRange}}, "BCD", 1},
        {"shift_backward", {{3, kSelectPlain}, {1, kSelectRange}}, "BCD", 3},
        {"shift_moves_range_not_anchor",
         {{2, kSelectPlain}, {4, kSelectRange}, {0, kSelectRange}},
         "ABC",
         2},
        {"shift_before_any_click_selects_nothing", {{3, kSelectRange}}, "", -1},
        {"shift_outside_changes_nothing", {{1, kSelectPlain}, {-1, kSelectRange}}, "B", 1},
        // Ctrl+A selects every entry and keeps the anchor.
        {"all_then_ctrl_drops_one", {{1, kSelectPlain}, {kAll, 0}, {3, kSelectToggle}}, "ABCE", 1},
    };
    for (const Case& c : cases) {
        WorkingList list;
        Fill(list, "ABCDE");
        int anchor = -1;
        for (const Step& step : c.steps) {
            if (step.index == kAll)
                SelectAll(list);
            else
                Select(list, step.index, step.mode, anchor);
        }
        EXPECT_EQ(Selected(list), c.selected) << c.name;
        EXPECT_EQ(anchor, c.anchor) << c.name;
    }
}

TEST(Deletion, SelectedGoWithTheirWorkCopiesAllKeepsThem) {
    QTemporaryDir temp;
    WorkingList list;
    QAbstractItemModelTester tester(&list);
    Fill(list, "ABCDE");
    const QStringList copies = GiveWorkCopies(list, temp);

    SelectLetters(list, "BD");
    EXPECT_EQ(DeleteSelected(list), 2);
    EXPECT_EQ(Letters(list), "ACE");
    EXPECT_FALSE(QFile::exists(copies[1]));
    EXPECT_FALSE(QFile::exists(copies[3]));
    EXPECT_TRUE(QFile::exists(copies[0]));

    EXPECT_EQ(DeleteSelected(list), 0) << "nothing selected removes nothing";
    DeleteAll(list);
    EXPECT_TRUE(list.isEmpty());
    EXPECT_TRUE(QFile::exists(copies[0])) << "Delete All leaves the copies to the exit cleaning";
}

}  // namespace
