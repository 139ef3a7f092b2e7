#include "card/ui/FillChoice.h"

#include <QColorDialog>
#include <QPixmap>

#include "skin/UiTexts.h"

namespace {

// The entries in their order; each one's row is its kind's.
constexpr int kBlackRow = 0;
constexpr int kBlurRow = 1;
constexpr int kColourRow = 2;

}  // namespace

FillChoice::FillChoice(const FrameFill& fill, QWidget* parent) : QComboBox(parent) {
    setObjectName(QStringLiteral("fills"));
    addItem(UiTexts::Text("fill.black"));
    addItem(UiTexts::Text("fill.blur"));
    addItem(UiTexts::Text("fill.colour"));
    picker_ = [this](QColor current) -> std::optional<QColor> {
        const QColor chosen = QColorDialog::getColor(current, this, UiTexts::Text("fill.pick"));
        if (!chosen.isValid()) return std::nullopt;
        return chosen;
    };
    Show(fill);
    connect(this, &QComboBox::activated, this, &FillChoice::Choose);
}

void FillChoice::Show(const FrameFill& fill) {
    fill_ = fill;
    if (fill.kind == FrameFill::Kind::Colour) lastColour_ = QColor::fromRgb(fill.rgb);
    QPixmap swatch(12, 12);
    swatch.fill(lastColour_);
    setItemIcon(kColourRow, swatch);
    setItemData(kColourRow, lastColour_.name(QColor::HexRgb).toUpper(), Qt::ToolTipRole);
    setCurrentIndex(fill.kind == FrameFill::Kind::Blur     ? kBlurRow
                    : fill.kind == FrameFill::Kind::Colour ? kColourRow
                                                           : kBlackRow);
}

void FillChoice::Choose(int index) {
    FrameFill chosen;
    if (index == kBlurRow) chosen.kind = FrameFill::Kind::Blur;
    if (index == kColourRow) {
        const std::optional<QColor> colour = picker_(lastColour_);
        if (!colour) {
            Show(fill_);
            return;
        }
        chosen = FrameFill{FrameFill::Kind::Colour, colour->rgb() & 0xFFFFFFu};
    }
    Show(chosen);
    Q_EMIT fillChosen(chosen);
}
