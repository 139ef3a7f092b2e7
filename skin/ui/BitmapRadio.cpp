#include "skin/ui/BitmapRadio.h"

#include <QPainter>

#include "skin/ui/RadioGroup.h"
#include "skin/ui/SkinArt.h"

namespace {

// Where the text starts, from the button's top-left corner.
constexpr int kTextLeft = 28;
constexpr int kTextTop = 4;

}  // namespace

BitmapRadio::BitmapRadio(const skin::RadioBitmaps& bitmaps, const QColor& background,
                         QWidget* parent)
    : HoverButton(parent), background_(background) {
    for (int i = 0; i < PictureCount; ++i) {
        ids_[i] = SkinArt::SizeOf(bitmaps[i]).isValid() ? bitmaps[i] : 0;
    }
    setCheckable(true);
    // toggled, unlike checkStateSet, also follows a click.
    connect(this, &QAbstractButton::toggled, this, [this](bool checked) {
        if (checked && group_ != nullptr) group_->UncheckAllBut(this);
    });
    resize(sizeHint());
}

BitmapRadio::~BitmapRadio() {
    if (group_ != nullptr) group_->Remove(this);
}

int BitmapRadio::State() const {
    int state = isChecked() ? Checked : Unchecked;
    if (!isEnabled()) state |= Disabled;
    if (IsHovered()) state |= Hover;
    return state;
}

int BitmapRadio::SetState(int state) {
    const int previous = isChecked() ? Checked : Unchecked;
    if (state & Checked)
        setChecked(true);
    else if (state & Unchecked)
        setChecked(false);
    setEnabled(!(state & Disabled));
    SetHovered((state & Hover) != 0);
    return previous;
}

BitmapRadio::Picture BitmapRadio::CurrentPicture() const {
    if (isChecked()) {
        if (!isEnabled()) return CheckedDisabled;
        return IsHovered() ? CheckedHover : CheckedNormal;
    }
    if (!isEnabled()) return UncheckedDisabled;
    return IsHovered() ? UncheckedHover : UncheckedNormal;
}

int BitmapRadio::CurrentBitmap() const {
    return ids_[CurrentPicture()];
}

QSize BitmapRadio::sizeHint() const {
    QSize picture;
    for (int id : ids_) {
        if (id != 0) picture = picture.expandedTo(SkinArt::SizeOf(id));
    }
    if (text().isEmpty()) return picture.expandedTo(QSize(kTextLeft - 6, kTextLeft - 6));
    const QSize textSize = fontMetrics().size(Qt::TextShowMnemonic, text());
    // One pixel more each way for the embossed copy of a disabled text.
    return picture.expandedTo(
        QSize(kTextLeft + textSize.width() + 2, kTextTop + textSize.height() + 2));
}

QSize BitmapRadio::minimumSizeHint() const {
    return sizeHint();
}

void BitmapRadio::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), background_);
    if (const int id = ids_[CurrentPicture()]; id != 0)
        painter.drawPixmap(0, 0, SkinArt::Bitmap(id, devicePixelRatioF()));
    if (text().isEmpty()) return;

    const QRect textRect = rect().adjusted(kTextLeft, kTextTop, 0, 0);
    const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextShowMnemonic;
    if (isEnabled()) {
        painter.setPen(palette().color(QPalette::Active, QPalette::WindowText));
        painter.drawText(textRect, flags, text());
    } else {
        // Embossed: a light copy one pixel down and right under the shadow-coloured text.
        painter.setPen(palette().color(QPalette::Light));
        painter.drawText(textRect.translated(1, 1), flags, text());
        painter.setPen(palette().color(QPalette::Dark));
        painter.drawText(textRect, flags, text());
    }
    if (hasFocus()) {
        const QRect bounds = painter.boundingRect(textRect, flags, text());
        painter.setPen(QPen(palette().color(QPalette::WindowText), 1, Qt::DotLine));
        painter.drawRect(bounds.adjusted(-2, -1, 1, 0));
    }
}

void BitmapRadio::nextCheckState() {
    // In a group a click only ever checks; clicking the checked one leaves it checked.
    if (group_ != nullptr)
        setChecked(true);
    else
        QAbstractButton::nextCheckState();
}

bool BitmapRadio::hitButton(const QPoint& pos) const {
    // The whole button answers, the text as well as the picture.
    return rect().contains(pos);
}
