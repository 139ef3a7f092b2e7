#include "skin/ui/SkinDrawing.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <cmath>

QFont SkinFont(int pixelSize, bool bold) {
    QFont font(QStringLiteral("Noto Sans CJK JP"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

// Long captions (the companion button, Japanese on narrow buttons) shrink rather than clip.
QFont FittedFont(const QString& text, int pixelSize, qreal maxWidth, bool bold) {
    QFont font = SkinFont(pixelSize, bold);
    while (font.pixelSize() > 8 && QFontMetricsF(font).horizontalAdvance(text) > maxWidth)
        font.setPixelSize(font.pixelSize() - 1);
    return font;
}

// Whole pixels of the device keep strokes sharp; at a ratio of 1.5 every other whole logical
// pixel falls between two of them.
qreal OnDevicePixel(const QPainter& painter, qreal logical) {
    const qreal ratio = painter.device()->devicePixelRatio();
    return std::round(logical * ratio) / ratio;
}

// Centres on the cap height rather than the line box: the CJK font's line box is tall and
// deep, which would push Latin captions visibly off centre. Kana and kanji sit on nearly the
// same middle, so both languages line up.
QPointF CentredBaseline(const QPainter& painter, const QRectF& box, const QString& text,
                        const QFont& font) {
    const QFontMetricsF metrics(font);
    const qreal x = box.center().x() - metrics.horizontalAdvance(text) / 2;
    const qreal y = box.center().y() + metrics.capHeight() / 2;
    return QPointF(OnDevicePixel(painter, x), OnDevicePixel(painter, y));
}

void DrawTextAt(QPainter& painter, QPointF baseline, const QString& text, const QFont& font,
                const QColor& colour, const QColor& shadow) {
    painter.setFont(font);
    if (shadow.alpha() > 0) {
        painter.setPen(shadow);
        painter.drawText(baseline + QPointF(0, 1), text);
    }
    painter.setPen(colour);
    painter.drawText(baseline, text);
}
