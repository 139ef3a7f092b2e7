#include "skin/ui/SkinPicture.h"

#include <QPainter>

#include "skin/ui/SkinArt.h"

SkinPicture::SkinPicture(int id, QWidget* parent) : QWidget(parent), id_(id) {
    setFixedSize(SkinArt::SizeOf(id).expandedTo(QSize(0, 0)));
}

SkinPicture::SkinPicture(const QIcon& icon, QSize size, QWidget* parent)
    : QWidget(parent), icon_(icon) {
    setFixedSize(size);
}

void SkinPicture::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (id_ != 0)
        painter.drawPixmap(0, 0, SkinArt::Bitmap(id_, devicePixelRatioF()));
    else
        icon_.paint(&painter, rect());
}
