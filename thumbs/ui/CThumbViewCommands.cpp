#include "thumbs/ui/CThumbView.h"

#include <QApplication>
#include <QMenu>

#include "core/WorkingList.h"
#include "skin/MessageIds.h"
#include "skin/Prompter.h"
#include "skin/UiTexts.h"
#include "skin/ui/OwnerDrawMenu.h"
#include "thumbs/Deletion.h"
#include "thumbs/Reordering.h"
#include "thumbs/Rotation.h"
#include "thumbs/Selection.h"
#include "thumbs/ui/PlacementDialog.h"

// The grid's list commands and the context menu that offers them: each change is remembered
// for Undo first.

void CThumbView::ShowContextMenu(const QPoint& globalPos) {
    OwnerDrawMenu menu(this);
    contextMenu_ = &menu;
    QAction* sort = menu.addAction(UiTexts::Text("menu.context.sort"));
    QAction* remove = menu.addAction(UiTexts::Text("menu.context.delete"));
    menu.addSeparator();
    QAction* removeAll = menu.addAction(UiTexts::Text("menu.context.delete_all"));
    menu.addSeparator();
    QAction* undo = menu.addAction(UiTexts::Text("menu.context.undo"));
    menu.addSeparator();
    QAction* right = menu.addAction(UiTexts::Text("menu.context.rotate_right"));
    QAction* left = menu.addAction(UiTexts::Text("menu.context.rotate_left"));
    const bool any = AnySelected(list_);
    sort->setEnabled(any && list_.count() > 1);
    remove->setEnabled(any);
    right->setEnabled(any);
    left->setEnabled(any);
    removeAll->setEnabled(!list_.isEmpty());
    undo->setEnabled(history_.CanUndo());
    connect(sort, &QAction::triggered, this, &CThumbView::SortCommand);
    connect(remove, &QAction::triggered, this, &CThumbView::DeleteSelectedCommand);
    connect(removeAll, &QAction::triggered, this, &CThumbView::DeleteAllCommand);
    connect(undo, &QAction::triggered, this, &CThumbView::UndoCommand);
    connect(right, &QAction::triggered, this, [this] { TurnCommand(1); });
    connect(left, &QAction::triggered, this, [this] { TurnCommand(-1); });
    menu.exec(globalPos);
}

void CThumbView::SortCommand() {
    PlacementDialog dialog(list_.count(), this);
    if (dialog.exec() != QDialog::Accepted) return;
    history_.Remember();
    if (PlaceSelected(list_, dialog.PlacementNumber(), dialog.PlaceBefore())) {
        Q_EMIT listChanged();
    } else {
        history_.Undo();  // nothing moved: nothing to undo
    }
}

void CThumbView::DeleteSelectedCommand() {
    if (!AnySelected(list_) || !prompter_.Confirm(msg::DeleteImage)) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    history_.Remember();
    // The work copies stay while Undo can bring the images back.
    TakeSelected(list_);  // the list's reset lays the view out again
    QApplication::restoreOverrideCursor();
    SetCurrent(current_);
    Q_EMIT listChanged();
}

void CThumbView::DeleteAllCommand() {
    if (!prompter_.Confirm(msg::DeleteAllImages)) return;
    history_.Remember();
    DeleteAll(list_);
    current_ = -1;
    Q_EMIT listChanged();
}

void CThumbView::UndoCommand() {
    if (!history_.Undo()) return;
    SetCurrent(current_);
    Q_EMIT listChanged();
}

void CThumbView::TurnCommand(int quarterTurns) {
    if (!AnySelected(list_)) return;
    history_.Remember();
    TurnSelected(list_, quarterTurns);
    Q_EMIT listChanged();
    Q_EMIT turned();
}

void CThumbView::MoveBy(int step) {
    history_.Remember();
    if (!MoveSelectedBy(list_, step)) {
        history_.Undo();  // nothing moved: nothing to undo
        return;
    }
    SetCurrent(FindSelectedFrom(list_, 0));
    Q_EMIT listChanged();
}

void CThumbView::SelectAllCommand() {
    SelectAll(list_);
}
