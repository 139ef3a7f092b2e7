#include "card/ui/ConvertSaveDialog.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

#include "card/DcfNumbering.h"
#include "card/ui/FillChoice.h"
#include "core/TerminationSignals.h"
#include "core/WaitWithEvents.h"
#include "core/WorkingList.h"
#include "imaging/CLead.h"
#include "imaging/ImagingConstants.h"
#include "skin/MessageIds.h"
#include "skin/MessageTexts.h"
#include "skin/Prompter.h"
#include "skin/UiTexts.h"
#include "skin/ui/ColorStatic.h"
#include "skin/ui/SkinButton.h"
#include "skin/ui/SkinConstants.h"
#include "skin/ui/SkinPicture.h"

namespace {

constexpr QRect kPreviewFrame{16, 40, 480, 400};
constexpr int kPreviewInset = 20;
constexpr QRect kPositionPanel{515, 40, 230, 76};
constexpr QRect kSavePanel{515, 124, 230, 195};
constexpr QRect kDestinationLine{16, 448, 620, 20};  // under the preview, left of Stop
constexpr int kHeight = 480;
constexpr int kBottomRow = kHeight - 46;  // Stop, and Eject card left of it
// The longest list of found files a question shows; the rest are counted.
constexpr int kFoundLinesShown = 12;
// How often a busy destination folder is tried again.
constexpr int kFolderRetryMs = 200;

// The picture fitted into the area, centred; offsets truncated.
QRect FitPreview(const QRect& area, int w, int h) {
    if (w <= 0 || h <= 0) return area;
    if (double(area.width()) * h / w >= area.height()) {
        const int width = int(double(area.height()) * w / h);
        return QRect(area.left() + int((area.width() - width) * 0.5), area.top(), width,
                     area.height());
    }
    const int height = int(double(area.width()) * h / w);
    return QRect(area.left(), area.top() + int((area.height() - height) * 0.5), area.width(),
                 height);
}

// Passes every message and question on, noting whether the number question was answered
// Cancel (or its box closed): that ends a run as a failure does, though nothing failed.
class NotingPrompter : public Prompter {
public:
    NotingPrompter(Prompter& inner, bool& cancelAnswered)
        : inner_(inner), cancelAnswered_(cancelAnswered) {}

    void Info(int id, const QString& argument) override { inner_.Info(id, argument); }
    bool Confirm(int id, const QString& argument) override { return inner_.Confirm(id, argument); }
    int Overwrite(const QString& text, bool saveAllMode) override {
        const int answer = inner_.Overwrite(text, saveAllMode);
        if (answer == overwrite::Cancel) cancelAnswered_ = true;
        return answer;
    }
    void Plain(const QString& text) override { inner_.Plain(text); }
    bool ConfirmPlain(const QString& text) override { return inner_.ConfirmPlain(text); }
    bool AnswersFixed() const override { return inner_.AnswersFixed(); }

private:
    Prompter& inner_;
    bool& cancelAnswered_;
};

}  // namespace

ConvertSaveDialog::ConvertSaveDialog(WorkingList& list, ConvertSettings settings,
                                     Prompter& prompter, bool& unsavedChanges,
                                     QString& lastDestination, QWidget* parent)
    : SkinnedDialog(parent),
      list_(list),
      settings_(std::move(settings)),
      prompter_(prompter),
      unsavedChanges_(unsavedChanges),
      lastDestination_(lastDestination) {
    setObjectName(QStringLiteral("convertSaveDialog"));
    // Asked to end: a running Save All stops after the image being written.
    if (TerminationSignals* signals = TerminationSignals::Installed()) {
        connect(signals, &TerminationSignals::requested, this, [this] { cancel_ = true; });
    }
    SetTitlePictures(skin::kConvertTitle);
    setWindowTitle(UiTexts::Text("convert.title"));
    AddCloseButton();
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor(skin::kPanelBackground));
    setPalette(colours);
    BuildPreview();
    BuildSavePanel();
    BuildProgress();
    connect(&cardCheck_, &QFutureWatcher<CardCheck>::finished, this,
            &ConvertSaveDialog::ShowCardCheck);
    resize(width(), kHeight);
    // Escape is the Stop button: it asks during a run and closes the dialog otherwise. Enter on
    // no button in particular writes the list.
    SetEscapeCloses(true);
    SetDefaultButton(saveAll_);
    saveAll_->setFocus();

    // The watcher follows only the latest preview: one of a position left meanwhile is dropped.
    connect(&previewWatcher_, &QFutureWatcher<QImage>::finished, this, [this] {
        const QImage image = previewWatcher_.result();
        preview_->setPixmap(image.isNull() ? QPixmap() : QPixmap::fromImage(image));
    });
    ShowPreview();
    UpdateControls();
}

SkinButton* ConvertSaveDialog::AddButton(const char* name, const skin::ButtonBitmaps& bitmaps,
                                         QPoint at, void (ConvertSaveDialog::*slot)()) {
    auto* b = new SkinButton(this);
    b->setObjectName(QLatin1String(name));
    b->Setup(bitmaps);
    b->move(at);
    connect(b, &QAbstractButton::clicked, this, slot);
    return b;
}

void ConvertSaveDialog::BuildPreview() {
    const QColor panel(skin::kPanelBackground);
    auto* frame = new QLabel(this);
    frame->setGeometry(kPreviewFrame);
    frame->setAutoFillBackground(true);
    QPalette grey = frame->palette();
    grey.setColor(QPalette::Window, QColor(67, 67, 67));
    frame->setPalette(grey);
    previewArea_ =
        kPreviewFrame.adjusted(kPreviewInset, kPreviewInset, -kPreviewInset, -kPreviewInset);
    preview_ = new QLabel(this);
    preview_->setObjectName(QStringLiteral("preview"));
    preview_->setGeometry(previewArea_);

    for (const auto& [rect, id] : {std::pair{kPositionPanel, 271}, std::pair{kSavePanel, 272}}) {
        auto* picture = new SkinPicture(id, this);
        picture->move(rect.topLeft());
    }
    positionText_ = new ColorStatic(Qt::black, panel, this);
    positionText_->setObjectName(QStringLiteral("position"));
    positionText_->setGeometry(kPositionPanel.left() + 14, kPositionPanel.top() + 10, 200, 20);

    previous_ = AddButton("previous", skin::kPreviousButton,
                          kPositionPanel.topLeft() + QPoint(6, 38), &ConvertSaveDialog::Previous);
    next_ = AddButton("next", skin::kNextButton, kPositionPanel.topLeft() + QPoint(116, 38),
                      &ConvertSaveDialog::Next);
}

void ConvertSaveDialog::BuildSavePanel() {
    const QColor panel(skin::kPanelBackground);
    const auto comboLabel = [&](const char* key, int y) {
        auto* label = new ColorStatic(Qt::black, panel, this);
        label->setText(UiTexts::Text(key));
        label->setGeometry(kSavePanel.left() + 12, y, 60, 22);
        return label;
    };
    ColorStatic* sizeLabel = comboLabel("convert.size", kSavePanel.top() + 12);
    sizes_ = new QComboBox(this);
    sizeLabel->setBuddy(sizes_);
    sizes_->setObjectName(QStringLiteral("sizes"));
    for (const imaging::OutputSize& size : imaging::kSizeTable) {
        sizes_->addItem(QString::fromLatin1(size.label));
    }
    sizes_->setGeometry(kSavePanel.left() + 72, kSavePanel.top() + 10, 146, 24);
    // The wide sizes' labels are longer than the box; the open list shows them whole.
    sizes_->view()->setMinimumWidth(sizes_->view()->sizeHintForColumn(0) + 8);
    sizes_->setCurrentIndex(
        std::clamp(settings_.sizeIndex, 0, static_cast<int>(imaging::kSizeTable.size()) - 1));
    connect(sizes_, &QComboBox::currentIndexChanged, this,
            [this](int index) { settings_.sizeIndex = index; });
    ColorStatic* formatLabel = comboLabel("convert.format", kSavePanel.top() + 44);
    formats_ = new QComboBox(this);
    formatLabel->setBuddy(formats_);
    formats_->setObjectName(QStringLiteral("formats"));
    formats_->addItems({QStringLiteral("AUTO"), QStringLiteral("JPEG")});
    formats_->setGeometry(kSavePanel.left() + 72, kSavePanel.top() + 42, 146, 24);
    if (settings_.formatIndex <= imaging::kChooseJpeg) {
        formats_->setCurrentIndex(settings_.formatIndex);
    } else {
        formats_->setCurrentIndex(-1);  // PNG for every image: chosen elsewhere, kept as it is
    }
    connect(formats_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0) settings_.formatIndex = index;
    });
    ColorStatic* fillLabel = comboLabel("convert.fill", kSavePanel.top() + 76);
    fills_ = new FillChoice(settings_.fill, this);
    fillLabel->setBuddy(fills_);
    fills_->setGeometry(kSavePanel.left() + 72, kSavePanel.top() + 74, 146, 24);
    connect(fills_, &FillChoice::fillChosen, this,
            [this](const FrameFill& fill) { settings_.fill = fill; });
    save_ = AddButton("save", skin::kSaveButton, kSavePanel.topLeft() + QPoint(53, 116),
                      &ConvertSaveDialog::SaveCurrent);
    saveAll_ = AddButton("saveAll", skin::kSaveAllButton, kSavePanel.topLeft() + QPoint(53, 152),
                         &ConvertSaveDialog::SaveAll);
}

void ConvertSaveDialog::BuildProgress() {
    const QColor panel(skin::kPanelBackground);
    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("progress"));
    progress_->setGeometry(kSavePanel.left(), kSavePanel.bottom() + 14, kSavePanel.width(), 18);
    progress_->setTextVisible(false);
    progressText_ = new ColorStatic(Qt::black, panel, this);
    progressText_->setObjectName(QStringLiteral("progressText"));
    // Room for the result of a run and what became of an eject: down to the buttons.
    progressText_->setGeometry(kSavePanel.left(), kSavePanel.bottom() + 36, kSavePanel.width(),
                               kBottomRow - kSavePanel.bottom() - 40);
    progressText_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Where the files go, in one line: a long path loses its middle, the tooltip has it all.
    auto* destination = new ColorStatic(Qt::black, panel, this);
    destination->setObjectName(QStringLiteral("destination"));
    destination->setWordWrap(false);
    destination->setGeometry(kDestinationLine);
    destination->setText(destination->fontMetrics().elidedText(
        UiTexts::Text("convert.destination").arg(settings_.destination), Qt::ElideMiddle,
        kDestinationLine.width()));
    destination->setToolTip(settings_.destination);

    // Stop while a run goes on, Close otherwise (UpdateControls).
    stop_ =
        AddButton("stop", skin::kCloseButton, QPoint(650, kBottomRow), &ConvertSaveDialog::Stop);
    stop_->setText(UiTexts::Text("button.close"));
    // Offered once images are on a card.
    eject_ = AddButton("eject", skin::kEjectButton, QPoint(kSavePanel.left(), kBottomRow),
                       &ConvertSaveDialog::EjectCard);
    eject_->setText(UiTexts::Text("eject.button"));
    eject_->hide();
}

ConvertSaveDialog::~ConvertSaveDialog() {
    previewWatcher_.waitForFinished();
}

int ConvertSaveDialog::count() const {
    return list_.count();
}

QString ConvertSaveDialog::positionText() const {
    return QStringLiteral("%1 %2 / %3")
        .arg(Messages::Load(msg::SlidesLabel))
        .arg(position_)
        .arg(count());
}

QImage ConvertSaveDialog::RenderPreview(const QString& workPath, int quarterTurns, QSize area,
                                        qreal ratio) {
    try {
        CLead lead;
        lead.LoadImage(workPath, 0, 0, -1);
        lead.TurnImage(quarterTurns);
        const QSize pixels = (QSizeF(area) * ratio).toSize();
        lead.ResizeImage(float(pixels.width()), float(pixels.height()), imaging::kResizeQuality);
        QImage image = lead.ToQImage();
        image.setDevicePixelRatio(ratio);
        return image;
    } catch (const LeadError&) {
        return QImage();
    }
}

void ConvertSaveDialog::ShowPreview() {
    positionText_->setText(positionText());
    if (position_ < 1 || position_ > count()) return;
    const ImageEntry& entry = list_.at(position_ - 1);
    const QSize turned = TurnedSize(entry);
    const QRect fitted = FitPreview(previewArea_, turned.width(), turned.height());
    preview_->setGeometry(fitted);
    preview_->setPixmap(QPixmap());
    // Made for the screen the dialog is on; the label shows it at its logical size.
    previewWatcher_.setFuture(QtConcurrent::run(&ConvertSaveDialog::RenderPreview, entry.workPath,
                                                entry.quarterTurns, fitted.size(),
                                                preview_->devicePixelRatioF()));
}

void ConvertSaveDialog::UpdateControls() {
    if (stopShown_ != running_) {
        stopShown_ = running_;
        stop_->Setup(running_ ? skin::kStopButton : skin::kCloseButton);
        stop_->setText(UiTexts::Text(running_ ? "button.stop" : "button.close"));
    }
    previous_->setEnabled(!running_ && position_ != 1);
    next_->setEnabled(!running_ && position_ != count());
    // An ejected card is gone: nothing more can be written onto it.
    save_->setEnabled(!running_ && !ejected_);
    saveAll_->setEnabled(!running_ && !ejected_);
    eject_->setVisible(wroteOnCard_);
    eject_->setEnabled(!running_ && !ejected_);
    sizes_->setEnabled(!running_);
    formats_->setEnabled(!running_);
    fills_->setEnabled(!running_);
}

void ConvertSaveDialog::Previous() {
    if (position_ <= 1) return;
    --position_;
    ShowPreview();
    UpdateControls();
}

void ConvertSaveDialog::Next() {
    if (position_ >= count()) return;
    ++position_;
    ShowPreview();
    UpdateControls();
}

std::unique_ptr<ConvertRun> ConvertSaveDialog::MakeRun(Prompter& prompter) {
    auto run =
        std::make_unique<ConvertRun>(list_, settings_, prompter, unsavedChanges_, lastDestination_);
    // Waiting for an encoding keeps the window alive: repaints, Stop, the close button.
    run->SetWaiter([](QFuture<EncodedImage> future) { WaitWithEvents(future); });
    run->SetBusyWait([this] { return WaitForFolder(); });
    return run;
}

bool ConvertSaveDialog::WaitForFolder() {
    progressText_->setText(UiTexts::Text("convert.waiting_for_folder"));
    QEventLoop pause;
    QTimer::singleShot(kFolderRetryMs, &pause, &QEventLoop::quit);
    pause.exec();
    return !cancel_;
}

void ConvertSaveDialog::SaveCurrent() {
    if (running_ || count() == 0) return;
    running_ = true;
    cancel_ = false;
    UpdateControls();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const QString shown = progressText_->text();
    const bool saved = MakeRun(prompter_)->Save(position_);
    progressText_->setText(shown);  // in case it waited for the folder
    QApplication::restoreOverrideCursor();
    running_ = false;
    wroteOnCard_ = wroteOnCard_ || (saved && settings_.cardFlag);
    if (saved) Next();
    UpdateControls();
    if (cardCheckPending_) ShowCardCheck();
}

void ConvertSaveDialog::SaveAll() {
    if (running_ || count() == 0) return;
    position_ = 1;
    ShowPreview();
    running_ = true;
    cancel_ = false;
    UpdateControls();
    progress_->setRange(0, count());
    progress_->setValue(0);
    progressText_->setText(UiTexts::Text("convert.done").arg(0).arg(count()));
    QApplication::setOverrideCursor(Qt::WaitCursor);
    bool cancelAnswered = false;
    NotingPrompter noting(prompter_, cancelAnswered);
    const std::unique_ptr<ConvertRun> run = MakeRun(noting);
    const bool reachedEnd = run->SaveAll(cancel_, [this](int done, int total, const ImageOutcome&) {
        progress_->setValue(done);
        progressText_->setText(UiTexts::Text("convert.done").arg(done).arg(total));
        if (done < total) Next();
        // Between images the window's waiting input is handled, so that a Stop pressed
        // while this image was written stops the run before the next one.
        QApplication::processEvents();
    });
    QApplication::restoreOverrideCursor();
    running_ = false;
    const QList<ImageOutcome>& outcomes = run->outcomes();
    wroteOnCard_ =
        wroteOnCard_ ||
        (settings_.cardFlag && std::any_of(outcomes.begin(), outcomes.end(), [](const auto& o) {
             return o.result == Outcome::Written;
         }));
    ShowResult(outcomes, reachedEnd, cancelAnswered);
    UpdateControls();
    if (cardCheckPending_) ShowCardCheck();
}

void ConvertSaveDialog::CheckCardOnce(CheckedCards& cards) {
    const QString drive = DriveOfCardFolder(settings_.destination);
    if (!settings_.cardFlag || drive.isEmpty() || !cards.FirstTime(drive)) return;
    cardCheck_.setFuture(QtConcurrent::run(&CheckCard, drive, settings_.destination));
}

void ConvertSaveDialog::ShowCardCheck() {
    // Never in the middle of a run: the run goes on, the question waits for its end.
    if (running_) {
        cardCheckPending_ = true;
        return;
    }
    cardCheckPending_ = false;
    if (cardCheckShown_ || !cardCheck_.isFinished() || cardCheck_.future().resultCount() == 0) {
        return;
    }
    cardCheckShown_ = true;
    const CardCheck check = cardCheck_.result();
    if (check.foreignFileSystem) prompter_.Plain(FileSystemWarning(check));
    QStringList lines = FoundLines(check);
    if (lines.isEmpty()) return;
    if (lines.size() > kFoundLinesShown) {
        const qsizetype more = lines.size() - kFoundLinesShown;
        lines = lines.mid(0, kFoundLinesShown);
        lines << QStringLiteral("  ") + UiTexts::Text("check.more").arg(more);
    }
    lines << QString() << UiTexts::Text("check.remove");
    if (!prompter_.ConfirmPlain(lines.join(QLatin1Char('\n')))) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const QStringList failed = RunWithEvents([check] { return RemoveFound(check); });
    QApplication::restoreOverrideCursor();
    if (!failed.isEmpty()) {
        prompter_.Plain(UiTexts::Text("check.not_removed") + QLatin1Char('\n') +
                        failed.join(QLatin1Char('\n')));
    }
}

void ConvertSaveDialog::EjectCard() {
    const QString drive = DriveOfCardFolder(settings_.destination);
    if (running_ || ejected_ || drive.isEmpty()) return;
    running_ = true;
    UpdateControls();
    const QString shown = progressText_->text();
    progressText_->setText(shown + QLatin1Char('\n') + UiTexts::Text("eject.working"));
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const Ejection ejection = RunWithEvents([drive] { return ::EjectCard(drive); });
    QApplication::restoreOverrideCursor();
    running_ = false;
    ejected_ = ejection.outcome == EjectOutcome::Removable;
    progressText_->setText(shown + QLatin1Char('\n') + EjectionText(ejection));
    UpdateControls();
}

void ConvertSaveDialog::ShowResult(const QList<ImageOutcome>& outcomes, bool reachedEnd,
                                   bool cancelAnswered) {
    int written = 0;
    int skipped = 0;
    int failed = 0;
    for (const ImageOutcome& outcome : outcomes) {
        switch (outcome.result) {
            case Outcome::Written:
                ++written;
                break;
            case Outcome::Skipped:
                ++skipped;
                break;
            case Outcome::Failed:
                ++failed;
                break;
        }
    }
    // Cancel in the number question ends the run as a failure does, but nothing failed.
    if (!reachedEnd && failed > 0 && cancelAnswered) --failed;
    QStringList lines{UiTexts::Text(reachedEnd ? "convert.finished" : "convert.stopped"),
                      UiTexts::Text("convert.written").arg(written).arg(count())};
    if (skipped > 0) lines << UiTexts::Text("convert.skipped").arg(skipped);
    if (failed > 0) lines << UiTexts::Text("convert.failed").arg(failed);
    progressText_->setText(lines.join(QLatin1Char('\n')));
}

QString ConvertSaveDialog::progressText() const {
    return progressText_->text();
}

void ConvertSaveDialog::Stop() {
    if (!running_) {
        accept();
        return;
    }
    // The image being written is finished; the run stops before the next one.
    if (prompter_.Confirm(msg::ConfirmStop)) cancel_ = true;
}

void ConvertSaveDialog::done(int result) {
    // What the card check finds is told before the dialog goes, however soon that is.
    if (cardCheck_.isRunning()) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        WaitWithEvents(cardCheck_.future());
        QApplication::restoreOverrideCursor();
    }
    ShowCardCheck();
    SkinnedDialog::done(result);
}

void ConvertSaveDialog::reject() {
    if (running_) {
        Stop();
        return;
    }
    SkinnedDialog::reject();
}
