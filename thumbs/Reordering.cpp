#include "thumbs/Reordering.h"

#include <algorithm>

#include "core/WorkingList.h"
#include "thumbs/Selection.h"

bool MoveSelected(WorkingList& list, int target, bool before) {
    const int n = list.count();
    if (SelectedCount(list) == 0) return false;
    int pos = target + (before ? 0 : 1);
    if (pos < 0) pos = 0;
    if (pos > n) pos = n - 1;

    // The block of selected entries goes in at pos among the entries as they are, and then its
    // sources leave: it lands between the unselected entries before pos and those after.
    QList<ImageEntry> front;
    QList<ImageEntry> block;
    QList<ImageEntry> back;
    for (int i = 0; i < n; ++i) {
        ImageEntry entry = list.at(i);
        if (entry.selected) {
            entry.selected = false;
            entry.saved = false;
            entry.positioned = false;
            block.append(std::move(entry));
        } else {
            (i < pos ? front : back).append(std::move(entry));
        }
    }
    list.ReplaceEntries(front + block + back);
    return true;
}

bool MoveSelectedBy(WorkingList& list, int step) {
    QList<ImageEntry> rest;
    QList<ImageEntry> block;
    int first = -1;  // the block's first place among the unselected entries
    for (const ImageEntry& entry : list.entries()) {
        if (entry.selected && first < 0) first = int(rest.size());
        (entry.selected ? block : rest).append(entry);
    }
    if (block.isEmpty() || step == 0) return false;
    // Back by one is behind the entry after the block's last one: the block starts where its
    // last entry stands among the others.
    if (step > 0) first = int(rest.size()) - int(list.count() - 1 - list.RowOf(block.last().id));
    const int place = std::clamp(first + step, 0, int(rest.size()));
    QList<ImageEntry> moved = rest.mid(0, place) + block + rest.mid(place);
    bool same = true;
    for (int i = 0; i < list.count() && same; ++i) same = moved[i].id == list.at(i).id;
    if (same) return false;
    for (ImageEntry& entry : moved) {
        entry.positioned = false;
        if (entry.selected) entry.saved = false;
    }
    list.ReplaceEntries(moved);
    return true;
}
