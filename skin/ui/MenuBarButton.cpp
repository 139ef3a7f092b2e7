#include "skin/ui/MenuBarButton.h"

#include <QPainter>

#include "skin/ui/SkinConstants.h"

namespace {

constexpr int kHorizontalPadding = 8;
constexpr int kVerticalPadding = 4;

// A one-pixel frame with its top-left and bottom-right edges in two colours.
void DrawEdges(QPainter& painter, const QRect& rect, QColor topLeft, QColor bottomRight) {
    painter.setPen(topLeft);
    painter.drawLine(rect.topLeft(), rect.topRight());
    painter.drawLine(rect.topLeft(), rect.bottomLeft());
    painter.setPen(bottomRight);
    painter.drawLine(rect.bottomLeft(), rect.bottomRight());
    painter.drawLine(rect.topRight(), rect.bottomRight());
}

}  // namespace

MenuBarButton::MenuBarButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {
    setFlat(true);
    // Enter in the main window acts on the focused skinned button only; a menu-bar button
    // must never become the dialog's default and open its menu on Enter.
    setAutoDefault(false);
    setDefault(false);
}

void MenuBarButton::SetMenu(OwnerDrawMenu* menu) {
    menu_ = menu;
    if (menu) menu->SetOwner(this);
}

QSize MenuBarButton::sizeHint() const {
    const QSize text = fontMetrics().size(Qt::TextShowMnemonic, this->text());
    return QSize(text.width() + 2 * kHorizontalPadding, text.height() + 2 * kVerticalPadding);
}

QSize MenuBarButton::minimumSizeHint() const {
    return sizeHint();
}

void MenuBarButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect frame = rect().adjusted(0, 0, -1, -1);
    const QColor light(skin::kLightEdge);
    const QColor dark(skin::kDarkEdge);
    QRect textRect = rect();
    if (isDown()) {
        DrawEdges(painter, frame, dark, light);
        textRect.translate(1, 1);
    } else if (hasFocus()) {
        DrawEdges(painter, frame, light, dark);
    }
    painter.setPen(isEnabled() ? QColor(Qt::black) : QColor(skin::kGrayedText));
    painter.drawText(textRect, Qt::AlignCenter | Qt::TextShowMnemonic | Qt::TextSingleLine, text());
}
