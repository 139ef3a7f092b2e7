#include "thumbs/Deletion.h"

#include <QFile>

#include "core/WorkingList.h"

namespace thumbs {

int DeleteSelected(WorkingList& list) {
    QList<ImageEntry> kept;
    int removed = 0;
    for (const ImageEntry& entry : list.entries()) {
        if (!entry.selected) {
            kept.append(entry);
            continue;
        }
        QFile::remove(entry.workPath);
        ++removed;
    }
    if (removed > 0) list.ReplaceEntries(kept);
    return removed;
}

void DeleteAll(WorkingList& list) {
    if (!list.isEmpty()) list.ReplaceEntries({});
}

}  // namespace thumbs
