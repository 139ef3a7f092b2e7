#include "thumbs/ui/GridAccessible.h"

#include <QMenu>
#include <QPointer>
#include <QTimer>

#include "core/WorkingList.h"
#include "skin/UiTexts.h"
#include "thumbs/Selection.h"
#include "thumbs/ThumbLayout.h"
#include "thumbs/ui/CThumbView.h"

namespace {

// How long the items' new names wait for the next change of the list.
constexpr int kRenameDelayMs = 100;

// One image of the grid.
class ItemAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    ItemAccessible(CThumbView* view, EntryId id) : view_(view), id_(id) {}

    bool isValid() const override { return view_ && Row() >= 0; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return view_ ? view_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(view_.data());
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }

    QString text(QAccessible::Text t) const override {
        const int row = Row();
        if (t != QAccessible::Name || row < 0) return QString();
        const WorkingList& list = view_->list();
        return UiTexts::Text("grid.item")
            .arg(row + 1)
            .arg(list.count())
            .arg(DisplayName(list.at(row)));
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        const int row = Row();
        return row < 0 ? QRect() : view_->CellOnScreen(row);
    }
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QAccessible::State state() const override {
        QAccessible::State state;
        const int row = Row();
        if (row < 0) {
            state.invalid = true;
            return state;
        }
        state.selectable = true;
        state.multiSelectable = true;
        state.focusable = true;
        state.selected = view_->list().at(row).selected;
        state.focused = view_->hasFocus() && view_->currentEntry() == row;
        state.active = state.focused;
        const QRect cell = rect();
        state.offscreen =
            !QRect(view_->viewport()->mapToGlobal(QPoint(0, 0)), view_->viewport()->size())
                 .intersects(cell);
        return state;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                    : nullptr;
    }
    QStringList actionNames() const override { return {toggleAction(), setFocusAction()}; }
    void doAction(const QString& name) override {
        const int row = Row();
        if (row < 0) return;
        if (name == toggleAction()) view_->ToggleSelected(row);
        if (name == setFocusAction()) view_->FocusEntry(row);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    int Row() const { return view_ ? view_->list().RowOf(id_) : -1; }

    QPointer<CThumbView> view_;
    EntryId id_;
};

}  // namespace

GridAccessible::GridAccessible(CThumbView* view) : QAccessibleWidget(view, QAccessible::List) {}

CThumbView* GridAccessible::View() const {
    return static_cast<CThumbView*>(widget());
}

// The images, then the context menu while it is open.
int GridAccessible::childCount() const {
    return View()->list().count() + (View()->contextMenu() ? 1 : 0);
}

QAccessibleInterface* GridAccessible::child(int index) const {
    const WorkingList& list = View()->list();
    if (index == list.count() && View()->contextMenu()) {
        return QAccessible::queryAccessibleInterface(View()->contextMenu());
    }
    if (index < 0 || index >= list.count()) return nullptr;
    return ItemOf(list.at(index).id);
}

QAccessibleInterface* GridAccessible::ItemOf(EntryId id) const {
    const auto known = items_.constFind(id);
    if (known != items_.constEnd()) return QAccessible::accessibleInterface(*known);
    QAccessibleInterface* item = new ItemAccessible(View(), id);
    items_.insert(id, QAccessible::registerAccessibleInterface(item));
    return item;
}

int GridAccessible::indexOfChild(const QAccessibleInterface* child) const {
    if (child && View()->contextMenu() && child->object() == View()->contextMenu()) {
        return View()->list().count();
    }
    for (auto it = items_.constBegin(); it != items_.constEnd(); ++it) {
        if (QAccessible::accessibleInterface(it.value()) == child) {
            return View()->list().RowOf(it.key());
        }
    }
    return -1;
}

QAccessibleInterface* GridAccessible::childAt(int x, int y) const {
    CThumbView* view = View();
    const QPoint point = view->viewport()->mapFromGlobal(QPoint(x, y));
    return child(HitTest(point, view->list().count(), view->grid().columns, view->scroll()));
}

void GridAccessible::ForgetGoneItems() {
    for (auto it = items_.begin(); it != items_.end();) {
        if (View()->list().RowOf(it.key()) >= 0) {
            ++it;
            continue;
        }
        QAccessible::deleteAccessibleInterface(it.value());
        it = items_.erase(it);
    }
}

void GridAccessible::Install() {
    static const bool installed = [] {
        QAccessible::installFactory([](const QString&, QObject* object) -> QAccessibleInterface* {
            if (auto* view = qobject_cast<CThumbView*>(object)) return new GridAccessible(view);
            return nullptr;
        });
        return true;
    }();
    Q_UNUSED(installed);
}

GridAccessible* GridAccessible::Of(CThumbView* view) {
    if (!QAccessible::isActive()) return nullptr;
    return dynamic_cast<GridAccessible*>(QAccessible::queryAccessibleInterface(view));
}

void GridAccessible::TellSelection(CThumbView* view, int first, int last) {
    GridAccessible* grid = Of(view);
    if (grid == nullptr) return;
    for (int row = first; row <= last; ++row) {
        QAccessible::State selected;
        selected.selected = true;
        QAccessibleStateChangeEvent event(grid->ItemOf(view->list().at(row).id), selected);
        QAccessible::updateAccessibility(&event);
    }
}

void GridAccessible::TellListChanged(CThumbView* view) {
    GridAccessible* grid = Of(view);
    if (grid == nullptr) return;
    grid->ForgetGoneItems();
    QAccessibleEvent event(view, QAccessible::ObjectReorder);
    QAccessible::updateAccessibility(&event);
    // An item's name holds its place and the count, and a screen reader keeps the names it has
    // read: every item it knows is renamed, once for a burst of changes (an import adds its
    // rows one by one).
    if (grid->renamePending_) return;
    grid->renamePending_ = true;
    QTimer::singleShot(kRenameDelayMs, view, [view] {
        GridAccessible* grid = Of(view);
        if (grid == nullptr) return;
        grid->renamePending_ = false;
        grid->ForgetGoneItems();
        for (auto it = grid->items_.constBegin(); it != grid->items_.constEnd(); ++it) {
            QAccessibleEvent renamed(QAccessible::accessibleInterface(it.value()),
                                     QAccessible::NameChanged);
            QAccessible::updateAccessibility(&renamed);
        }
    });
}

void GridAccessible::TellFocus(CThumbView* view, int row) {
    GridAccessible* grid = Of(view);
    if (grid == nullptr || row < 0 || row >= view->list().count()) return;
    QAccessibleEvent event(grid->ItemOf(view->list().at(row).id), QAccessible::Focus);
    QAccessible::updateAccessibility(&event);
}
