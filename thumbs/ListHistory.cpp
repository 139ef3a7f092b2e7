#include "thumbs/ListHistory.h"

#include <QFile>
#include <QHash>
#include <QSet>

#include "core/WorkingList.h"
#include "thumbs/Rotation.h"

namespace {

QSet<EntryId> IdsOf(const QList<ImageEntry>& entries) {
    QSet<EntryId> ids;
    for (const ImageEntry& entry : entries) ids.insert(entry.id);
    return ids;
}

}  // namespace

void ListHistory::Remember() {
    steps_.append(list_.entries());
    while (steps_.size() > kMaxSteps) DropOldest();
}

bool ListHistory::Undo() {
    if (steps_.isEmpty()) return false;
    const QList<ImageEntry> before = steps_.takeLast();
    QHash<EntryId, ImageEntry> now;
    for (const ImageEntry& entry : list_.entries()) now.insert(entry.id, entry);
    QList<ImageEntry> restored;
    for (const ImageEntry& old : before) {
        // An entry still in the list brings what happened to it since; its place, its
        // selection and its turn are the step's, and the thumbnail it has now (perhaps made
        // again since) is turned back to match.
        ImageEntry entry = now.take(old.id);
        if (entry.id == 0) entry = old;
        entry.selected = old.selected;
        entry.thumbnail = TurnedImage(entry.thumbnail, old.quarterTurns - entry.quarterTurns);
        entry.quarterTurns = old.quarterTurns;
        entry.positioned = false;
        restored.append(std::move(entry));
    }
    for (const ImageEntry& entry : list_.entries()) {
        if (now.contains(entry.id)) restored.append(entry);  // imported after the step
    }
    list_.ReplaceEntries(restored);
    return true;
}

void ListHistory::Clear() {
    while (!steps_.isEmpty()) DropOldest();
}

void ListHistory::DropOldest() {
    const QList<ImageEntry> dropped = steps_.takeFirst();
    QSet<EntryId> held = IdsOf(list_.entries());
    for (const QList<ImageEntry>& step : steps_) held.unite(IdsOf(step));
    for (const ImageEntry& entry : dropped) {
        if (!held.contains(entry.id)) QFile::remove(entry.workPath);
    }
}
