#pragma once

#include <QFutureWatcher>
#include <QImage>
#include <atomic>
#include <memory>

#include "card/CardCheck.h"
#include "card/CardEject.h"
#include "card/ConvertRun.h"
#include "skin/ui/SkinConstants.h"
#include "skin/ui/SkinnedDialog.h"

class ColorStatic;
class FillChoice;
class Prompter;
class QComboBox;
class QLabel;
class QProgressBar;
class SkinButton;
class WorkingList;

// Where the loaded images become output files: previews one image of the list at a time,
// steps through the list, and writes the previewed image (Save) or every image in list order
// (Save All) through the convert run, with the output size and format chosen here. During
// Save All the window stays responsive: the run encodes ahead on the pool while the dialog
// waits in its own event loop, so Stop is seen between images. When another run (a batch run)
// is writing into the same folder, Save and Save All wait for it, and Stop ends the wait.
// Onto a card it also looks at the card once (on a worker; what it finds is asked about when
// no run is going on) and, once images are written, offers to eject the card. Opened modally
// by the main window, which takes the size, format and fill back afterwards. GUI thread.
class ConvertSaveDialog : public SkinnedDialog {
    Q_OBJECT

public:
    ConvertSaveDialog(WorkingList& list, ConvertSettings settings, Prompter& prompter,
                      bool& unsavedChanges, QString& lastDestination, QWidget* parent = nullptr);
    ~ConvertSaveDialog() override;

    int sizeIndex() const { return settings_.sizeIndex; }
    int formatIndex() const { return settings_.formatIndex; }
    FrameFill fill() const { return settings_.fill; }
    int position() const { return position_; }
    int count() const;
    bool running() const { return running_; }
    QString positionText() const;
    // The text under the bar: the count during Save All; after it what the run did, a line
    // each: whether it reached the end, how many images it wrote of how many, how many were
    // skipped (answered No) and how many failed.
    QString progressText() const;

public Q_SLOTS:
    void Previous();
    void Next();
    void SaveCurrent();
    void SaveAll();
    // Stop during a run asks first; while idle it closes the dialog.
    void Stop();
    // Looks at the destination card unless cards already saw it (a card destination only).
    void CheckCardOnce(CheckedCards& cards);
    // Flushes the card and has the system unmount it; says what came of it.
    void EjectCard();

protected:
    void done(int result) override;
    void reject() override;

private:
    // The parts of the dialog: the preview with the position and its arrows, the size and
    // format with Save and Save All, and the progress with the destination, Stop and Eject.
    void BuildPreview();
    void BuildSavePanel();
    void BuildProgress();
    SkinButton* AddButton(const char* name, const skin::ButtonBitmaps& bitmaps, QPoint at,
                          void (ConvertSaveDialog::*slot)());
    void ShowPreview();
    void UpdateControls();
    void ShowResult(const QList<ImageOutcome>& outcomes, bool reachedEnd, bool cancelAnswered);
    // What the card check found, told and asked about; kept for later while a run goes on.
    void ShowCardCheck();
    std::unique_ptr<ConvertRun> MakeRun(Prompter& prompter);
    // While another run writes into the destination folder: a moment with the window's events
    // running; false once the user stopped.
    bool WaitForFolder();
    // The picture turned clockwise by quarterTurns and fitted to area (logical pixels), with
    // the pixels of a screen of ratio.
    static QImage RenderPreview(const QString& workPath, int quarterTurns, QSize area, qreal ratio);

    WorkingList& list_;
    ConvertSettings settings_;
    Prompter& prompter_;
    bool& unsavedChanges_;
    QString& lastDestination_;
    int position_ = 1;
    bool running_ = false;
    std::atomic<bool> cancel_{false};

    QLabel* preview_;
    QRect previewArea_;
    ColorStatic* positionText_;
    SkinButton* previous_;
    SkinButton* next_;
    SkinButton* save_;
    SkinButton* saveAll_;
    SkinButton* stop_;
    SkinButton* eject_;
    QComboBox* sizes_;
    QComboBox* formats_;
    FillChoice* fills_;
    QProgressBar* progress_;
    ColorStatic* progressText_;
    bool stopShown_ = false;  // the Stop picture on stop_, else the Close one
    bool wroteOnCard_ = false;
    bool ejected_ = false;
    QFutureWatcher<QImage> previewWatcher_;
    QFutureWatcher<CardCheck> cardCheck_;
    bool cardCheckPending_ = false;  // found while a run went on
    bool cardCheckShown_ = false;
};
