#pragma once

#include <QDialog>

#include "skin/MessageIds.h"

class QLabel;
class QProgressBar;
class SkinButton;

// The progress window of every import: a line that says how far it is ("Importing 3 of 22:
// beach.jpg"), a bar and a Cancel button. It is shown without running
// its own loop: the import runs on and lets the window's events through at every step, so the
// window repaints and Cancel is seen; the rest of the program takes no input meanwhile. Cancel
// only raises a flag, which the import reads between files. GUI thread.
class ImportProgressDialog : public QDialog {
    Q_OBJECT

public:
    // titleId: the window's title from the string table ("Loading image." for imports).
    explicit ImportProgressDialog(int titleId = msg::LoadingTitle, QWidget* owner = nullptr);
    ImportProgressDialog(const QString& title, QWidget* owner);

    // Counts from 0 to count, one step per file or slide. A count of 0 shows a busy bar until
    // the real count is known.
    void Start(int count);
    void StepIt();
    // The line above the bar: the item the import is on (1-based), of how many (0: not known
    // yet), and its name (a file, or the presentation a slide comes from).
    void ShowItem(int item, int count, const QString& name);
    // True once after Cancel was pressed (the flag is cleared by reading it).
    bool CancelRequested();

    int position() const;
    int maximum() const;

protected:
    void reject() override;
    // Enter on the focused Cancel button presses it, as Space does.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Pump();

    QLabel* item_;
    QProgressBar* bar_;
    SkinButton* cancel_;
    bool cancelRequested_ = false;
};
