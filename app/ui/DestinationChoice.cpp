#include "app/ui/DestinationChoice.h"

#include <QApplication>
#include <QFileDialog>

#include "card/ui/DestinationDialog.h"
#include "core/AppSettings.h"
#include "skin/MessageIds.h"
#include "skin/MessageTexts.h"
#include "skin/Prompter.h"
#include "skin/UiTexts.h"
#include "skin/ui/Accessibility.h"
#include "skin/ui/BitmapRadio.h"
#include "skin/ui/ColorStatic.h"
#include "skin/ui/SkinButton.h"
#include "skin/ui/SkinConstants.h"

namespace {

// Where the controls sit, in pixels of the main window.
constexpr QRect kCardRadio{22, 244, 206, 22};
constexpr QRect kOtherRadio{22, 270, 206, 22};
constexpr QRect kText{22, 298, 180, 42};
constexpr QPoint kFolder{207, 298};

}  // namespace

DestinationChoice::DestinationChoice(QWidget* window, AppSettings& settings, Prompter& prompter)
    : QObject(window), window_(window), settings_(settings), prompter_(prompter) {
    const QColor panel(skin::kPanelBackground);
    // The two radios are one choice, and a screen reader hears them as one group.
    auto* radios =
        new AccessibleGroup(QAccessible::Grouping, UiTexts::Text("main.group.destination"), window);
    radios->setObjectName(QStringLiteral("destinationChoice"));
    radios->setGeometry(kCardRadio.united(kOtherRadio));
    const auto radio = [&](const char* name, const char* key, QRect rect) {
        auto* r = new BitmapRadio(skin::kMainWindowRadio, panel, radios);
        r->setObjectName(QLatin1String(name));
        r->setText(UiTexts::Text(key));
        r->setGeometry(rect.translated(-radios->pos()));
        group_.Add(r);
        return r;
    };
    cardRadio_ = radio("cardRadio", "main.radio.card", kCardRadio);
    otherRadio_ = radio("otherRadio", "main.radio.other", kOtherRadio);

    folder_ = new SkinButton(window);
    folder_->setObjectName(QStringLiteral("folder"));
    folder_->Setup(skin::kFolderButton);
    folder_->move(kFolder);
    folder_->setFocusPolicy(Qt::StrongFocus);
    folder_->setText(UiTexts::Text("main.button.folder"));

    text_ = new ColorStatic(Qt::black, panel, window);
    text_->setObjectName(QStringLiteral("destination"));
    text_->setGeometry(kText);
    text_->setWordWrap(true);
    Show();
}

void DestinationChoice::SetCard(bool card) {
    settings_.cardFlag = card;
    Show();
}

void DestinationChoice::Choose() {
    if (cardRadio_->isChecked()) {
        const DestinationDialog::DriveLister lister =
            driveLister_ ? driveLister_ : DestinationDialog::DriveLister(ListDrives);
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const QList<Drive> drives = lister();
        QApplication::restoreOverrideCursor();
        // A program run from a card proposes that card, as it proposed its own drive.
        const QString own = ProposedCardDrive(drives, QCoreApplication::applicationFilePath());
        if (!own.isEmpty()) settings_.cardDrive = own;
        DestinationDialog dialog(lister, settings_.cardDrive, prompter_, window_);
        if (dialog.exec() == QDialog::Accepted) {
            settings_.cardFolder = dialog.chosenFolder();
            settings_.cardDrive = dialog.driveText();
            Show();
        }
    } else {
        const QString folder = QFileDialog::getExistingDirectory(
            window_, Messages::Load(msg::SelectDestinationFolder), settings_.otherFolder,
            QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
        if (!folder.isEmpty()) {
            settings_.otherFolder = folder;
            Show();
        }
    }
}

bool DestinationChoice::Ensure() {
    // Without a destination nothing could be written: the user chooses one first, and without
    // one the convert dialog does not open.
    if (settings_.cardFlag) {
        if (settings_.cardFolder.isEmpty()) Choose();
        return !settings_.cardFolder.isEmpty();
    }
    if (settings_.otherFolder.isEmpty()) {
        prompter_.Plain(UiTexts::Text("convert.no_folder"));
        Choose();
    }
    return !settings_.otherFolder.isEmpty();
}

void DestinationChoice::Show() {
    (settings_.cardFlag ? cardRadio_ : otherRadio_)->SetState(BitmapRadio::Checked);
    if (settings_.cardFlag) {
        text_->setText(settings_.cardFolder.isEmpty() ? Messages::Load(msg::SelectDestinationDrive)
                                                      : settings_.cardFolder);
    } else {
        text_->setText(settings_.otherFolder.isEmpty() ? UiTexts::Text("main.no_folder")
                                                       : settings_.otherFolder);
    }
}
