#include "thumbs/Reordering.h"

#include "core/WorkingList.h"
#include "thumbs/Selection.h"

namespace thumbs {

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

}  // namespace thumbs
