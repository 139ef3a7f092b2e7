#include "skin/ui/SkinnedBox.h"

#include <QLabel>

#include "skin/ui/ColorStatic.h"
#include "skin/ui/SkinButton.h"
#include "skin/ui/WindowFront.h"

namespace {

constexpr int kIconSize = 32;
constexpr int kButtonGap = 8;

}  // namespace

SkinnedBox::SkinnedBox(const Geometry& geometry, int cancelAnswer, QWidget* parent)
    : SkinnedDialog(parent),
      geometry_(geometry),
      cancelAnswer_(cancelAnswer),
      icon_(new QLabel(this)),
      text_(new ColorStatic(Qt::black, QColor(skin::kBoxBackground), this)) {
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor(skin::kBoxBackground));
    setPalette(colours);
    SetEscapeCloses(true);
    icon_->setObjectName(QStringLiteral("icon"));
    text_->setObjectName(QStringLiteral("text"));
    resize(geometry_.width, geometry_.height);
}

void SkinnedBox::SetText(const QString& text) {
    text_->setText(text);
    LayOut();
}

QString SkinnedBox::Text() const {
    return text_->text();
}

int SkinnedBox::ShowModal() {
    BringMainWindowToFront();
    LayOut();
    return exec();
}

void SkinnedBox::reject() {
    done(cancelAnswer_);
}

void SkinnedBox::SetIcon(QStyle::StandardPixmap icon) {
    icon_->setPixmap(style()->standardIcon(icon, nullptr, this).pixmap(kIconSize, kIconSize));
}

SkinButton* SkinnedBox::AddButton(const QString& name, const QString& caption,
                                  const skin::ButtonBitmaps& bitmaps, int answer) {
    auto* button = new SkinButton(caption, this);
    button->setObjectName(name);
    if (!button->Setup(bitmaps)) button->resize(button->sizeHint());
    connect(button, &SkinButton::clicked, this, [this, answer] { done(answer); });
    buttons_.append(button);
    LayOut();
    return button;
}

void SkinnedBox::LayOut() {
    const int width = this->width();
    icon_->setGeometry(geometry_.icon.x(), geometry_.icon.y(), kIconSize, kIconSize);

    const QRect area = geometry_.text;
    const int textHeight = qMax(area.height(), text_->heightForWidth(area.width()));
    text_->setGeometry(area.x(), area.y(), area.width(), textHeight);
    const int extra = textHeight - area.height();

    int rowWidth = 0;
    int rowHeight = 0;
    for (SkinButton* button : buttons_) {
        rowWidth += button->width();
        rowHeight = qMax(rowHeight, button->height());
    }
    if (!buttons_.isEmpty()) rowWidth += kButtonGap * (buttons_.size() - 1);
    int x = (width - rowWidth) / 2;
    const int top = geometry_.buttonsTop + extra;
    for (SkinButton* button : buttons_) {
        button->move(x, top);
        x += button->width() + kButtonGap;
    }
    const int height = qMax(geometry_.height + extra, top + rowHeight + skin::kFrameWidth);
    setFixedSize(width, height);
}

void SkinnedBox::showEvent(QShowEvent* event) {
    LayOut();
    SkinnedDialog::showEvent(event);
}
