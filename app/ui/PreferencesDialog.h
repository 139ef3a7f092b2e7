#pragma once

#include "skin/ui/SkinnedDialog.h"

class BitmapRadio;
class QSlider;

// "Preferences": the JPEG quality position (1 Low to 5 High) and the DCF and thumbnail options.
// It works on copies of the values; the main window opens it modally and copies the three
// accessors back only when it ends with OK. GUI thread.
class PreferencesDialog : public SkinnedDialog {
    Q_OBJECT

public:
    PreferencesDialog(bool dcfOption, bool thumbnailOption, int qualityPosition,
                      QWidget* parent = nullptr);

    bool dcfOption() const;
    bool thumbnailOption() const;
    int qualityPosition() const;

private:
    // The quality panel: the slider over its tick marks, "Low" and "High" at its two ends.
    void BuildQuality(const QRect& qualityRect, int qualityPosition);

    QSlider* quality_;
    BitmapRadio* dcf_;
    BitmapRadio* thumbnails_;
};
