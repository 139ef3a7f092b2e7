#pragma once

#include "skin/ui/RadioGroup.h"
#include "skin/ui/SkinnedDialog.h"

class BitmapRadio;
class QLineEdit;

// "Place the image": the number of the target image and whether the selection goes before
// ("Previous to") or after ("Next to") it. The number may be typed outside 1 .. count (0 puts
// the block at the front; text that is not a number reads as 0); the arrows step within
// 1 .. count. Opened modally by the view. GUI thread.
class PlacementDialog : public SkinnedDialog {
    Q_OBJECT

public:
    explicit PlacementDialog(int count, QWidget* parent = nullptr);

    int PlacementNumber() const;
    bool PlaceBefore() const;

private:
    void Step(int delta);

    int count_;
    QLineEdit* number_;
    BitmapRadio* previous_;
    BitmapRadio* next_;
    RadioGroup side_;
};
