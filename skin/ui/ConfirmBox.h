#pragma once

#include "skin/ui/SkinnedBox.h"

// The OK / Cancel question: a warning icon, the question, OK and Cancel. OK answers 1; Cancel,
// Escape and the close button answer 2. Enter answers with the focused button, OK as the box
// opens unless the question puts the focus on Cancel. Created on the stack for one question;
// GUI thread.
class ConfirmBox : public SkinnedBox {
    Q_OBJECT

public:
    static constexpr int kOk = 1;
    static constexpr int kCancel = 2;

    // focused: the answer whose button has the focus as the box opens.
    explicit ConfirmBox(QWidget* parent = nullptr, int focused = kOk);

    // Asks text in a box that belongs to the window in front; returns the answer.
    static int Ask(const QString& text, int focused = kOk);
};
