#pragma once

class WorkingList;

// The selection rules of the grid. A plain click selects one entry (clicking an entry that is
// already selected keeps the group, so it can be dragged); Ctrl toggles; Shift selects from the
// anchor (the last plain or Ctrl click that selected) to the clicked entry in either direction,
// and nothing when there is no anchor yet. The anchor is the caller's and survives moves and
// deletions only as a number. GUI thread.
enum SelectMode : int { kSelectPlain = 0, kSelectRange = 1, kSelectToggle = 2 };

void Select(WorkingList& list, int index, int mode, int& anchor);
// Sets the flag on entries from..to inclusive; nothing unless 0 <= from <= to < count.
void SetRangeSelected(WorkingList& list, int from, int to, bool selected);
void ClearSelection(WorkingList& list);
void SelectAll(WorkingList& list);
bool AnySelected(const WorkingList& list);
int SelectedCount(const WorkingList& list);
// The first selected index at or after start, or -1.
int FindSelectedFrom(const WorkingList& list, int start);
