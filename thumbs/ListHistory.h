#pragma once

#include <QList>

#include "core/ImageEntry.h"

class WorkingList;

// The grid's undo: before each deletion, move or turn the list is remembered as it stands; Undo
// puts it back, order, selection, turns and all, several steps back. Images imported since a
// step stay, at the end in their order, and entries keep what became of them meanwhile (their
// thumbnails, turned back with them, and whether they were saved). The work copy of a deleted image
// stays on disk while a step can bring it back, and goes when the last such step is dropped (beyond
// kMaxSteps, or by Clear; the history's end leaves them to the work folder's cleaning). Owned by
// the view of the list; GUI thread.
class ListHistory {
public:
    static constexpr int kMaxSteps = 50;

    explicit ListHistory(WorkingList& list) : list_(list) {}
    // Its end leaves the work copies that only steps kept to the work folder's cleaning at exit,
    // and never touches the list: the view that owns the history is destroyed after the window
    // that owns the list.
    ListHistory(const ListHistory&) = delete;
    ListHistory& operator=(const ListHistory&) = delete;

    // Before a change: remembers the list as it is now.
    void Remember();
    bool CanUndo() const { return !steps_.isEmpty(); }
    // Puts the list back as it was before the last remembered change; false when there is none.
    bool Undo();
    // Forgets every step, deleting the work copies only they kept.
    void Clear();

private:
    // Drops the oldest step and deletes the work copies that nothing holds any more.
    void DropOldest();

    WorkingList& list_;
    QList<QList<ImageEntry>> steps_;
};
