#pragma once

#include "skin/ui/SkinnedBox.h"

// The information box and the OK / Cancel question. Info: an error icon, the message and OK.
// Confirm: a warning icon, the question, OK and Cancel; Enter answers with the focused button,
// OK as the box opens unless the question puts the focus on Cancel. OK answers 1; Cancel,
// Escape and the close button answer 2 (which no caller of an Info box looks at). Created on
// the stack for one message; GUI thread.
class MessageBox : public SkinnedBox {
    Q_OBJECT

public:
    enum class Kind { Info, Confirm };

    static constexpr int kOk = 1;
    static constexpr int kCancel = 2;

    // focused: the answer whose button has the focus as the box opens.
    explicit MessageBox(Kind kind, QWidget* parent = nullptr, int focused = kOk);

    // Shows text in an Info box that belongs to the window in front; returns the answer.
    static int Show(const QString& text);
    // Asks text in a Confirm box that belongs to the window in front; returns the answer.
    static int Ask(const QString& text, int focused = kOk);
};
