#include "thumbs/ui/PlacementDialog.h"

#include <QIntValidator>
#include <QLineEdit>
#include <QToolButton>

#include "skin/UiTexts.h"
#include "skin/ui/BitmapRadio.h"
#include "skin/ui/ColorStatic.h"
#include "skin/ui/SkinButton.h"
#include "skin/ui/SkinConstants.h"

PlacementDialog::PlacementDialog(int count, QWidget* parent)
    : SkinnedDialog(parent), count_(std::max(1, count)) {
    setObjectName(QStringLiteral("placementDialog"));
    SetTitlePictures(skin::kPlacementTitle);
    setWindowTitle(UiTexts::Text("placement.title"));
    setAutoFillBackground(true);
    const QColor white(skin::kBoxBackground);

    auto* heading = new ColorStatic(Qt::black, white, this);
    heading->setText(UiTexts::Text("placement.title"));
    heading->setGeometry(24, 40, 280, 20);

    previous_ = new BitmapRadio(skin::kPlacementRadio, white, this);
    previous_->setObjectName(QStringLiteral("previous"));
    previous_->setText(UiTexts::Text("placement.previous"));
    previous_->setGeometry(32, 70, 130, 22);
    next_ = new BitmapRadio(skin::kPlacementRadio, white, this);
    next_->setObjectName(QStringLiteral("next"));
    next_->setText(UiTexts::Text("placement.next"));
    next_->setGeometry(32, 98, 130, 22);
    side_.Add(previous_);
    side_.Add(next_);
    previous_->SetState(BitmapRadio::Checked);

    auto* label = new ColorStatic(Qt::black, white, this);
    label->setText(UiTexts::Text("placement.number"));
    label->setGeometry(180, 84, 40, 20);
    number_ = new QLineEdit(QStringLiteral("1"), this);
    number_->setObjectName(QStringLiteral("number"));
    number_->setAlignment(Qt::AlignCenter);
    number_->setMaxLength(4);
    number_->setValidator(new QIntValidator(0, 9999, number_));
    number_->setGeometry(222, 82, 56, 24);
    const auto arrow = [this](const char* name, Qt::ArrowType type, int y, int delta) {
        auto* button = new QToolButton(this);
        button->setObjectName(QLatin1String(name));
        button->setArrowType(type);
        button->setAutoRepeat(true);
        button->setGeometry(280, y, 18, 12);
        connect(button, &QToolButton::clicked, this, [this, delta] { Step(delta); });
    };
    arrow("up", Qt::UpArrow, 82, 1);
    arrow("down", Qt::DownArrow, 94, -1);

    auto* ok = new SkinButton(this);
    ok->setObjectName(QStringLiteral("ok"));
    ok->Setup(skin::kOkButton);
    ok->move(width() / 2 - ok->width() - 8, 140);
    connect(ok, &QAbstractButton::clicked, this, &QDialog::accept);
    auto* cancel = new SkinButton(this);
    cancel->setObjectName(QStringLiteral("cancel"));
    cancel->Setup(skin::kCancelButton);
    cancel->move(width() / 2 + 8, 140);
    connect(cancel, &QAbstractButton::clicked, this, &QDialog::reject);
    resize(width(), 186);
    SetDefaultButton(ok);
    SetEscapeCloses(true);
    number_->setFocus();
    number_->selectAll();
}

int PlacementDialog::PlacementNumber() const {
    return number_->text().toInt();
}

bool PlacementDialog::PlaceBefore() const {
    return previous_->isChecked();
}

void PlacementDialog::Step(int delta) {
    const int next = std::clamp(PlacementNumber() + delta, 1, count_);
    number_->setText(QString::number(next));
}
