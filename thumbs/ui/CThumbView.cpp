#include "thumbs/ui/CThumbView.h"

#include <QApplication>
#include <QFileInfo>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include "core/WorkingList.h"
#include "skin/MessageIds.h"
#include "skin/Prompter.h"
#include "skin/UiTexts.h"
#include "skin/ui/OwnerDrawMenu.h"
#include "skin/ui/SkinConstants.h"
#include "thumbs/Deletion.h"
#include "thumbs/Reordering.h"
#include "thumbs/Selection.h"
#include "thumbs/ThumbnailRenderer.h"
#include "thumbs/ui/DragPicture.h"
#include "thumbs/ui/PlacementDialog.h"

using namespace thumbs;

namespace {

const QColor kCell(skin::kThumbCell);
const QColor kSelected(252, 143, 89);
const QColor kNumberText(74, 167, 100);
const QColor kNotRendered(skin::kThumbNotRendered);
const QColor kDropMarker(252, 143, 89);

}  // namespace

CThumbView::CThumbView(WorkingList& list, Prompter& prompter, QWidget* parent)
    : QAbstractScrollArea(parent),
      list_(list),
      prompter_(prompter),
      renderer_(new ThumbnailRenderer(list, this)) {
    setObjectName(QStringLiteral("thumbView"));
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
            [this](const QModelIndex& top, const QModelIndex& bottom) {
                UpdateRows(top.row(), bottom.row());
            });

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

void CThumbView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateGeometry();
}

void CThumbView::scrollContentsBy(int, int) {
    UpdateVisibleRows();
    viewport()->update();
}

void CThumbView::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    const QRect dirty = event->rect();
    const int columns = grid_.columns;
    const int firstRow = std::max(0, (scroll() + dirty.top()) / kPitchY);
    const int lastRow = (scroll() + dirty.bottom()) / kPitchY;
    for (int row = firstRow * columns; row < list_.count() && row < (lastRow + 1) * columns;
         ++row) {
        const Cell cell = CellAt(row, columns, scroll());
        if (cell.background.intersects(dirty)) PaintCell(painter, row, cell);
    }
    if (dragging_ && dropTarget_ >= 0 && dropTarget_ < list_.count()) {
        painter.fillRect(DropMarker(CellAt(dropTarget_, columns, scroll()).background, dropBefore_),
                         kDropMarker);
    }
}

void CThumbView::PaintCell(QPainter& painter, int row, const Cell& cell) {
    const ImageEntry& entry = list_.at(row);
    painter.fillRect(cell.background, kCell);
    painter.fillRect(cell.frame, entry.selected ? kSelected : kCell);

    QFont small = font();
    small.setPixelSize(10);
    painter.setFont(small);
    painter.setPen(kNumberText);
    painter.drawText(cell.frame.adjusted(3, -1, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                     QString::number(row + 1));

    const QRect fitted = ThumbnailRect(cell.box, float(entry.imageWidth), float(entry.imageHeight));
    if (!entry.rendered) {
        painter.fillRect(fitted, kNotRendered);
    } else if (!entry.thumbnail.isNull()) {
        // Images smaller than the box keep their size, centred in their place.
        QRect target(QPoint(0, 0), entry.thumbnail.size().boundedTo(fitted.size()));
        target.moveCenter(fitted.center());
        painter.drawImage(target, entry.thumbnail);
    }

    QFont caption = font();
    caption.setPixelSize(11);
    painter.setFont(caption);
    painter.setPen(kNumberText);
    const QString name = QFileInfo(entry.sourcePath).fileName();
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

void CThumbView::ShowContextMenu(const QPoint& globalPos) {
    OwnerDrawMenu menu(this);
    QAction* sort = menu.addAction(UiTexts::Text("menu.context.sort"));
    QAction* remove = menu.addAction(UiTexts::Text("menu.context.delete"));
    menu.addSeparator();
    QAction* removeAll = menu.addAction(UiTexts::Text("menu.context.delete_all"));
    const bool any = AnySelected(list_);
    sort->setEnabled(any && list_.count() > 1);
    remove->setEnabled(any);
    removeAll->setEnabled(!list_.isEmpty());
    connect(sort, &QAction::triggered, this, &CThumbView::SortCommand);
    connect(remove, &QAction::triggered, this, &CThumbView::DeleteSelectedCommand);
    connect(removeAll, &QAction::triggered, this, &CThumbView::DeleteAllCommand);
    menu.exec(globalPos);
}

void CThumbView::SortCommand() {
    PlacementDialog dialog(list_.count(), this);
    if (dialog.exec() != QDialog::Accepted) return;
    if (PlaceSelected(list_, dialog.PlacementNumber(), dialog.PlaceBefore())) {
        Q_EMIT listChanged();
    }
}

void CThumbView::DeleteSelectedCommand() {
    if (!prompter_.Confirm(msg::DeleteImage)) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    DeleteSelected(list_);  // the list's reset lays the view out again
    QApplication::restoreOverrideCursor();
    Q_EMIT listChanged();
}

void CThumbView::DeleteAllCommand() {
    if (!prompter_.Confirm(msg::DeleteAllImages)) return;
    DeleteAll(list_);
    Q_EMIT listChanged();
}

void CThumbView::SelectAllCommand() {
    SelectAll(list_);
}
