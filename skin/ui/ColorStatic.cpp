#include "skin/ui/ColorStatic.h"

#include <QPainter>
#include <QTextLayout>
#include <cmath>

namespace {

// The width a wrapped text is laid out at when the label has no width yet.
constexpr int kPreferredWrapWidth = 200;

}  // namespace

ColorStatic::ColorStatic(const QColor& textColour, const QColor& background, QWidget* parent)
    : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setWordWrap(true);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setAutoFillBackground(true);
    SetColours(textColour, background);
}

void ColorStatic::SetColours(const QColor& textColour, const QColor& background) {
    textColour_ = textColour;
    background_ = background;
    QPalette colours = palette();
    for (auto group : {QPalette::Active, QPalette::Inactive}) {
        colours.setColor(group, QPalette::WindowText, textColour);
        colours.setColor(group, QPalette::Window, background);
    }
    colours.setColor(QPalette::Disabled, QPalette::Window, background);
    setPalette(colours);
    update();
}

int ColorStatic::LayOutText(QTextLayout& layout, int width) const {
    QString text = this->text();
    // QTextLayout wants the Unicode line separator for a break inside one paragraph.
    text.replace(QLatin1Char('\n'), QChar::LineSeparator);
    layout.setText(text);
    layout.setFont(font());
    QTextOption option(alignment() & Qt::AlignHorizontal_Mask);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);

    const int leading = fontMetrics().leading();
    qreal height = 0;
    layout.beginLayout();
    for (;;) {
        QTextLine line = layout.createLine();
        if (!line.isValid()) break;
        line.setLineWidth(qMax(1, width));
        height += leading;
        line.setPosition(QPointF(0, height));
        height += line.height();
    }
    layout.endLayout();
    return static_cast<int>(std::ceil(height));
}

bool ColorStatic::hasHeightForWidth() const {
    return wordWrap() || QLabel::hasHeightForWidth();
}

int ColorStatic::heightForWidth(int width) const {
    if (!wordWrap()) return QLabel::heightForWidth(width);
    const QMargins margins = contentsMargins();
    QTextLayout layout;
    return LayOutText(layout, width - margins.left() - margins.right()) + margins.top() +
           margins.bottom();
}

QSize ColorStatic::sizeHint() const {
    if (!wordWrap()) return QLabel::sizeHint();
    const int width = qMin(kPreferredWrapWidth, fontMetrics().horizontalAdvance(text()) + 1);
    return QSize(width, heightForWidth(width));
}

QSize ColorStatic::minimumSizeHint() const {
    if (!wordWrap()) return QLabel::minimumSizeHint();
    return QSize(fontMetrics().averageCharWidth() * 4, fontMetrics().height());
}

void ColorStatic::paintEvent(QPaintEvent* event) {
    if (!wordWrap()) {
        QLabel::paintEvent(event);
        return;
    }
    const QRect area = contentsRect();
    QTextLayout layout;
    const int height = LayOutText(layout, area.width());
    int top = area.top();
    if (alignment() & Qt::AlignVCenter)
        top += (area.height() - height) / 2;
    else if (alignment() & Qt::AlignBottom)
        top += area.height() - height;

    QPainter painter(this);
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    layout.draw(&painter, QPointF(area.left(), top));
}
