#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QRadialGradient>
#include <algorithm>

#include "skin/ui/SkinDrawing.h"

// The program mark and the splash picture, drawn from shapes of a card, a projector and its
// beam.

namespace {

// A memory card standing upright in rect: the cut corner at the top right, the contacts
// along the top when there is room for them.
void DrawCard(QPainter& painter, const QRectF& rect, qreal unit) {
    const qreal cut = rect.width() * 0.3;
    QPainterPath card;
    card.moveTo(rect.topLeft());
    card.lineTo(rect.right() - cut, rect.top());
    card.lineTo(rect.right(), rect.top() + cut);
    card.lineTo(rect.bottomRight());
    card.lineTo(rect.bottomLeft());
    card.closeSubpath();
    QLinearGradient fill(rect.topLeft(), rect.bottomRight());
    fill.setColorAt(0, QColor(255, 170, 124));
    fill.setColorAt(1, QColor(skin::kAccent).darker(112));
    painter.setPen(QPen(QColor(150, 62, 20), std::max(0.6, unit * 0.8)));
    painter.setBrush(fill);
    painter.drawPath(card);
    if (rect.width() < 8) return;
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 236, 170));
    const qreal contactWidth = (rect.width() - cut - unit * 2) / 3;
    for (int i = 0; i < 3; ++i)
        painter.drawRect(QRectF(rect.left() + unit * 1.2 + i * contactWidth,
                                rect.top() + unit * 1.2, contactWidth * 0.6, rect.height() * 0.2));
    painter.setBrush(QColor(255, 255, 255, 200));
    painter.drawRoundedRect(
        QRectF(rect.left() + rect.width() * 0.16, rect.top() + rect.height() * 0.5,
               rect.width() * 0.68, rect.height() * 0.34),
        unit, unit);
}

// A projector seen from the front-left: the body in body, its lens on the right face.
void DrawProjector(QPainter& painter, const QRectF& body, qreal unit, QPointF lens,
                   qreal lensRadius) {
    QLinearGradient fill(body.topLeft(), body.bottomLeft());
    fill.setColorAt(0, QColor(246, 249, 253));
    fill.setColorAt(1, QColor(190, 204, 222));
    painter.setPen(QPen(QColor(skin::kDarkEdge), std::max(0.6, unit * 0.7)));
    painter.setBrush(fill);
    painter.drawRoundedRect(body, body.height() * 0.25, body.height() * 0.25);
    if (body.width() > 30) {
        painter.setPen(QPen(QColor(150, 166, 190), unit));
        for (int i = 0; i < 3; ++i) {
            const qreal x = body.left() + body.width() * 0.14 + i * unit * 3;
            painter.drawLine(QPointF(x, body.top() + body.height() * 0.3),
                             QPointF(x, body.bottom() - body.height() * 0.3));
        }
    }
    QRadialGradient glass(lens - QPointF(lensRadius * 0.3, lensRadius * 0.3), lensRadius);
    glass.setColorAt(0, QColor(200, 250, 255));
    glass.setColorAt(0.45, QColor(skin::kLightEdge));
    glass.setColorAt(1, QColor(20, 80, 140));
    painter.setPen(QPen(QColor(skin::kDarkEdge), std::max(0.8, unit * 1.2)));
    painter.setBrush(glass);
    painter.drawEllipse(lens, lensRadius, lensRadius);
}

void DrawBeam(QPainter& painter, QPointF from, const QPolygonF& onto, QPointF towards,
              int alphaNear, int alphaFar) {
    QPolygonF beam;
    beam << from;
    for (const QPointF& point : onto) beam << point;
    QLinearGradient light(from, towards);
    QColor nearLight(skin::kLightEdge);
    nearLight.setAlpha(alphaNear);
    QColor farLight(skin::kLightEdge);
    farLight.setAlpha(alphaFar);
    light.setColorAt(0, nearLight);
    light.setColorAt(1, farLight);
    painter.setPen(Qt::NoPen);
    painter.setBrush(light);
    painter.drawPolygon(beam);
}

}  // namespace

// The program mark in a square of side size: a projector throwing light up to the right and
// a memory card in front of it, on a dark blue tile. Laid out on a 32-unit grid.
void DrawMark(QPainter& painter, qreal size) {
    const qreal u = size / 32.0;
    QLinearGradient tile(0, 0, 0, size);
    tile.setColorAt(0, QColor(30, 86, 158));
    tile.setColorAt(1, QColor(skin::kDarkEdge));
    painter.setPen(Qt::NoPen);
    painter.setBrush(tile);
    painter.drawRoundedRect(QRectF(u, u, 30 * u, 30 * u), 7 * u, 7 * u);

    const QPointF lens(14 * u, 15.5 * u);
    QPolygonF onto;
    onto << QPointF(24 * u, 3.5 * u) << QPointF(29.5 * u, 4 * u) << QPointF(29.5 * u, 11 * u);
    DrawBeam(painter, lens, onto, QPointF(29 * u, 6 * u), 220, 60);
    DrawProjector(painter, QRectF(3.5 * u, 11 * u, 15 * u, 9.5 * u), u, lens, 3.4 * u);
    DrawCard(painter, QRectF(19 * u, 17 * u, 9.5 * u, 12 * u), u);
}

void DrawSplash(QPainter& painter, QSize size, Messages::Language language) {
    const qreal width = size.width();
    const qreal height = size.height();
    QLinearGradient sky(0, 0, width, height);
    sky.setColorAt(0, QColor(skin::kDarkEdge));
    sky.setColorAt(0.55, QColor(16, 70, 136));
    sky.setColorAt(1, QColor(34, 124, 178));
    painter.fillRect(QRect(QPoint(0, 0), size), sky);
    QRadialGradient glow(QPointF(width * 0.8, height * 0.35), width * 0.42);
    glow.setColorAt(0, QColor(148, 224, 233, 70));
    glow.setColorAt(1, QColor(148, 224, 233, 0));
    painter.fillRect(QRect(QPoint(0, 0), size), glow);

    // The screen with a picture on it: sky, sun, two hills.
    const QRectF screen(424, 30, 132, 90);
    const QPointF lens(401, 186);
    DrawBeam(painter, lens,
             QPolygonF() << screen.topLeft() << screen.topRight() << screen.bottomRight(),
             screen.center(), 150, 40);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(40, 52, 72));
    painter.drawRoundedRect(QRectF(screen.left() - 6, screen.top() - 7, screen.width() + 12, 5), 2,
                            2);
    painter.setBrush(Qt::white);
    painter.drawRect(screen.adjusted(-3, -3, 3, 3));
    painter.save();
    painter.setClipRect(screen);
    QLinearGradient picture(screen.topLeft(), screen.bottomLeft());
    picture.setColorAt(0, QColor(120, 196, 240));
    picture.setColorAt(1, QColor(214, 240, 250));
    painter.fillRect(screen, picture);
    painter.setBrush(QColor(255, 200, 90));
    painter.drawEllipse(QPointF(screen.right() - 28, screen.top() + 24), 11, 11);
    QPainterPath farHill;
    farHill.moveTo(screen.left(), screen.bottom() - 22);
    farHill.quadTo(screen.left() + 40, screen.top() + 30, screen.left() + 86, screen.bottom() - 18);
    farHill.lineTo(screen.right(), screen.bottom());
    farHill.lineTo(screen.left(), screen.bottom());
    painter.setBrush(QColor(96, 170, 120));
    painter.drawPath(farHill);
    QPainterPath nearHill;
    nearHill.moveTo(screen.left() + 30, screen.bottom());
    nearHill.quadTo(screen.left() + 96, screen.top() + 40, screen.right(), screen.bottom() - 10);
    nearHill.lineTo(screen.right(), screen.bottom());
    painter.setBrush(QColor(58, 136, 96));
    painter.drawPath(nearHill);
    painter.restore();

    // The projector on the table, with a card beside it.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 10, 30, 70));
    painter.drawEllipse(QRectF(330, 206, 104, 12));
    DrawProjector(painter, QRectF(334, 164, 92, 46), 2.2, lens, 15);
    painter.save();
    painter.translate(486, 150);
    painter.rotate(10);
    DrawCard(painter, QRectF(0, 0, 44, 58), 2.2);
    painter.restore();

    // The words, on the left.
    const qreal room = 280;
    const QString name = QStringLiteral("Vimbrelcastor");
    const QFont nameFont = FittedFont(name, 44, room, true);
    DrawTextAt(painter, QPointF(30, 96), name, nameFont, Qt::white, QColor(0, 0, 30, 110));
    const QString version = QStringLiteral("ver " VC_VERSION_TEXT);
    DrawTextAt(painter, QPointF(33, 126), version, SkinFont(18, false), QColor(skin::kLightEdge),
               Qt::transparent);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(skin::kAccent));
    painter.drawRoundedRect(QRectF(33, 148, 44, 4), 2, 2);
    const QString tagLine = language == Messages::Language::Japanese
                                ? QString::fromUtf8("プロジェクター用の静止画を準備します")
                                : QStringLiteral("Still images for your projector");
    DrawTextAt(painter, QPointF(33, 186), tagLine, FittedFont(tagLine, 16, room, false),
               QColor(236, 244, 252), Qt::transparent);
}
