#include "thumbs/Deletion.h"

#include <QFile>

#include "core/WorkingList.h"

int DeleteSelected(WorkingList& list) {
    const QList<ImageEntry> removed = TakeSelected(list);
    for (const ImageEntry& entry : removed) QFile::remove(entry.workPath);
    return int(removed.size());
}

QList<ImageEntry> TakeSelected(WorkingList& list) {
    QList<ImageEntry> kept;
    QList<ImageEntry> removed;
    for (const ImageEntry& entry : list.entries()) (entry.selected ? removed : kept).append(entry);
    if (!removed.isEmpty()) list.ReplaceEntries(kept);
    return removed;
}

void DeleteAll(WorkingList& list) {
    if (!list.isEmpty()) list.ReplaceEntries({});
}
