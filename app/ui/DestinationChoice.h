#pragma once

#include <QList>
#include <QObject>
#include <functional>

#include "card/Destination.h"
#include "skin/ui/RadioGroup.h"

struct AppSettings;
class BitmapRadio;
class ColorStatic;
class Prompter;
class SkinButton;
class QWidget;

// The main window's destination controls: the memory-card and other-folder radios (one choice,
// heard as one group), the folder button and the text that shows where the files go. Choosing
// asks for a card folder in the destination dialog, or for another folder in the folder
// browser, and keeps the answer in the settings. Its controls are children of the window; the
// window owns it. GUI thread.
class DestinationChoice : public QObject {
    Q_OBJECT

public:
    using DriveLister = std::function<QList<Drive>()>;

    DestinationChoice(QWidget* window, AppSettings& settings, Prompter& prompter);

    BitmapRadio* cardRadio() const { return cardRadio_; }
    BitmapRadio* otherRadio() const { return otherRadio_; }
    SkinButton* folderButton() const { return folder_; }

    // Where the destination dialog's drives come from (tests give their own folders).
    void SetDriveLister(DriveLister lister) { driveLister_ = std::move(lister); }

    // Asks for a folder of the kind the radios choose.
    void Choose();
    // What the radios' clicks choose; the window then asks for a card folder at once.
    void SetCard(bool card);
    // Asks for the destination when none is chosen yet (the destination dialog for a card,
    // the folder browser after a word for another folder); false when there is still none.
    bool Ensure();

private:
    void Show();

    QWidget* window_;
    AppSettings& settings_;
    Prompter& prompter_;
    BitmapRadio* cardRadio_ = nullptr;
    BitmapRadio* otherRadio_ = nullptr;
    RadioGroup group_;
    ColorStatic* text_ = nullptr;
    SkinButton* folder_ = nullptr;
    DriveLister driveLister_;
};
