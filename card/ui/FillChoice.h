#pragma once

#include <QColor>
#include <QComboBox>
#include <functional>
#include <optional>

#include "core/FrameFill.h"

// The convert dialog's choice of what fills the frame around a photo of another aspect: black,
// the blurred photo, or a colour the user picks (the entry shows it as a swatch). Choosing the
// colour entry, even again, asks for the colour; a cancelled question keeps the last choice.
// GUI thread.
class FillChoice : public QComboBox {
    Q_OBJECT

public:
    explicit FillChoice(const FrameFill& fill, QWidget* parent = nullptr);

    FrameFill fill() const { return fill_; }
    // Asks for a colour, starting from current; nothing when the user cancels. The colour
    // dialog unless replaced (tests answer here).
    using ColourPicker = std::function<std::optional<QColor>(QColor current)>;
    void SetColourPicker(ColourPicker picker) { picker_ = std::move(picker); }

Q_SIGNALS:
    void fillChosen(const FrameFill& fill);

private:
    void Show(const FrameFill& fill);
    void Choose(int index);

    FrameFill fill_;
    QColor lastColour_{0x20, 0x40, 0xFF};  // offered when the colour entry is first chosen
    ColourPicker picker_;
};
