#include "app/ui/PreferencesDialog.h"

#include <QSlider>
#include <QSpinBox>
#include <utility>

#include "card/DcfNumbering.h"
#include "skin/UiTexts.h"
#include "skin/ui/BitmapRadio.h"
#include "skin/ui/ColorStatic.h"
#include "skin/ui/SkinArt.h"
#include "skin/ui/SkinButton.h"
#include "skin/ui/SkinConstants.h"
#include "skin/ui/SkinPicture.h"

namespace {

constexpr int kQualityPanel = 270;
constexpr int kOptionsPanel = 269;
constexpr int kLowestQuality = 1;
constexpr int kHighestQuality = 5;

// Layout in pixels: the panels are centred under the title band, one above the other.
constexpr int kPanelTop = 38;
constexpr int kPanelGap = 8;
constexpr int kPanelInset = 16;  // from a panel's left edge to the controls on it
constexpr int kButtonGap = 8;    // between the OK and Cancel buttons, either side of the middle

}  // namespace

PreferencesDialog::PreferencesDialog(bool dcfOption, bool thumbnailOption, int qualityPosition,
                                     int filesPerFolder, QWidget* parent)
    : SkinnedDialog(parent) {
    setObjectName(QStringLiteral("preferencesDialog"));
    SetTitlePictures(skin::kPreferencesTitle);
    setWindowTitle(UiTexts::Text("preferences.title"));
    AddCloseButton();
    const QColor panel(skin::kPanelBackground);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, panel);
    setPalette(colours);

    // The pictures come first so that every control lies above them.
    const QSize panelSize = SkinArt::SizeOf(kQualityPanel);
    const int panelLeft = (width() - panelSize.width()) / 2;
    const QRect qualityRect(QPoint(panelLeft, kPanelTop), panelSize);
    const QRect optionsRect(QPoint(panelLeft, qualityRect.bottom() + 1 + kPanelGap),
                            SkinArt::SizeOf(kOptionsPanel));
    for (const auto& [id, rect] :
         {std::pair{kQualityPanel, qualityRect}, std::pair{kOptionsPanel, optionsRect}}) {
        auto* picture = new SkinPicture(id, this);
        picture->move(rect.topLeft());
    }

    BuildQuality(qualityRect, qualityPosition);
    const int innerLeft = qualityRect.left() + kPanelInset;

    // The options panel: two check buttons on their own, so that each one toggles.
    const auto check = [&](const char* name, const char* key, bool on, int top) {
        auto* button = new BitmapRadio(skin::kPreferencesCheck, panel, this);
        button->setObjectName(QLatin1String(name));
        button->setText(UiTexts::Text(key));
        button->SetState(on ? BitmapRadio::Checked : BitmapRadio::Unchecked);
        button->setGeometry(QRect(QPoint(innerLeft, top), button->sizeHint()));
        return button;
    };
    dcf_ = check("dcf", "preferences.dcf", dcfOption, optionsRect.top() + 18);
    thumbnails_ =
        check("thumbnails", "preferences.thumbnails", thumbnailOption, optionsRect.top() + 48);

    BuildFilesPerFolder(optionsRect, filesPerFolder);
    const int buttonTop = perFolder_->geometry().bottom() + 1 + 14;
    auto* ok = new SkinButton(this);
    ok->setObjectName(QStringLiteral("ok"));
    ok->Setup(skin::kOkButton);
    ok->move(width() / 2 - ok->width() - kButtonGap, buttonTop);
    ok->setFocusPolicy(Qt::StrongFocus);
    connect(ok, &QAbstractButton::clicked, this, &QDialog::accept);
    auto* cancel = new SkinButton(this);
    cancel->setObjectName(QStringLiteral("cancel"));
    cancel->Setup(skin::kCancelButton);
    cancel->move(width() / 2 + kButtonGap, buttonTop);
    cancel->setFocusPolicy(Qt::StrongFocus);
    connect(cancel, &QAbstractButton::clicked, this, &QDialog::reject);
    resize(width(), ok->geometry().bottom() + 1 + 16);

    setTabOrder(quality_, dcf_);
    setTabOrder(dcf_, thumbnails_);
    setTabOrder(thumbnails_, perFolder_);
    setTabOrder(perFolder_, ok);
    setTabOrder(ok, cancel);
    SetDefaultButton(ok);
    SetEscapeCloses(true);
    quality_->setFocus();
}

void PreferencesDialog::BuildQuality(const QRect& qualityRect, int qualityPosition) {
    const QColor panel(skin::kPanelBackground);
    const int innerWidth = qualityRect.width() - 2 * kPanelInset;
    const int innerLeft = qualityRect.left() + kPanelInset;
    quality_ = new QSlider(Qt::Horizontal, this);
    quality_->setObjectName(QStringLiteral("quality"));
    quality_->setRange(kLowestQuality, kHighestQuality);
    quality_->setSingleStep(1);
    quality_->setPageStep(1);
    quality_->setTickInterval(1);
    quality_->setTickPosition(QSlider::TicksBelow);
    quality_->setValue(qualityPosition);
    quality_->setGeometry(innerLeft, qualityRect.top() + 14, innerWidth, 32);
    const auto label = [&](const char* key, Qt::Alignment alignment, int left) {
        auto* text = new ColorStatic(Qt::black, panel, this);
        text->setWordWrap(false);
        text->setText(UiTexts::Text(key));
        text->setAlignment(alignment | Qt::AlignVCenter);
        text->setGeometry(left, quality_->geometry().bottom() + 6, innerWidth / 2, 20);
    };
    label("preferences.low", Qt::AlignLeft, innerLeft);
    label("preferences.high", Qt::AlignRight, innerLeft + innerWidth - innerWidth / 2);
}

void PreferencesDialog::BuildFilesPerFolder(const QRect& optionsRect, int filesPerFolder) {
    const QColor panel(skin::kPanelBackground);
    const int innerLeft = optionsRect.left() + kPanelInset;
    const int rowTop = optionsRect.bottom() + 1 + kPanelGap;
    perFolder_ = new QSpinBox(this);
    perFolder_->setObjectName(QStringLiteral("perFolder"));
    perFolder_->setRange(dcf::kFirstFileNumber, dcf::kLastFileNumber);
    perFolder_->setValue(filesPerFolder);
    perFolder_->setAccessibleName(UiTexts::Text("preferences.per_folder"));
    const int fieldWidth = perFolder_->sizeHint().width();
    perFolder_->setGeometry(optionsRect.right() + 1 - kPanelInset - fieldWidth, rowTop, fieldWidth,
                            perFolder_->sizeHint().height());
    auto* perFolderLabel = new ColorStatic(Qt::black, panel, this);
    perFolderLabel->setWordWrap(false);
    perFolderLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    perFolderLabel->setText(UiTexts::Text("preferences.per_folder"));
    perFolderLabel->setBuddy(perFolder_);
    perFolderLabel->setGeometry(innerLeft, rowTop,
                                optionsRect.width() - 2 * kPanelInset - fieldWidth - kButtonGap,
                                perFolder_->height());
}

bool PreferencesDialog::dcfOption() const {
    return dcf_->isChecked();
}

bool PreferencesDialog::thumbnailOption() const {
    return thumbnails_->isChecked();
}

int PreferencesDialog::qualityPosition() const {
    return quality_->value();
}

int PreferencesDialog::filesPerFolder() const {
    return perFolder_->value();
}
