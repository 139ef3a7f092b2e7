#include "card/ui/DestinationDialog.h"

#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QToolButton>

#include "card/DcfNumbering.h"
#include "skin/Prompter.h"
#include "skin/UiTexts.h"
#include "skin/ui/ColorStatic.h"
#include "skin/ui/SkinButton.h"
#include "skin/ui/SkinConstants.h"

namespace {

// Reading a card's DCIM folder can take a moment on a slow reader.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace

DestinationDialog::DestinationDialog(const QList<Drive>& drives, const QString& driveText,
                                     Prompter& prompter, QWidget* parent)
    : SkinnedDialog(parent), prompter_(prompter), givenDrive_(driveText) {
    WaitCursor wait;
    setObjectName(QStringLiteral("destinationDialog"));
    SetTitlePictures(skin::kDestinationTitle);
    setWindowTitle(UiTexts::Text("destination.title"));
    AddCloseButton();
    setAutoFillBackground(true);
    const QColor white(skin::kBoxBackground);
    const auto label = [this, white](const QString& text, const QRect& where) {
        auto* item = new ColorStatic(Qt::black, white, this);
        item->setText(text);
        item->setGeometry(where);
        return item;
    };

    label(UiTexts::Text("destination.drive"), QRect(20, 44, 60, 22));
    drive_ = new QComboBox(this);
    drive_->setObjectName(QStringLiteral("drive"));
    drive_->setGeometry(84, 42, width() - 104, 26);
    int selected = 0;
    for (const Drive& drive : drives) {
        if (drive.root == driveText) selected = drive_->count();
        const QString text =
            drive.label.isEmpty() ? drive.root : drive.root + QLatin1String("  ") + drive.label;
        drive_->addItem(text, drive.root);
    }
    drive_->setCurrentIndex(selected);

    label(UiTexts::Text("destination.number"), QRect(20, 80, width() - 40, 22));
    label(QLatin1Char('/') + QLatin1String(dcf::kDcimFolder) + QLatin1Char('/'),
          QRect(40, 110, 52, 22))
        ->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    number_ = new QLineEdit(this);
    number_->setObjectName(QStringLiteral("number"));
    number_->setAlignment(Qt::AlignCenter);
    number_->setMaxLength(3);
    number_->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), number_));
    number_->setGeometry(96, 108, 48, 26);
    number_->installEventFilter(this);
    const auto arrow = [this](const char* name, Qt::ArrowType type, int y, int delta) {
        auto* button = new QToolButton(this);
        button->setObjectName(QLatin1String(name));
        button->setArrowType(type);
        button->setAutoRepeat(true);
        button->setGeometry(146, y, 18, 13);
        connect(button, &QToolButton::clicked, this, [this, delta] { Step(delta); });
    };
    arrow("up", Qt::UpArrow, 108, 1);
    arrow("down", Qt::DownArrow, 121, -1);
    label(QLatin1String(dcf::kFolderSuffix), QRect(170, 110, 80, 22))
        ->setObjectName(QStringLiteral("suffix"));

    ColorStatic* hint = label(UiTexts::Text("destination.hint"), QRect(20, 146, width() - 40, 40));
    hint->setWordWrap(true);

    auto* ok = new SkinButton(this);
    ok->setObjectName(QStringLiteral("ok"));
    ok->Setup(skin::kOkButton);
    ok->move(width() / 2 - ok->width() - 8, 200);
    connect(ok, &QAbstractButton::clicked, this, &DestinationDialog::Accept);
    auto* cancel = new SkinButton(this);
    cancel->setObjectName(QStringLiteral("cancel"));
    cancel->Setup(skin::kCancelButton);
    cancel->move(width() / 2 + 8, 200);
    connect(cancel, &QAbstractButton::clicked, this, &QDialog::reject);
    resize(width(), ok->geometry().bottom() + 18);
    // Enter in the number field (or anywhere but on Cancel) accepts, as OK does.
    SetDefaultButton(ok);
    SetEscapeCloses(true);

    // Connected after the first selection: the proposal below is made once.
    connect(drive_, &QComboBox::currentIndexChanged, this, [this] {
        WaitCursor wait;
        ProposeFreeNumber();
    });
    ProposeFreeNumber();
    number_->setFocus();
}

QString DestinationDialog::driveText() const {
    return drive_->count() == 0 ? givenDrive_ : drive_->currentData().toString();
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

void DestinationDialog::ProposeFreeNumber() {
    number_->setText(dcf::FolderNumberText(dcf::FirstFreeFolderNumber(driveText())));
}

void DestinationDialog::ApplyNumberField() {
    if (applying_) return;
    applying_ = true;
    number_->setText(dcf::FolderNumberText(dcf::ReadFolderNumberField(number_->text(), prompter_)));
    applying_ = false;
}

void DestinationDialog::Step(int delta) {
    number_->setText(dcf::FolderNumberText(dcf::StepFolderNumber(number_->text().toInt(), delta)));
}

void DestinationDialog::Accept() {
    // The field is put right first, so that the checks below read a valid number and the range
    // message shows at most once.
    ApplyNumberField();
    const std::optional<QString> folder = AcceptCardFolder(driveText(), number_->text(), prompter_);
    if (!folder) return;
    chosenFolder_ = *folder;
    accept();
}
