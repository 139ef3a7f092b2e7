#include "thumbs/Selection.h"

#include "core/WorkingList.h"

void SetRangeSelected(WorkingList& list, int from, int to, bool selected) {
    if (from < 0 || from > to || to >= list.count()) return;
    for (int i = from; i <= to; ++i) list.SetSelected(i, selected);
}

void ClearSelection(WorkingList& list) {
    for (int i = 0; i < list.count(); ++i) {
        if (list.at(i).selected) list.SetSelected(i, false);
    }
}

void SelectAll(WorkingList& list) {
    for (int i = 0; i < list.count(); ++i) {
        if (!list.at(i).selected) list.SetSelected(i, true);
    }
}

void Select(WorkingList& list, int index, int mode, int& anchor) {
    const int n = list.count();
    switch (mode) {
        case kSelectPlain:
            if (index < 0 || index >= n) {
                ClearSelection(list);
                return;
            }
            if (!list.at(index).selected) ClearSelection(list);
            list.SetSelected(index, true);
            anchor = index;
            return;
        case kSelectToggle:
            if (index < 0 || index >= n) return;
            list.SetSelected(index, !list.at(index).selected);
            if (list.at(index).selected) anchor = index;
            return;
        case kSelectRange: {
            if (index < 0 || index >= n) return;
            const int a = anchor;
            SetRangeSelected(list, 0, index - 1, false);
            if (a > index) {
                SetRangeSelected(list, index, a, true);
                SetRangeSelected(list, a + 1, n - 1, false);
            } else {
                // With no anchor (-1) this selects nothing: only the entries before go.
                SetRangeSelected(list, a, index, true);
                SetRangeSelected(list, index + 1, n - 1, false);
            }
            return;
        }
        default:
            return;
    }
}

bool AnySelected(const WorkingList& list) {
    return FindSelectedFrom(list, 0) >= 0;
}

int SelectedCount(const WorkingList& list) {
    int selected = 0;
    for (const ImageEntry& entry : list.entries()) selected += entry.selected ? 1 : 0;
    return selected;
}

int FindSelectedFrom(const WorkingList& list, int start) {
    for (int i = std::max(0, start); i < list.count(); ++i) {
        if (list.at(i).selected) return i;
    }
    return -1;
}
