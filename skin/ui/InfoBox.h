#pragma once

#include "skin/ui/SkinnedBox.h"

// The information box: an error icon, the message and OK. OK answers 1; Escape and the close
// button answer 2, which no caller looks at. Created on the stack for one message; GUI thread.
class InfoBox : public SkinnedBox {
    Q_OBJECT

public:
    static constexpr int kOk = 1;
    static constexpr int kClosed = 2;

    explicit InfoBox(QWidget* parent = nullptr);

    // Shows text in a box that belongs to the window in front; returns the answer.
    static int Show(const QString& text);
};
