#pragma once

#include <QColor>
#include <array>

#include "skin/ui/HoverButton.h"
#include "skin/ui/SkinConstants.h"

class RadioGroup;

// A radio or check button drawn from six skin bitmaps on a solid background, its text beside
// the picture; the bitmaps are fetched when it paints, at the pixel ratio of its screen. In a
// RadioGroup it behaves as a radio button, on its own as a check box. Owned by its dialog like any
// child widget; GUI thread.
class BitmapRadio : public HoverButton {
    Q_OBJECT

public:
    // The state bits; SetState takes one of them and State() reports their combination.
    enum StateBit : int {
        Unchecked = 1,
        Checked = 2,
        Disabled = 4,
        Hover = 8,
    };

    // bitmaps in the order checked normal, checked hover, checked disabled, unchecked normal,
    // unchecked hover, unchecked disabled.
    BitmapRadio(const skin::RadioBitmaps& bitmaps, const QColor& background,
                QWidget* parent = nullptr);
    ~BitmapRadio() override;

    int State() const;
    // Unchecked or Checked set the check (Checked also unchecks the rest of the group);
    // Disabled disables the button and any other state enables it; Hover sets the hover bit.
    // Returns the check state before the call (Unchecked or Checked).
    int SetState(int state);

    RadioGroup* Group() const { return group_; }
    QColor Background() const { return background_; }
    // The bitmap id the button paints now (0 when that picture is missing).
    int CurrentBitmap() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void nextCheckState() override;
    bool hitButton(const QPoint& pos) const override;

private:
    friend class RadioGroup;

    enum Picture {
        CheckedNormal,
        CheckedHover,
        CheckedDisabled,
        UncheckedNormal,
        UncheckedHover,
        UncheckedDisabled,
        PictureCount,
    };

    Picture CurrentPicture() const;

    std::array<int, PictureCount> ids_;  // 0 where the picture is missing
    QColor background_;
    RadioGroup* group_ = nullptr;
};
