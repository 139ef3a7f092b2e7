#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QRadialGradient>
#include <algorithm>

#include "skin/ui/SkinDrawing.h"

// The pictures of the controls: buttons, radios and boxes, title bands and their buttons, and
// the panels behind groups of controls.

namespace {

struct ButtonColours {
    QColor top;
    QColor bottom;
    QColor border;
    QColor text;
    QColor shadow;
};

ButtonColours ColoursOf(ButtonTone tone, PictureState state) {
    if (state == PictureState::Disabled)
        return {QColor(232, 236, 241), QColor(212, 219, 228), QColor(184, 193, 205),
                QColor(146, 156, 171), Qt::transparent};
    if (tone == ButtonTone::Accent) {
        switch (state) {
            case PictureState::Hover:
                return {QColor(255, 184, 140), QColor(250, 138, 80), QColor(222, 110, 52),
                        Qt::white, QColor(150, 56, 6, 150)};
            case PictureState::Pressed:
                return {QColor(200, 88, 36), QColor(230, 116, 60), QColor(150, 58, 16),
                        QColor(255, 240, 230), QColor(110, 40, 0, 120)};
            default:
                return {QColor(253, 166, 120), QColor(240, 118, 60), QColor(204, 92, 38), Qt::white,
                        QColor(140, 50, 0, 120)};
        }
    }
    switch (state) {
        case PictureState::Hover:
            return {QColor(106, 172, 242), QColor(52, 122, 214), QColor(36, 98, 190), Qt::white,
                    QColor(0, 30, 90, 110)};
        case PictureState::Pressed:
            return {QColor(18, 56, 120), QColor(34, 86, 164), QColor(4, 28, 76),
                    QColor(222, 234, 250), QColor(0, 10, 40, 120)};
        default:
            return {QColor(76, 144, 226), QColor(34, 92, 180), QColor(22, 68, 146), Qt::white,
                    QColor(0, 24, 72, 100)};
    }
}

QRectF Inset(QSize size) {
    return QRectF(0.5, 0.5, size.width() - 1, size.height() - 1);
}

// The rounded body every button shares: gradient, outline, a gloss along the upper edge
// when raised, a shadow inside the upper edge when pressed.
void DrawButtonBody(QPainter& painter, const QRectF& body, qreal radius, ButtonTone tone,
                    PictureState state) {
    const ButtonColours colours = ColoursOf(tone, state);
    QLinearGradient fill(body.topLeft(), body.bottomLeft());
    fill.setColorAt(0, colours.top);
    fill.setColorAt(1, colours.bottom);
    painter.setPen(QPen(colours.border, 1));
    painter.setBrush(fill);
    painter.drawRoundedRect(body, radius, radius);

    const QRectF inner = body.adjusted(1, 1, -1, -1);
    QPainterPath innerPath;
    innerPath.addRoundedRect(inner, radius - 1, radius - 1);
    painter.setBrush(Qt::NoBrush);
    if (state == PictureState::Pressed) {
        painter.save();
        painter.setClipPath(innerPath);
        painter.setPen(QPen(QColor(0, 0, 20, 110), 1));
        painter.drawLine(QPointF(inner.left(), inner.top()), QPointF(inner.right(), inner.top()));
        painter.setPen(QPen(QColor(0, 0, 20, 45), 1));
        painter.drawLine(QPointF(inner.left(), inner.top() + 1),
                         QPointF(inner.right(), inner.top() + 1));
        painter.restore();
    } else if (state != PictureState::Disabled) {
        QLinearGradient gloss(inner.topLeft(), inner.bottomLeft());
        gloss.setColorAt(0, QColor(255, 255, 255, state == PictureState::Hover ? 130 : 95));
        gloss.setColorAt(0.5, QColor(255, 255, 255, 0));
        painter.setPen(QPen(QBrush(gloss), 1));
        painter.drawPath(innerPath);
    }
}

}  // namespace

void DrawCaptionButton(QPainter& painter, QSize size, const PictureSpec& picture,
                       const QString& caption) {
    const QRectF body = Inset(size);
    DrawButtonBody(painter, body, 5, picture.tone, picture.state);
    const ButtonColours colours = ColoursOf(picture.tone, picture.state);
    const int pixelSize = qRound(size.height() * 0.44);
    const QFont font = FittedFont(caption, pixelSize, body.width() - 12, true);
    QPointF baseline = CentredBaseline(painter, body, caption, font);
    if (picture.state == PictureState::Pressed) baseline += QPointF(1, 1);
    DrawTextAt(painter, baseline, caption, font, colours.text, colours.shadow);
}

namespace {

void DrawFolderGlyph(QPainter& painter, QPointF origin, PictureState state) {
    QColor back(236, 178, 62);
    QColor front(255, 212, 110);
    QColor edge(176, 120, 20);
    if (state == PictureState::Hover) {
        back = QColor(246, 192, 78);
        front = QColor(255, 226, 140);
    } else if (state == PictureState::Disabled) {
        back = QColor(186, 194, 205);
        front = QColor(206, 213, 222);
        edge = QColor(164, 173, 186);
    }
    // A 13 x 10 folder: tab and back, then the front leaf lower down.
    painter.setPen(QPen(edge, 1));
    QPainterPath backPath;
    backPath.moveTo(origin + QPointF(0.5, 1.5));
    backPath.lineTo(origin + QPointF(4.5, 1.5));
    backPath.lineTo(origin + QPointF(5.5, 2.5));
    backPath.lineTo(origin + QPointF(12.5, 2.5));
    backPath.lineTo(origin + QPointF(12.5, 10.5));
    backPath.lineTo(origin + QPointF(0.5, 10.5));
    backPath.closeSubpath();
    painter.setBrush(back);
    painter.drawPath(backPath);
    painter.setBrush(front);
    painter.drawRect(QRectF(origin + QPointF(0.5, 4.5), QSizeF(12, 6)));
}

}  // namespace

void DrawFolderButton(QPainter& painter, QSize size, const PictureSpec& picture) {
    DrawButtonBody(painter, Inset(size), 4, ButtonTone::Blue, picture.state);
    QPointF origin((size.width() - 13) / 2, (size.height() - 11) / 2);
    if (picture.state == PictureState::Pressed) origin += QPointF(1, 1);
    DrawFolderGlyph(painter, origin, picture.state);
}

namespace {

// The halo that marks the hovered radio or box, in the light edge colour.
QColor Halo() {
    QColor halo(skin::kLightEdge);
    halo.setAlpha(150);
    return halo;
}

// The edge and face of a radio's ring or an unchecked box: edge normally, a brighter edge on a
// tinted face while hovered, disabledEdge on a grey face while disabled.
std::pair<QColor, QColor> ToggleColours(PictureState state, QColor edge, QColor disabledEdge) {
    if (state == PictureState::Hover) return {QColor(40, 120, 214), QColor(242, 249, 255)};
    if (state == PictureState::Disabled) return {disabledEdge, QColor(236, 239, 243)};
    return {edge, Qt::white};
}

}  // namespace

void DrawRadio(QPainter& painter, QSize size, const PictureSpec& picture) {
    const QPointF centre(size.width() / 2.0, size.height() / 2.0);
    const bool disabled = picture.state == PictureState::Disabled;
    const bool hover = picture.state == PictureState::Hover;
    if (hover) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(Halo());
        painter.drawEllipse(centre, 10.5, 10.5);
    }
    const auto [ring, face] =
        ToggleColours(picture.state, picture.on ? QColor(34, 92, 180) : QColor(92, 124, 168),
                      QColor(180, 189, 201));
    painter.setPen(QPen(ring, 1.4));
    painter.setBrush(face);
    painter.drawEllipse(centre, 7.3, 7.3);
    if (!picture.on) return;
    QRadialGradient dot(centre - QPointF(1.2, 1.5), 6);
    if (disabled) {
        dot.setColorAt(0, QColor(190, 198, 208));
        dot.setColorAt(1, QColor(170, 179, 192));
    } else if (hover) {
        dot.setColorAt(0, QColor(120, 186, 248));
        dot.setColorAt(1, QColor(40, 120, 214));
    } else {
        dot.setColorAt(0, QColor(84, 152, 232));
        dot.setColorAt(1, QColor(22, 76, 160));
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(dot);
    painter.drawEllipse(centre, 4.2, 4.2);
}

void DrawCheck(QPainter& painter, QSize size, const PictureSpec& picture) {
    const bool disabled = picture.state == PictureState::Disabled;
    const bool hover = picture.state == PictureState::Hover;
    if (hover) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(Halo());
        painter.drawRoundedRect(QRectF(0, 0, size.width(), size.height()), 5, 5);
    }
    const QRectF box(2.5, 2.5, size.width() - 5, size.height() - 5);
    if (picture.on) {
        QLinearGradient fill(box.topLeft(), box.bottomLeft());
        if (disabled) {
            fill.setColorAt(0, QColor(204, 211, 221));
            fill.setColorAt(1, QColor(188, 196, 208));
            painter.setPen(QPen(QColor(176, 185, 198), 1));
        } else {
            fill.setColorAt(0, hover ? QColor(118, 182, 246) : QColor(76, 144, 226));
            fill.setColorAt(1, hover ? QColor(50, 122, 214) : QColor(30, 86, 172));
            painter.setPen(QPen(hover ? QColor(40, 104, 196) : QColor(22, 68, 146), 1));
        }
        painter.setBrush(fill);
        painter.drawRoundedRect(box, 3, 3);
        QPen tick(disabled ? QColor(244, 246, 249) : QColor(Qt::white), 2);
        tick.setCapStyle(Qt::RoundCap);
        tick.setJoinStyle(Qt::RoundJoin);
        painter.setPen(tick);
        painter.setBrush(Qt::NoBrush);
        const QPointF points[] = {{5.6, 9.2}, {8.0, 11.6}, {12.6, 6.4}};
        painter.drawPolyline(points, 3);
        return;
    }
    const auto [border, face] =
        ToggleColours(picture.state, QColor(92, 124, 168), QColor(184, 193, 205));
    painter.setPen(QPen(border, 1));
    painter.setBrush(face);
    painter.drawRoundedRect(box, 3, 3);
}

namespace {

// Room the windows keep: the program mark on the left, two title-bar buttons on the right.
constexpr int kTitleTextLeft = 28;
constexpr int kTitleButtonsRoom = 56;

}  // namespace

void DrawTitle(QPainter& painter, QSize size, const PictureSpec& picture, const QString& title) {
    const int width = size.width();
    const int height = size.height();
    // Lighter at the left, flat from before the title-bar buttons on.
    QLinearGradient band(0, 0, width, 0);
    band.setColorAt(0, QColor(picture.on ? skin::kBandActiveLight : skin::kBandInactiveLight));
    band.setColorAt(qreal(width - kTitleButtonsRoom - 8) / width,
                    QColor(picture.on ? skin::kBandActive : skin::kBandInactive));
    band.setColorAt(1, QColor(picture.on ? skin::kBandActive : skin::kBandInactive));
    painter.fillRect(QRect(QPoint(0, 0), size), band);
    painter.fillRect(QRect(0, 0, width, 1), QColor(255, 255, 255, picture.on ? 40 : 60));
    painter.fillRect(QRect(0, height - 1, width, 1),
                     picture.on ? QColor(skin::kLightEdge) : QColor(186, 194, 205));

    const qreal room = width - kTitleTextLeft - kTitleButtonsRoom;
    QFont font = FittedFont(title, 13, room, true);
    const QString shown = QFontMetricsF(font).elidedText(title, Qt::ElideRight, room);
    QPointF baseline = CentredBaseline(painter, QRectF(0, 0, width, height - 1), shown, font);
    baseline.setX(kTitleTextLeft);
    DrawTextAt(painter, baseline, shown, font,
               picture.on ? QColor(Qt::white) : QColor(238, 241, 245),
               picture.on ? QColor(0, 0, 0, 90) : QColor(80, 90, 105, 90));
}

void DrawBarButton(QPainter& painter, QSize size, const PictureSpec& picture) {
    const bool close = picture.kind == PictureKind::BarClose;
    const QRectF face = Inset(size);
    QColor glyph(210, 224, 242);
    switch (picture.state) {
        case PictureState::Hover:
            painter.setPen(Qt::NoPen);
            painter.setBrush(close ? QColor(222, 72, 72) : QColor(44, 82, 148));
            painter.drawRoundedRect(face, 3, 3);
            glyph = Qt::white;
            break;
        case PictureState::Pressed:
            painter.setPen(QPen(QColor(0, 6, 24), 1));
            painter.setBrush(close ? QColor(164, 36, 40) : QColor(2, 14, 42));
            painter.drawRoundedRect(face, 3, 3);
            glyph = QColor(228, 234, 244);
            break;
        case PictureState::Disabled:
            glyph = QColor(196, 204, 215);
            break;
        case PictureState::Normal:
            break;
    }
    QPointF centre(size.width() / 2.0, size.height() / 2.0);
    if (picture.state == PictureState::Pressed) centre += QPointF(1, 1);
    QPen pen(glyph, close ? 1.6 : 2);
    pen.setCapStyle(close ? Qt::RoundCap : Qt::FlatCap);
    painter.setPen(pen);
    if (close) {
        painter.drawLine(centre + QPointF(-4, -4), centre + QPointF(4, 4));
        painter.drawLine(centre + QPointF(-4, 4), centre + QPointF(4, -4));
    } else {
        // On whole pixels so the bar stays two sharp rows.
        const qreal y = std::floor(centre.y()) + 4;
        painter.drawLine(QPointF(std::floor(centre.x()) - 5, y),
                         QPointF(std::floor(centre.x()) + 5, y));
    }
}

void DrawPanel(QPainter& painter, QSize size) {
    const QRectF body = Inset(size);
    painter.setPen(QPen(QColor(skin::kLightEdge), 1));
    painter.setBrush(QColor(skin::kPanelBackground));
    painter.drawRoundedRect(body, 8, 8);
    // A faint bright rim inside the border keeps the panel soft; the middle stays the exact
    // panel colour the buttons and radios on it are filled with.
    painter.setPen(QPen(QColor(255, 255, 255, 150), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(body.adjusted(1, 1, -1, -1), 7, 7);
}
