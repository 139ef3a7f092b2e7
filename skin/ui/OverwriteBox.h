#pragma once

#include "skin/ui/SkinnedBox.h"

class SkinButton;

// The numbered-conflict question: an image of the same number exists at the destination.
// Answers Overwrite 2, No 1, Save next 4, Overwrite all 3 (offered only in a whole-list run)
// and Cancel 0; Escape and every close request answer Cancel, never Overwrite. Created on the
// stack for one question; GUI thread.
class OverwriteBox : public SkinnedBox {
    Q_OBJECT

public:
    explicit OverwriteBox(bool saveAllMode = false, QWidget* parent = nullptr);

    void SetSaveAllMode(bool saveAllMode);
    bool SaveAllMode() const;

    // Asks text in a box that belongs to the window in front; returns one of overwrite::Answer.
    static int Ask(const QString& text, bool saveAllMode);

private:
    SkinButton* overwriteAll_;
};
