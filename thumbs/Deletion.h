#pragma once

#include <QList>

#include "core/ImageEntry.h"

class WorkingList;

// Taking images out of the working list. The user's own files are never touched. GUI thread.
// Removes the selected entries and deletes their work copies (a copy that cannot be deleted
// stays behind silently). Returns how many were removed.
int DeleteSelected(WorkingList& list);
// Removes the selected entries and gives them back; their work copies stay (an undo can bring
// them back).
QList<ImageEntry> TakeSelected(WorkingList& list);
// Empties the list; the work copies stay until the work folder is cleaned at exit.
void DeleteAll(WorkingList& list);
