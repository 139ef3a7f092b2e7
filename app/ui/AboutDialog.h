#pragma once

#include "skin/ui/SkinnedDialog.h"

// The version window: the program's name and version and two notices, one OK button.
// Opened modally by the main window. GUI thread.
class AboutDialog : public SkinnedDialog {
    Q_OBJECT

public:
    explicit AboutDialog(QWidget* parent = nullptr);
};
