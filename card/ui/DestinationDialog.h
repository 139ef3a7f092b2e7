#pragma once

#include <QList>
#include <QString>

#include "card/Destination.h"
#include "skin/ui/SkinnedDialog.h"

class Prompter;
class QComboBox;
class QLineEdit;

// "Destination": the drive of the memory card and the number of its folder under /DCIM/,
// proposed as the drive's first free number and checked on OK (AcceptCardFolder). Opened
// modally by the main window, which reads the results after OK. GUI thread.
class DestinationDialog : public SkinnedDialog {
    Q_OBJECT

public:
    // driveText is the root of the drive to select first; the first drive when none matches.
    DestinationDialog(const QList<Drive>& drives, const QString& driveText, Prompter& prompter,
                      QWidget* parent = nullptr);

    // The card folder accepted on OK; empty before that.
    QString chosenFolder() const { return chosenFolder_; }
    // The root of the selected drive (driveText as given when there is no drive at all).
    QString driveText() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ProposeFreeNumber();
    void ApplyNumberField();
    void Step(int delta);
    void Accept();

    Prompter& prompter_;
    QString givenDrive_;
    QString chosenFolder_;
    QComboBox* drive_;
    QLineEdit* number_;
    bool applying_ = false;  // the message of the field is up; its focus change is no leaving
};
