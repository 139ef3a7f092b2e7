#pragma once

#include "skin/ui/SkinnedDialog.h"

class BitmapRadio;
class QSlider;
class QSpinBox;

// "Preferences": the JPEG quality position (1 Low to 5 High), the DCF and thumbnail options and
// the files per card folder (1 to 9999). It works on copies of the values; the main window
// opens it modally and copies the accessors back only when it ends with OK. GUI thread.
class PreferencesDialog : public SkinnedDialog {
    Q_OBJECT

public:
    PreferencesDialog(bool dcfOption, bool thumbnailOption, int qualityPosition, int filesPerFolder,
                      QWidget* parent = nullptr);

    bool dcfOption() const;
    bool thumbnailOption() const;
    int qualityPosition() const;
    int filesPerFolder() const;

private:
    // The quality panel: the slider over its tick marks, "Low" and "High" at its two ends.
    void BuildQuality(const QRect& qualityRect, int qualityPosition);
    // The files per folder: a row of its own under the options panel, on the dialog's ground.
    void BuildFilesPerFolder(const QRect& optionsRect, int filesPerFolder);

    QSlider* quality_;
    BitmapRadio* dcf_;
    BitmapRadio* thumbnails_;
    QSpinBox* perFolder_;
};
