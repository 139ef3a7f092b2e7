#include "app/ui/CCustomFileDialog.h"

#include <QDialogButtonBox>
#include <QPushButton>

#include "app/ImportDispatch.h"
#include "skin/MessageIds.h"
#include "skin/MessageTexts.h"
#include "skin/UiTexts.h"

QString CCustomFileDialog::QtFilter(const QString& filterText, const QString& extraPatterns) {
    // "JPEG image (*.jpg) | *.jpg ||": the description, then the patterns.
    const QStringList parts = filterText.split(QLatin1Char('|'));
    QString description = parts.value(0).trimmed();
    QString patterns = parts.value(1).trimmed();
    if (!extraPatterns.isEmpty()) patterns += QLatin1Char(' ') + extraPatterns;
    // The description usually names its patterns already; the dialog needs them in brackets.
    const qsizetype open = description.lastIndexOf(QLatin1Char('('));
    if (open > 0 && description.endsWith(QLatin1Char(')'))) {
        description = description.left(open).trimmed();
    }
    return QStringLiteral("%1 (%2)").arg(description, patterns);
}

CCustomFileDialog::CCustomFileDialog(const QString& folder, QWidget* parent) : QFileDialog(parent) {
    setObjectName(QStringLiteral("customFileDialog"));
    setWindowTitle(UiTexts::Text("button.import_file"));
    setOption(QFileDialog::DontUseNativeDialog);
    setOption(QFileDialog::ReadOnly);
    setFileMode(QFileDialog::ExistingFiles);
    setAcceptMode(QFileDialog::AcceptOpen);
    // "photo.JPG" is as much a JPEG file as "photo.jpg".
    setFilter(filter() & ~QDir::CaseSensitive);
    setNameFilters({QStringLiteral("%1 (%2)").arg(UiTexts::Text("filter.images"),
                                                  ImageTypePatterns().join(QLatin1Char(' '))),
                    QtFilter(Messages::Load(msg::ImageFilter))});
    if (!folder.isEmpty()) setDirectory(folder);
    // Below Cancel: the dialog's buttons stand one above the other.
    if (auto* buttons = findChild<QDialogButtonBox*>()) {
        loadAll_ = buttons->addButton(Messages::Load(msg::LoadAll), QDialogButtonBox::ActionRole);
        loadAll_->setObjectName(QStringLiteral("loadAll"));
        loadAll_->setAutoDefault(false);
        // From the keyboard too; the caption comes from the string table and has no mnemonic.
        loadAll_->setShortcut(QKeySequence(Qt::ALT | Qt::Key_L));
        loadAll_->setToolTip(QStringLiteral("Alt+L"));
        connect(loadAll_, &QPushButton::clicked, this, &CCustomFileDialog::LoadAll);
    }
}

void CCustomFileDialog::LoadAll() {
    const QString folder = directory().absolutePath();
    if (folder.isEmpty()) return;
    chosenFolder_ = folder;
    QDialog::done(QDialog::Accepted);
}
