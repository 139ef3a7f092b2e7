#pragma once

#include <QAccessibleWidget>
#include <QHash>

#include "core/ImageEntry.h"

class CThumbView;

// The thumbnail grid as a screen reader reads it: a list whose items are the images in list
// order, each named by its place and its name ("3 of 22: beach.jpg"), selectable, selected and
// focused as the grid shows it. An item stands for its entry, not its row: it follows the image
// when the order changes and goes with it. Made by Qt's accessibility layer for the view; GUI
// thread.
class GridAccessible : public QAccessibleWidget {
public:
    explicit GridAccessible(CThumbView* view);

    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;

    // The item of an entry, made (and registered with the layer) the first time it is asked for.
    QAccessibleInterface* ItemOf(EntryId id) const;
    // Lets go of the items whose entries left the list.
    void ForgetGoneItems();

    // Registers the grid's interface with Qt's accessibility layer; once per process.
    static void Install();

    // What a screen reader is told of the grid's changes, when one listens: the rows first..last
    // changed their selection; the list's rows came, went or moved; the entry at row has the
    // keyboard's focus.
    static void TellSelection(CThumbView* view, int first, int last);
    static void TellListChanged(CThumbView* view);
    static void TellFocus(CThumbView* view, int row);

private:
    CThumbView* View() const;
    static GridAccessible* Of(CThumbView* view);

    mutable QHash<EntryId, QAccessible::Id> items_;
    bool renamePending_ = false;  // the known items are renamed soon
};
