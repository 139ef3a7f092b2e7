#include "thumbs/Reordering.h"

#include "thumbs/Selection.h"
#include "thumbs/WorkingList.h"

namespace thumbs {

bool MoveSelected(WorkingList& list, int target, bool before) {
    const int n = list.count();
    const int k = SelectedCount(list);
    if (k == 0) return false;
    int pos = target + (before ? 0 : 1);
    if (pos < 0) pos = 0;
    if (pos > n) pos = n - 1;

    // Copies of the selected entries go in at pos, then the originals (still selected) leave:
    // the order this leaves is exactly that of inserting the block and removing its sources.
    QList<ImageEntry> entries = list.entries();
    int s = 0;
    for (int i = 0; i < k; ++i) {
        int src = -1;
        for (int j = s; j < entries.size(); ++j) {
            if (entries[j].selected) {
                src = j;
                break;
            }
        }
        ImageEntry copy = entries[src];
        copy.selected = false;
        copy.saved = false;
        copy.positioned = false;
        entries.insert(pos, copy);
        s = pos > src ? src + 1 : src + 2;
        ++pos;
    }
    entries.removeIf([](const ImageEntry& entry) { return entry.selected; });
    list.ReplaceEntries(entries);
    return true;
}

}  // namespace thumbs
