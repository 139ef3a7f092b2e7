#include "thumbs/ui/CThumbView.h"

#include <QAccessible>
#include <QApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include "core/WorkingList.h"
#include "skin/ui/SkinConstants.h"
#include "thumbs/Reordering.h"
#include "thumbs/Selection.h"
#include "thumbs/ThumbnailRenderer.h"
#include "thumbs/ui/DragPicture.h"
#include "thumbs/ui/GridAccessible.h"

using namespace thumbs;

namespace {

const QColor kCell(skin::kThumbCell);
const QColor kSelected(skin::kAccent);
const QColor kNumberText(skin::kThumbNumber);
const QColor kNotRendered(skin::kThumbNotRendered);
const QColor kDropMarker(skin::kAccent);

}  // namespace

CThumbView::CThumbView(WorkingList& list, Prompter& prompter, QWidget* parent)
    : QAbstractScrollArea(parent),
      list_(list),
      prompter_(prompter),
      renderer_(new ThumbnailRenderer(list, devicePixelRatioF(), this)),
      history_(list) {
    setObjectName(QStringLiteral("thumbView"));
    GridAccessible::Install();
    setFocusPolicy(Qt::StrongFocus);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFrameShape(QFrame::StyledPanel);
    viewport()->setAutoFillBackground(true);
    viewport()->setBackgroundRole(QPalette::Window);
    QPalette grey = viewport()->palette();
    grey.setColor(QPalette::Window, QColor(skin::kThumbViewBackground));
    grey.setColor(QPalette::Base, QColor(skin::kThumbViewBackground));
    viewport()->setPalette(grey);

    const auto changed = [this] {
        UpdateGeometry();
        viewport()->update();
    };
    // Appended and changed entries repaint only their cells, and only when they are in view:
    // an import of thousands of files or a renderer finishing off screen costs no painting.
    connect(&list_, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) {
                UpdateGeometry();
                UpdateRows(first, last);
            });
    connect(&list_, &QAbstractItemModel::rowsRemoved, this, changed);
    connect(&list_, &QAbstractItemModel::modelReset, this, changed);
    connect(&list_, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& top, const QModelIndex& bottom, const QList<int>& roles) {
                UpdateRows(top.row(), bottom.row());
                if (roles.contains(WorkingList::SelectedRole)) {
                    GridAccessible::TellSelection(this, top.row(), bottom.row());
                }
            });
    // Every change of the list's rows reaches a screen reader.
    for (const auto signal :
         {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved}) {
        connect(&list_, signal, this, &CThumbView::TellListChanged);
    }
    connect(&list_, &QAbstractItemModel::modelReset, this, &CThumbView::TellListChanged);

    // The drag auto-scroll: the first tick soon after a drag starts, then every 64 ms while
    // it lasts.
    autoScroll_.setSingleShot(true);
    connect(&autoScroll_, &QTimer::timeout, this, &CThumbView::AutoScrollTick);
}

CThumbView::~CThumbView() {
    delete dragPicture_;
    renderer_->WaitForDone();
}

int CThumbView::scroll() const {
    return verticalScrollBar()->value();
}

void CThumbView::UpdateGeometry() {
    grid_ = ComputeGrid(viewport()->width(), list_.count());
    const int content = ContentHeight(grid_.rows);
    QScrollBar* bar = verticalScrollBar();
    bar->setRange(0, std::max(0, content - viewport()->height()));
    bar->setPageStep(viewport()->height());
    bar->setSingleStep(kPitchY / 3);
    UpdateVisibleRows();
}

void CThumbView::UpdateVisibleRows() {
    const int first = scroll() / kPitchY * grid_.columns;
    const int last = ((scroll() + viewport()->height()) / kPitchY + 1) * grid_.columns - 1;
    renderer_->SetVisibleRows(first, std::min(last, list_.count() - 1));
}

void CThumbView::UpdateRows(int first, int last) {
    const QRect view = viewport()->rect();
    QRect dirty;
    const int firstInView = std::max(first, scroll() / kPitchY * grid_.columns);
    for (int row = firstInView; row <= last && row < list_.count(); ++row) {
        const QRect cell = CellAt(row, grid_.columns, scroll()).background;
        if (cell.top() > view.bottom()) break;
        if (cell.intersects(view)) dirty |= cell;
    }
    if (!dirty.isEmpty()) viewport()->update(dirty.adjusted(-4, 0, 4, 0));
}

void CThumbView::Relayout(bool scrollToEnd) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    UpdateGeometry();
    if (scrollToEnd) verticalScrollBar()->setValue(verticalScrollBar()->maximum());
    viewport()->update();
    QApplication::restoreOverrideCursor();
}

void CThumbView::PauseRenderer() {
    renderer_->Pause();
}

void CThumbView::ResumeRenderer() {
    // A drag in progress keeps the renderer paused until the drop is handled.
    if (!dragging_) renderer_->Resume();
}

void CThumbView::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
    TellFocus();
}

void CThumbView::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

void CThumbView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateGeometry();
}

void CThumbView::scrollContentsBy(int, int) {
    UpdateVisibleRows();
    viewport()->update();
}

void CThumbView::paintEvent(QPaintEvent* event) {
    // The thumbnails follow the screen the view is painted on: a move to a screen of another
    // ratio, or a change of the screen's scale, repaints the whole window.
    renderer_->SetPixelRatio(viewport()->devicePixelRatioF());
    QPainter painter(viewport());
    const QRect dirty = event->rect();
    const int columns = grid_.columns;
    const int firstRow = std::max(0, (scroll() + dirty.top()) / kPitchY);
    const int lastRow = (scroll() + dirty.bottom()) / kPitchY;
    for (int row = firstRow * columns; row < list_.count() && row < (lastRow + 1) * columns;
         ++row) {
        const ThumbCell cell = CellAt(row, columns, scroll());
        if (cell.background.intersects(dirty)) PaintCell(painter, row, cell);
    }
    if (dragging_ && dropTarget_ >= 0 && dropTarget_ < list_.count()) {
        painter.fillRect(DropMarker(CellAt(dropTarget_, columns, scroll()).background, dropBefore_),
                         kDropMarker);
    }
}

void CThumbView::PaintCell(QPainter& painter, int row, const ThumbCell& cell) {
    const ImageEntry& entry = list_.at(row);
    painter.fillRect(cell.background, kCell);
    painter.fillRect(cell.frame, entry.selected ? kSelected : kCell);

    QFont small = font();
    small.setPixelSize(10);
    painter.setFont(small);
    painter.setPen(kNumberText);
    painter.drawText(cell.frame.adjusted(3, -1, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                     QString::number(row + 1));

    const QSize turned = TurnedSize(entry);
    const QRect fitted = ThumbnailRect(cell.box, float(turned.width()), float(turned.height()));
    if (!entry.rendered) {
        painter.fillRect(fitted, kNotRendered);
    } else if (!entry.thumbnail.isNull()) {
        // Images smaller than the box keep their size, centred in their place. The thumbnail
        // has the screen's pixels for its logical size, so it is drawn without scaling; one
        // made for another screen is scaled until the renderer has replaced it.
        const QSizeF size =
            entry.thumbnail.deviceIndependentSize().boundedTo(QSizeF(fitted.size()));
        QRect place(QPoint(0, 0), size.toSize());
        place.moveCenter(fitted.center());
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRectF(place.topLeft(), size), entry.thumbnail);
    }

    // Where the keyboard is, while the grid has the focus.
    if (row == current_ && hasFocus()) {
        painter.setPen(QPen(kDropMarker, 1, Qt::DashLine));
        painter.drawRect(cell.frame.adjusted(1, 1, -2, -2));
    }

    QFont caption = font();
    caption.setPixelSize(11);
    painter.setFont(caption);
    painter.setPen(kNumberText);
    const QString name = DisplayName(entry);
    painter.drawText(cell.caption, Qt::AlignCenter,
                     painter.fontMetrics().elidedText(name, Qt::ElideMiddle, cell.caption.width()));
}

int CThumbView::ModeOfKeys(Qt::KeyboardModifiers keys) {
    if (keys & Qt::ControlModifier) return kSelectToggle;
    if (keys & Qt::ShiftModifier) return kSelectRange;
    return kSelectPlain;
}

void CThumbView::mousePressEvent(QMouseEvent* event) {
    const int index = HitTest(event->position().toPoint(), list_.count(), grid_.columns, scroll());
    if (index >= 0) current_ = index;
    if (event->button() == Qt::LeftButton) {
        Select(list_, index, ModeOfKeys(event->modifiers()), anchor_);
        pressPoint_ = event->globalPosition().toPoint();
        pressed_ = true;
        dragging_ = false;
        dragSource_ = -1;
    } else if (event->button() == Qt::RightButton) {
        // A right click on an unselected cell makes it the selection; on a selected one it
        // keeps the group for the menu. Ctrl leaves the selection alone.
        const int mode = ModeOfKeys(event->modifiers());
        if (mode != kSelectToggle) Select(list_, index, mode, anchor_);
    }
    setFocus(Qt::MouseFocusReason);
}

void CThumbView::mouseDoubleClickEvent(QMouseEvent* event) {
    const int index = HitTest(event->position().toPoint(), list_.count(), grid_.columns, scroll());
    Select(list_, index, ModeOfKeys(event->modifiers()), anchor_);
}

void CThumbView::mouseMoveEvent(QMouseEvent* event) {
    if ((event->buttons() & Qt::LeftButton) && pressed_) {
        DragStep(event->globalPosition().toPoint());
    } else if (dragging_) {
        EndDrag(event->globalPosition().toPoint());
    }
}

void CThumbView::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint global = event->globalPosition().toPoint();
    if (event->button() == Qt::LeftButton) {
        EndDrag(global);
        pressed_ = false;
    } else if (event->button() == Qt::RightButton) {
        if (dragging_) {
            EndDrag(global);
        } else {
            ShowContextMenu(global);
        }
    }
}

void CThumbView::DragStep(const QPoint& globalPos) {
    if (!dragging_) {
        const QPoint moved = globalPos - pressPoint_;
        if (std::abs(moved.x()) < kDragThreshold && std::abs(moved.y()) < kDragThreshold) return;
        const int source =
            HitTest(viewport()->mapFromGlobal(pressPoint_), list_.count(), grid_.columns, scroll());
        if (source < 0) return;  // a press on the background between cells drags nothing
        PauseRenderer();
        dragPicture_ = new DragPicture(list_.at(source), SelectedCount(list_), window());
        dragging_ = true;
        dragSource_ = source;
        autoScroll_.start(kAutoScrollFirstMs);
    }
    if (dragPicture_) dragPicture_->FollowCursor(globalPos);
    const QPoint point = viewport()->mapFromGlobal(globalPos);
    const int target = DropHitTest(point, list_.count(), grid_.columns, scroll());
    const bool before =
        target >= 0 && DropBefore(CellAt(target, grid_.columns, scroll()).background, point.x());
    const int step = AutoScrollStep(globalPos.y(), viewport()->mapToGlobal(QPoint(0, 0)).y(),
                                    viewport()->mapToGlobal(QPoint(0, viewport()->height())).y());
    if (step != 0) {
        autoScrollStep_ = step;
        autoScrollPending_ = true;
    }
    if (target != dropTarget_ || before != dropBefore_) {
        dropTarget_ = target;
        dropBefore_ = before;
        viewport()->update();
    }
}

void CThumbView::EndDrag(const QPoint& globalPos) {
    delete dragPicture_;
    const bool wasDragging = dragging_;
    dragging_ = false;
    autoScroll_.stop();
    autoScrollPending_ = false;
    dropTarget_ = -1;
    if (!wasDragging) {
        dragSource_ = -1;
        return;
    }
    viewport()->update();
    const QPoint point = viewport()->mapFromGlobal(globalPos);
    const int target = DropHitTest(point, list_.count(), grid_.columns, scroll());
    const bool before =
        target >= 0 && DropBefore(CellAt(target, grid_.columns, scroll()).background, point.x());
    if (!IsNoOpDrop(target, before, dragSource_)) {
        history_.Remember();
        MoveSelected(list_, target, before);
        Q_EMIT listChanged();
    }
    ResumeRenderer();
    dragSource_ = -1;
}

void CThumbView::AutoScrollTick() {
    if (!dragging_) return;
    if (autoScrollPending_ && ContentHeight(grid_.rows) > viewport()->height()) {
        QScrollBar* bar = verticalScrollBar();
        bar->setValue(bar->value() + autoScrollStep_);
        autoScrollPending_ = false;
    }
    autoScroll_.start(kAutoScrollMs);
}

void CThumbView::SetCurrent(int index) {
    current_ = list_.isEmpty() ? -1 : std::clamp(index, 0, list_.count() - 1);
    if (current_ < 0) return;
    TellFocus();
    // Into view: the cell's row between the top and the bottom of the viewport.
    const QRect cell = CellAt(current_, grid_.columns, scroll()).background;
    QScrollBar* bar = verticalScrollBar();
    if (cell.top() < 0) {
        bar->setValue(bar->value() + cell.top());
    } else if (cell.bottom() > viewport()->height()) {
        bar->setValue(bar->value() + cell.bottom() - viewport()->height());
    }
    viewport()->update();
}

QMenu* CThumbView::contextMenu() const {
    return contextMenu_;
}

QRect CThumbView::CellOnScreen(int row) const {
    const QRect cell = CellAt(row, grid_.columns, scroll()).background;
    return QRect(viewport()->mapToGlobal(cell.topLeft()), cell.size());
}

void CThumbView::ToggleSelected(int row) {
    Select(list_, row, kSelectToggle, anchor_);
}

void CThumbView::FocusEntry(int row) {
    setFocus(Qt::OtherFocusReason);
    SetCurrent(row);
}

void CThumbView::TellListChanged() {
    GridAccessible::TellListChanged(this);
}

void CThumbView::TellFocus() {
    if (hasFocus()) GridAccessible::TellFocus(this, current_);
}

void CThumbView::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers keys = event->modifiers() & ~Qt::KeypadModifier;
    const int columns = std::max(1, grid_.columns);
    // Moves of the selected images: a place with Alt+Left/Right, a row with Ctrl+Up/Down.
    if (keys == Qt::AltModifier &&
        (event->key() == Qt::Key_Left || event->key() == Qt::Key_Right)) {
        MoveBy(event->key() == Qt::Key_Left ? -1 : 1);
        return;
    }
    if (keys == Qt::ControlModifier &&
        (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down)) {
        MoveBy(event->key() == Qt::Key_Up ? -columns : columns);
        return;
    }
    // Turns of the selected images: right with Ctrl+R, left with Ctrl+Shift+R.
    if (event->key() == Qt::Key_R && (keys & ~Qt::ShiftModifier) == Qt::ControlModifier) {
        TurnCommand(keys & Qt::ShiftModifier ? -1 : 1);
        return;
    }
    const std::optional<int> step = KeyStep(event->key(), columns, list_.count());
    if (!step) {
        if (event->key() == Qt::Key_Space) {
            // Space selects the entry the keyboard is on, Ctrl+Space toggles it.
            if (current_ >= 0) {
                Select(list_, current_, keys & Qt::ControlModifier ? kSelectToggle : kSelectPlain,
                       anchor_);
            }
        } else if (event->key() == Qt::Key_Menu) {
            ShowContextMenu(viewport()->mapToGlobal(
                current_ >= 0 ? CellAt(current_, columns, scroll()).background.center()
                              : QPoint(0, 0)));
        } else if (event->matches(QKeySequence::Undo)) {
            UndoCommand();
        } else {
            QAbstractScrollArea::keyPressEvent(event);
        }
        return;
    }
    if (list_.isEmpty()) return;
    // From nowhere, the first key lands on the first entry (or the last, going back).
    const int from = current_ >= 0 ? current_ : (*step < 0 ? list_.count() : -1);
    SetCurrent(from + *step);
    // Plain keys select the entry alone, Shift extends from the anchor, Ctrl only moves.
    if (!(keys & Qt::ControlModifier)) Select(list_, current_, ModeOfKeys(keys), anchor_);
}
