#include "skin/ui/ResizableDialog.h"
#include "skin/ProfileStore.h"

#include <QMouseEvent>
#include <QResizeEvent>
#include <QSizeGrip>
#include <QStyle>

namespace {

const QString kWidthKey = QStringLiteral("CX");
const QString kHeightKey = QStringLiteral("CY");

// The grip in the corner only has to be found by the mouse: the window's artwork owns the
// corner, so nothing is drawn there. Qt's grip hands the resize to the compositor where the
// platform offers it (QWindow::startSystemResize, on Wayland) and resizes the window itself
// otherwise: a Wayland client may choose its own size, only not its place.
class SizeCorner : public QSizeGrip {
public:
    using QSizeGrip::QSizeGrip;

protected:
    void paintEvent(QPaintEvent*) override {}
};

}  // namespace

ResizableDialog::ResizableDialog(int templateId, QWidget* parent)
    : SkinnedDialog(parent), templateId_(templateId), sizeCorner_(new SizeCorner(this)) {
    sizeCorner_->setObjectName(QStringLiteral("sizeCorner"));
    const int side = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    sizeCorner_->resize(side, side);
    PlaceSizeCorner();
}

ResizableDialog::~ResizableDialog() {
    StoreSize();
}

void ResizableDialog::AddAnchor(QWidget* control, int flags) {
    if (control == nullptr || flags == 0) return;
    anchors_.append({control, flags});
}

QString ResizableDialog::ProfileGroup() const {
    return QString::number(templateId_, 16);
}

void ResizableDialog::InitialiseSize() {
    if (initialised_) return;
    initialised_ = true;
    setMinimumSize(size());
    lastSize_ = size();

    ProfileStore profile;
    profile.beginGroup(ProfileGroup());
    const int width = profile.value(kWidthKey, 0).toInt();
    const int height = profile.value(kHeightKey, 0).toInt();
    if (width != 0 && height != 0) resize(width, height);
}

void ResizableDialog::resizeEvent(QResizeEvent* event) {
    SkinnedDialog::resizeEvent(event);
    PlaceSizeCorner();
    // A minimised window keeps its size for Qt, but guard anyway: a restore must not see a
    // shrink to nothing and back.
    if (!initialised_ || isMinimized()) return;
    const QSize now = size();
    const int dx = now.width() - lastSize_.width();
    const int dy = now.height() - lastSize_.height();
    if (dx == 0 && dy == 0) return;
    for (const Anchor& anchor : anchors_) {
        if (anchor.control.isNull()) continue;
        QRect r = anchor.control->geometry();
        if (anchor.flags & StretchRight)
            r.setWidth(r.width() + dx);
        else if (anchor.flags & MoveRight)
            r.translate(dx, 0);
        if (anchor.flags & StretchDown)
            r.setHeight(r.height() + dy);
        else if (anchor.flags & MoveDown)
            r.translate(0, dy);
        anchor.control->setGeometry(r);
    }
    lastSize_ = now;
    resized_ = true;
}

void ResizableDialog::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && TitleBand().contains(event->position().toPoint())) {
        isMaximized() ? showNormal() : showMaximized();
        event->accept();
        return;
    }
    SkinnedDialog::mouseDoubleClickEvent(event);
}

void ResizableDialog::setVisible(bool visible) {
    // Before the window is placed: the restored size is what gets fitted to the screen.
    if (visible) InitialiseSize();
    SkinnedDialog::setVisible(visible);
}

void ResizableDialog::hideEvent(QHideEvent* event) {
    // A closed window may live on unseen until the process ends, so the size is kept now too.
    if (!event->spontaneous()) StoreSize();
    SkinnedDialog::hideEvent(event);
}

void ResizableDialog::StoreSize() const {
    if (!resized_) return;
    ProfileStore profile;
    profile.beginGroup(ProfileGroup());
    profile.setValue(kWidthKey, width());
    profile.setValue(kHeightKey, height());
}

void ResizableDialog::PlaceSizeCorner() {
    sizeCorner_->move(width() - sizeCorner_->width(), height() - sizeCorner_->height());
    // Controls added later would cover the corner otherwise.
    sizeCorner_->raise();
}
