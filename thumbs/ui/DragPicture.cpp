#include "thumbs/ui/DragPicture.h"

#include <QBitmap>
#include <QPainter>

#include "skin/ui/SkinConstants.h"
#include "skin/ui/WindowPlacement.h"
#include "thumbs/ThumbLayout.h"

namespace {

const QColor kNotRendered(skin::kThumbNotRendered);

}  // namespace

QImage DragPicture::Make(const ImageEntry& source, int selectedCount, qreal ratio) {
    // The rendered thumbnail when there is one; until then the cell's placeholder colour in
    // the picture's shape (the window never decodes a file itself).
    QImage base = source.thumbnail;
    if (!source.rendered || base.isNull()) {
        const QSize turned = TurnedSize(source);
        const QRect fitted =
            ThumbnailRect(QRect(0, 0, thumbs::kBoxWidth, thumbs::kBoxHeight),
                          turned.width() > 0 ? turned.width() : thumbs::kBoxWidth,
                          turned.height() > 0 ? turned.height() : thumbs::kBoxHeight);
        base = QImage(fitted.size().expandedTo(QSize(1, 1)), QImage::Format_RGB888);
        base.fill(source.rendered ? QColor(skin::kThumbCell) : kNotRendered);
    }
    // Sized by the thumbnail's logical size, whatever screen it was made for.
    const QSize shown = base.deviceIndependentSize().toSize();
    const QSize size = DragPictureSize(shown.width(), shown.height()).expandedTo(QSize(1, 1));
    QImage picture = base.scaled((QSizeF(size) * ratio).toSize(), Qt::IgnoreAspectRatio,
                                 Qt::SmoothTransformation)
                         .convertToFormat(QImage::Format_RGB32);
    picture.setDevicePixelRatio(ratio);
    if (selectedCount > 1) {
        QPainter painter(&picture);
        painter.fillRect(QRect(2, 2, 16, 16), QColor(255, 0, 0));
        QFont font = painter.font();
        font.setPixelSize(10);
        font.setBold(true);
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.drawText(QRect(3, 2, 16, 16), Qt::AlignCenter, QString::number(selectedCount));
    }
    return picture;
}

DragPicture::DragPicture(const ImageEntry& source, int selectedCount, QWidget* window)
    : QWidget(CanPlaceShownWindows() ? nullptr : window,
              CanPlaceShownWindows() ? Qt::ToolTip | Qt::FramelessWindowHint |
                                           Qt::WindowStaysOnTopHint | Qt::WindowTransparentForInput
                                     : Qt::Widget),
      source_(source),
      selectedCount_(selectedCount) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_DeleteOnClose);
    // The window's shape is in logical pixels. Pure black is see-through, as in a drag image
    // list with black as its mask colour.
    const QPixmap shape = QPixmap::fromImage(Make(source, selectedCount, 1));
    setFixedSize(shape.size());
    setMask(shape.createMaskFromColor(Qt::black, Qt::MaskInColor));
}

void DragPicture::FollowCursor(const QPoint& globalPos) {
    const QPoint centre = isWindow() ? globalPos : parentWidget()->mapFromGlobal(globalPos);
    move(centre - QPoint(width() / 2, height() / 2));
    if (!isVisible()) {
        raise();
        show();
    }
}

void DragPicture::paintEvent(QPaintEvent*) {
    const qreal ratio = devicePixelRatioF();
    if (picture_.isNull() || picture_.devicePixelRatio() != ratio)
        picture_ = QPixmap::fromImage(Make(source_, selectedCount_, ratio));
    QPainter painter(this);
    painter.drawPixmap(0, 0, picture_);
}
