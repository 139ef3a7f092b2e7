#include "skin/ui/SkinButton.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>

#include "skin/ui/SkinArt.h"

SkinButton::SkinButton(QWidget* parent) : HoverButton(parent) {}

SkinButton::SkinButton(const QString& caption, QWidget* parent) : SkinButton(parent) {
    setText(caption);
}

bool SkinButton::Setup(int normal, int pressed, int hover, int disabled) {
    std::array<int, PictureCount> ids{normal, pressed, hover, disabled};
    for (int& id : ids) {
        if (!SkinArt::SizeOf(id).isValid()) id = 0;
    }
    if (ids[Normal] == 0) {
        if (IsSkinned()) {
            setMinimumSize(0, 0);
            setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        }
        ids_ = {};
        updateGeometry();
        update();
        return false;
    }
    ids_ = ids;
    // The words on the picture are the button's caption, for a screen reader and the keyboard.
    if (const QString words = SkinArt::Words(normal); !words.isEmpty()) setText(words);
    setFixedSize(SkinArt::SizeOf(ids_[Normal]));
    update();
    return true;
}

bool SkinButton::Setup(const skin::ButtonBitmaps& bitmaps) {
    return Setup(bitmaps.normal, bitmaps.pressed, bitmaps.hover, bitmaps.disabled);
}

SkinButton::Picture SkinButton::CurrentPicture() const {
    if (!isEnabled() && ids_[Disabled] != 0) return Disabled;
    // Keyboard focus and a keyboard press leave the picture alone; only the mouse changes it.
    if (!IsHovered()) return Normal;
    const Picture wanted = isDown() ? Pressed : Hover;
    return ids_[wanted] == 0 ? Normal : wanted;
}

int SkinButton::CurrentBitmap() const {
    return IsSkinned() ? ids_[CurrentPicture()] : 0;
}

QSize SkinButton::sizeHint() const {
    if (IsSkinned()) return SkinArt::SizeOf(ids_[Normal]);
    QStyleOptionButton option;
    option.initFrom(this);
    option.text = text();
    const QSize textSize = fontMetrics().size(Qt::TextShowMnemonic, text());
    return style()->sizeFromContents(QStyle::CT_PushButton, &option, textSize, this);
}

QSize SkinButton::minimumSizeHint() const {
    return sizeHint();
}

void SkinButton::paintEvent(QPaintEvent*) {
    if (!IsSkinned()) {
        QStylePainter painter(this);
        QStyleOptionButton option;
        option.initFrom(this);
        option.text = text();
        option.icon = icon();
        option.iconSize = iconSize();
        if (isDown())
            option.state |= QStyle::State_Sunken;
        else
            option.state |= QStyle::State_Raised;
        if (!IsHovered()) option.state &= ~QStyle::State_MouseOver;
        painter.drawControl(QStyle::CE_PushButton, option);
        return;
    }
    QPainter painter(this);
    painter.drawPixmap(0, 0, SkinArt::Bitmap(ids_[CurrentPicture()], devicePixelRatioF()));
    if (hasFocus()) {
        // The pictures have no focused state, yet Enter acts on the focused button, so the
        // user has to see which one that is.
        QPen pen(QColor(skin::kDarkEdge), 1, Qt::DotLine);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect().adjusted(3, 3, -4, -4));
    }
}

bool EnterPressesButton(QWidget* window, QKeyEvent* event, QAbstractButton* fallback) {
    const int key = event->key();
    if ((key != Qt::Key_Return && key != Qt::Key_Enter) ||
        (event->modifiers() & ~Qt::KeypadModifier)) {
        return false;
    }
    auto* focused = qobject_cast<QAbstractButton*>(window->focusWidget());
    QAbstractButton* target =
        focused != nullptr && !focused->isCheckable() && focused->window() == window ? focused
                                                                                     : fallback;
    if (target != nullptr && target->isEnabled() && target->isVisible()) target->click();
    event->accept();
    return true;
}
