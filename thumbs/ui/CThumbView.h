#pragma once

#include <QAbstractScrollArea>
#include <QPointer>
#include <QTimer>

#include "thumbs/ListHistory.h"
#include "thumbs/ThumbLayout.h"

class DragPicture;
class QMenu;
class Prompter;
class ThumbnailRenderer;
class WorkingList;

// The grid of thumbnails over the working list: draws every cell itself (one painted cell per
// entry, however many there are), selects with plain, Shift and Ctrl clicks or the arrow keys,
// moves the selection by dragging it to a gap between cells or with Alt+Left/Right (a place)
// and Ctrl+Up/Down (a row), turns it by hand (Ctrl+R, Ctrl+Shift+R), undoes deletions, moves and
// turns, and offers the list commands in a context menu (CThumbViewCommands.cpp). The thumbnails
// come from a renderer on the thread pool; the view never waits for one. Owned by the main window;
// GUI thread.
class CThumbView : public QAbstractScrollArea {
    Q_OBJECT

public:
    static constexpr int kAutoScrollFirstMs = 32;
    static constexpr int kAutoScrollMs = 64;

    CThumbView(WorkingList& list, Prompter& prompter, QWidget* parent = nullptr);
    ~CThumbView() override;

    ThumbnailRenderer& renderer() { return *renderer_; }
    const WorkingList& list() const { return list_; }
    ThumbGrid grid() const { return grid_; }
    int scroll() const;
    int selectionAnchor() const { return anchor_; }
    // The entry the keyboard is on (-1: none).
    int currentEntry() const { return current_; }
    bool dragging() const { return dragging_; }
    // The drop place while dragging: the target entry (-1 for none) and its side.
    int dropTarget() const { return dropTarget_; }
    bool dropBefore() const { return dropBefore_; }

    // After a batch of imports (scrollToEnd) or a deletion: the grid and scroll range follow
    // the list, and the new images come into view.
    void Relayout(bool scrollToEnd);
    void PauseRenderer();
    void ResumeRenderer();

    // The context menu while it is open, else null (for a screen reader).
    QMenu* contextMenu() const;
    // Where an entry's cell is on the screen (for a screen reader).
    QRect CellOnScreen(int row) const;
    // A screen reader's actions on an item: its selection toggled, the keyboard put on it.
    void ToggleSelected(int row);
    void FocusEntry(int row);

    // The list commands (the context menu's, the Delete key's, Ctrl+A's, Ctrl+R's).
    void SortCommand();
    void DeleteSelectedCommand();
    void DeleteAllCommand();
    void SelectAllCommand();
    void UndoCommand();
    // Turns the selected images clockwise by quarterTurns (negative: to the left).
    void TurnCommand(int quarterTurns);
    bool CanUndo() const { return history_.CanUndo(); }

    // The context menu with its items enabled as the list and selection allow.
    void ShowContextMenu(const QPoint& globalPos);

Q_SIGNALS:
    // The order or the contents changed through the view (a move, a deletion).
    void listChanged();
    // Images were turned by hand: what was written of them no longer shows the turn.
    void turned();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void UpdateGeometry();
    void UpdateVisibleRows();
    // Repaints the cells of rows first..last that are in view.
    void UpdateRows(int first, int last);
    void PaintCell(QPainter& painter, int row, const ThumbCell& cell);
    void DragStep(const QPoint& globalPos);
    void EndDrag(const QPoint& globalPos);
    void AutoScrollTick();
    static int ModeOfKeys(Qt::KeyboardModifiers keys);
    // The keyboard's entry moves to index (kept in the list) and into view.
    void SetCurrent(int index);
    // Moves the selection by step places, remembered for Undo.
    void MoveBy(int step);
    // Tells a screen reader (when one listens) that the list changed, or where the keyboard is.
    void TellListChanged();
    void TellFocus();

    WorkingList& list_;
    Prompter& prompter_;
    ThumbnailRenderer* renderer_;
    ThumbGrid grid_;
    int anchor_ = -1;
    int current_ = -1;
    ListHistory history_;

    // Drag state.
    QPoint pressPoint_;     // global position of the last left press
    bool pressed_ = false;  // the left button went down in the view
    bool dragging_ = false;
    int dragSource_ = -1;
    int dropTarget_ = -1;
    bool dropBefore_ = false;
    int autoScrollStep_ = 0;
    bool autoScrollPending_ = false;
    QTimer autoScroll_;
    QPointer<DragPicture> dragPicture_;
    QPointer<QMenu> contextMenu_;  // while it is open
};
