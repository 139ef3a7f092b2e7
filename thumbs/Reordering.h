#pragma once

class WorkingList;

// Moving the selected entries as one block, in their order, to just before or just after a
// target entry: what a drop in the grid and the placement dialog both do. GUI thread.
// target is a 0-based index; before places the block in front of it. The insertion place is
// target (+ 1 when not before), kept within 0 .. count - 1 when it lies beyond the end, so
// that "Previous to" count + 1 appends while a larger place lands before the last entry.
// Moved entries come back unselected and unsaved; their ids and thumbnails are kept. False
// when nothing is selected (nothing changes).
bool MoveSelected(WorkingList& list, int target, bool before);

// Moves the selected entries as one block by step places (negative: towards the front), from
// the first selected entry (or, moving back, the last); they stay selected, so that the key
// can be pressed again. False when nothing is selected or the block is at that end already.
bool MoveSelectedBy(WorkingList& list, int step);

// The entry number and side chosen in the placement dialog, as a MoveSelected call.
inline bool PlaceSelected(WorkingList& list, int number, bool before) {
    return MoveSelected(list, number - 1, before);
}
