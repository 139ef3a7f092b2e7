#pragma once

#include <QList>
#include <QString>
#include <functional>

#include "card/Destination.h"
#include "skin/ui/SkinnedDialog.h"

class ColorStatic;
class Prompter;
class QComboBox;
class QLineEdit;
class SkinButton;

// "Destination": the memory card and the number of its folder under /DCIM/, proposed as the
// card's first free number and checked on OK (AcceptCardFolder). The list holds the cards
// mounted now, each with its size, free space and file system, and follows cards as they come
// and go; without a card it asks for one and OK is off. Opened modally by the main window,
// which reads the results after OK. GUI thread.
class DestinationDialog : public SkinnedDialog {
    Q_OBJECT

public:
    using DriveLister = std::function<QList<Drive>()>;

    // driveText is the root of the card to select first; the first card when none matches.
    DestinationDialog(DriveLister lister, const QString& driveText, Prompter& prompter,
                      QWidget* parent = nullptr);

    // The card folder accepted on OK; empty before that.
    QString chosenFolder() const { return chosenFolder_; }
    // The root of the selected card (driveText as given when there is none).
    QString driveText() const;

public Q_SLOTS:
    // Lists the cards again, keeping the selected one when it is still there.
    void UpdateDrives();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The folder number's row with its arrows, and OK and Cancel.
    void BuildNumberRow();
    void BuildButtons();
    ColorStatic* AddLabel(const QString& text, const QRect& where);
    void ShowDetails();
    void ProposeFreeNumber();
    void ApplyNumberField();
    void Step(int delta);
    void Accept();

    DriveLister lister_;
    Prompter& prompter_;
    QString givenDrive_;
    QString chosenFolder_;
    QComboBox* drive_;
    ColorStatic* details_;
    QLineEdit* number_;
    SkinButton* ok_;
    bool applying_ = false;  // the message of the field is up; its focus change is no leaving
};
