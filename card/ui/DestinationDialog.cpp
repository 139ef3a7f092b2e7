#include "card/ui/DestinationDialog.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QRegularExpressionValidator>
#include <QToolButton>

#include "card/DcfNumbering.h"
#include "card/DriveWatcher.h"
#include "skin/MessageTexts.h"
#include "skin/Prompter.h"
#include "skin/UiTexts.h"
#include "skin/ui/ColorStatic.h"
#include "skin/ui/SkinButton.h"
#include "skin/ui/SkinConstants.h"

namespace {

constexpr int kDetailsRole = Qt::UserRole + 1;

// Reading a card's DCIM folder can take a moment on a slow reader.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// A card's size, free space and file system, as far as they are known.
QString DriveDetails(const Drive& drive) {
    const QLocale locale(Messages::CurrentLanguage() == Messages::Language::Japanese
                             ? QLocale::Japanese
                             : QLocale::English);
    const auto size = [&locale](qint64 bytes) {
        return bytes < 0 ? QStringLiteral("?")
                         : locale.formattedDataSize(bytes, 1, QLocale::DataSizeSIFormat);
    };
    return UiTexts::Text("destination.drive_details")
        .arg(size(drive.size), size(drive.available),
             drive.fileSystem.isEmpty() ? QStringLiteral("?") : drive.fileSystem);
}

// A card as the list shows it: where it is mounted, its name, then its details.
QString DriveItemText(const Drive& drive) {
    QString text = drive.root;
    if (!drive.label.isEmpty()) text += QLatin1String("  ") + drive.label;
    return text + QLatin1String("  (") + DriveDetails(drive) + QLatin1Char(')');
}

// The rows below the card's line (its details) are laid out this much lower.
constexpr int kBelowCard = 26;

}  // namespace

DestinationDialog::DestinationDialog(DriveLister lister, const QString& driveText,
                                     Prompter& prompter, QWidget* parent)
    : SkinnedDialog(parent),
      lister_(std::move(lister)),
      prompter_(prompter),
      givenDrive_(driveText) {
    WaitCursor wait;
    setObjectName(QStringLiteral("destinationDialog"));
    SetTitlePictures(skin::kDestinationTitle);
    setWindowTitle(UiTexts::Text("destination.title"));
    AddCloseButton();
    setAutoFillBackground(true);
    const QColor white(skin::kBoxBackground);
    const auto label = [this](const QString& text, const QRect& where) {
        return AddLabel(text, where);
    };

    ColorStatic* driveLabel = label(UiTexts::Text("destination.drive"), QRect(20, 44, 60, 22));
    drive_ = new QComboBox(this);
    driveLabel->setBuddy(drive_);
    drive_->setObjectName(QStringLiteral("drive"));
    drive_->setGeometry(84, 42, width() - 104, 26);
    drive_->setPlaceholderText(UiTexts::Text("destination.no_card"));
    // The selected card's size, free space and file system, which a long root may push out of
    // the closed box.
    details_ = new ColorStatic(QColor(skin::kDetailsText), white, this);
    details_->setObjectName(QStringLiteral("details"));
    details_->setGeometry(88, 70, width() - 108, 20);

    BuildNumberRow();

    ColorStatic* hint =
        label(UiTexts::Text("destination.hint"), QRect(20, 146 + kBelowCard, width() - 40, 40));
    hint->setWordWrap(true);
    BuildButtons();

    UpdateDrives();
    // Connected after the first selection: the proposal above is made once.
    connect(drive_, &QComboBox::currentIndexChanged, this, [this] {
        WaitCursor wait;
        ShowDetails();
        ProposeFreeNumber();
    });
    // Cards inserted or pulled while the dialog is open.
    auto* watcher = new DriveWatcher(this);
    connect(watcher, &DriveWatcher::drivesChanged, this, &DestinationDialog::UpdateDrives);
    number_->setFocus();
}

ColorStatic* DestinationDialog::AddLabel(const QString& text, const QRect& where) {
    auto* item = new ColorStatic(Qt::black, QColor(skin::kBoxBackground), this);
    item->setText(text);
    item->setGeometry(where);
    return item;
}

void DestinationDialog::BuildNumberRow() {
    const auto label = [this](const QString& text, const QRect& where) {
        return AddLabel(text, where);
    };
    constexpr int y = kBelowCard;
    ColorStatic* numberLabel =
        label(UiTexts::Text("destination.number"), QRect(20, 80 + y, width() - 40, 22));
    label(QLatin1Char('/') + QLatin1String(dcf::kDcimFolder) + QLatin1Char('/'),
          QRect(40, 110 + y, 52, 22))
        ->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    number_ = new QLineEdit(this);
    number_->setObjectName(QStringLiteral("number"));
    number_->setAlignment(Qt::AlignCenter);
    number_->setMaxLength(3);
    number_->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), number_));
    number_->setGeometry(96, 108 + y, 48, 26);
    number_->installEventFilter(this);
    numberLabel->setBuddy(number_);
    const auto arrow = [this](const char* name, Qt::ArrowType type, int top, int delta) {
        auto* button = new QToolButton(this);
        button->setObjectName(QLatin1String(name));
        button->setAccessibleName(UiTexts::Text(delta > 0 ? "destination.up" : "destination.down"));
        button->setArrowType(type);
        button->setAutoRepeat(true);
        button->setGeometry(146, top, 18, 13);
        connect(button, &QToolButton::clicked, this, [this, delta] { Step(delta); });
    };
    arrow("up", Qt::UpArrow, 108 + y, 1);
    arrow("down", Qt::DownArrow, 121 + y, -1);
    label(QLatin1String(dcf::kFolderSuffix), QRect(170, 110 + y, 80, 22))
        ->setObjectName(QStringLiteral("suffix"));
}

void DestinationDialog::BuildButtons() {
    constexpr int y = kBelowCard;
    ok_ = new SkinButton(this);
    SkinButton* ok = ok_;
    ok->setObjectName(QStringLiteral("ok"));
    ok->Setup(skin::kOkButton);
    ok->move(width() / 2 - ok->width() - 8, 200 + y);
    connect(ok, &QAbstractButton::clicked, this, &DestinationDialog::Accept);
    auto* cancel = new SkinButton(this);
    cancel->setObjectName(QStringLiteral("cancel"));
    cancel->Setup(skin::kCancelButton);
    cancel->move(width() / 2 + 8, 200 + y);
    connect(cancel, &QAbstractButton::clicked, this, &QDialog::reject);
    resize(width(), ok->geometry().bottom() + 18);
    // Enter in the number field (or anywhere but on Cancel) accepts, as OK does.
    SetDefaultButton(ok);
    SetEscapeCloses(true);
}

QString DestinationDialog::driveText() const {
    return drive_->currentIndex() < 0 ? givenDrive_ : drive_->currentData().toString();
}

void DestinationDialog::UpdateDrives() {
    const QString before = drive_->currentIndex() < 0 ? QString() : driveText();
    const QString wanted = before.isEmpty() ? givenDrive_ : before;
    const QList<Drive> drives = lister_();
    {
        const QSignalBlocker quiet(drive_);
        drive_->clear();
        int selected = 0;
        for (const Drive& drive : drives) {
            if (drive.root == wanted) selected = drive_->count();
            drive_->addItem(DriveItemText(drive), drive.root);
            drive_->setItemData(drive_->count() - 1, DriveDetails(drive), kDetailsRole);
        }
        drive_->setCurrentIndex(drives.isEmpty() ? -1 : selected);
    }
    ShowDetails();
    // The open list shows the items whole; the closed box cuts them at its edge.
    drive_->view()->setMinimumWidth(drive_->view()->sizeHintForColumn(0) + 8);
    ok_->setEnabled(!drives.isEmpty());
    if (drive_->currentIndex() < 0 || driveText() != before) ProposeFreeNumber();
}

bool DestinationDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == number_) {
        if (event->type() == QEvent::FocusOut) {
            // Another window coming up (our own message box among them) is no leaving.
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
                ApplyNumberField();
            }
        } else if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Up || key == Qt::Key_Down) {
                Step(key == Qt::Key_Up ? 1 : -1);
                return true;
            }
        }
    }
    return SkinnedDialog::eventFilter(watched, event);
}

void DestinationDialog::ShowDetails() {
    details_->setText(drive_->currentData(kDetailsRole).toString());
    drive_->setToolTip(drive_->currentText());
}

void DestinationDialog::ProposeFreeNumber() {
    const int number =
        drive_->currentIndex() < 0 ? dcf::kFirstFolderNumber : FirstFreeFolderNumber(driveText());
    number_->setText(FolderNumberText(number));
}

void DestinationDialog::ApplyNumberField() {
    if (applying_) return;
    applying_ = true;
    number_->setText(FolderNumberText(ReadFolderNumberField(number_->text(), prompter_)));
    applying_ = false;
}

void DestinationDialog::Step(int delta) {
    number_->setText(FolderNumberText(StepFolderNumber(number_->text().toInt(), delta)));
}

void DestinationDialog::Accept() {
    if (drive_->currentIndex() < 0) return;  // no card: OK is off, and Enter does nothing
    // The field is put right first, so that the checks below read a valid number and the range
    // message shows at most once.
    ApplyNumberField();
    const std::optional<QString> folder = AcceptCardFolder(driveText(), number_->text(), prompter_);
    if (!folder) return;
    chosenFolder_ = *folder;
    accept();
}
