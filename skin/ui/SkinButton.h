#pragma once

#include <array>

#include "skin/ui/HoverButton.h"
#include "skin/ui/SkinConstants.h"

// A push button drawn from four skin bitmaps (normal, pressed, hover, disabled), fetched when it
// paints at the pixel ratio of its screen. Without its normal bitmap it falls back to an
// ordinary push button showing its caption text. Owned by its dialog like any child widget;
// GUI thread.
class QKeyEvent;

class SkinButton : public HoverButton {
    Q_OBJECT

public:
    explicit SkinButton(QWidget* parent = nullptr);
    explicit SkinButton(const QString& caption, QWidget* parent = nullptr);

    // Loads the pictures (0 = none) and makes the button exactly as large as the normal one,
    // keeping its position. False when the normal picture is missing: the button then stays a
    // plain push button with its caption.
    bool Setup(int normal, int pressed, int hover, int disabled);
    bool Setup(const skin::ButtonBitmaps& bitmaps);

    bool IsSkinned() const { return ids_[Normal] != 0; }
    // The bitmap id the button paints now; 0 when it is not skinned.
    int CurrentBitmap() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    enum Picture { Normal, Pressed, Hover, Disabled, PictureCount };

    Picture CurrentPicture() const;

    std::array<int, PictureCount> ids_{};  // 0 where the picture is missing
};

// Enter (or the keypad's Enter) in a dialog: presses the push button that has the focus in
// window, else fallback (the dialog's default button, or none). A focused radio or check button
// is no push button: Enter there means the default too. True when the key was Enter; the event
// is then taken, whether or not a button was pressed.
bool EnterPressesButton(QWidget* window, QKeyEvent* event, QAbstractButton* fallback);
