#include "slides/ui/ImportProgressDialog.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>

#include "skin/MessageTexts.h"
#include "skin/UiTexts.h"
#include "skin/ui/SkinButton.h"
#include "skin/ui/SkinConstants.h"

ImportProgressDialog::ImportProgressDialog(int titleId, QWidget* owner)
    : ImportProgressDialog(Messages::Load(titleId), owner) {}

ImportProgressDialog::ImportProgressDialog(const QString& title, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("importProgress"));
    setWindowTitle(title);
    setWindowModality(Qt::ApplicationModal);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor(skin::kBoxBackground));
    setPalette(colours);
    setFixedSize(380, 128);

    item_ = new QLabel(this);
    item_->setObjectName(QStringLiteral("item"));
    item_->setGeometry(20, 12, 340, 20);
    bar_ = new QProgressBar(this);
    bar_->setObjectName(QStringLiteral("bar"));
    bar_->setGeometry(20, 38, 340, 22);
    bar_->setTextVisible(false);
    QPalette white = bar_->palette();
    white.setColor(QPalette::Base, Qt::white);
    bar_->setPalette(white);

    cancel_ = new SkinButton(this);
    cancel_->setObjectName(QStringLiteral("cancel"));
    cancel_->Setup(skin::kCancelButton);
    cancel_->move((width() - cancel_->width()) / 2, 80);
    connect(cancel_, &QAbstractButton::clicked, this, [this] { cancelRequested_ = true; });
}

void ImportProgressDialog::Pump() {
    QApplication::processEvents(QEventLoop::AllEvents);
}

void ImportProgressDialog::Start(int count) {
    bar_->setRange(0, count);
    bar_->setValue(0);
    Pump();
}

void ImportProgressDialog::StepIt() {
    Pump();
    // Past the end the bar starts again, as a stepped bar does.
    int next = bar_->value() + 1;
    if (next > bar_->maximum()) next = bar_->minimum() + (next - bar_->maximum());
    bar_->setValue(next);
}

void ImportProgressDialog::ShowItem(int item, int count, const QString& name) {
    const QString text = count > 0 ? UiTexts::Text("import.progress").arg(item).arg(count).arg(name)
                                   : UiTexts::Text("import.progress.uncounted").arg(name);
    item_->setText(item_->fontMetrics().elidedText(text, Qt::ElideMiddle, item_->width()));
    item_->setAccessibleName(text);
    Pump();
}

bool ImportProgressDialog::CancelRequested() {
    Pump();
    const bool requested = cancelRequested_;
    cancelRequested_ = false;
    return requested;
}

int ImportProgressDialog::position() const {
    return bar_->value();
}

int ImportProgressDialog::maximum() const {
    return bar_->maximum();
}

void ImportProgressDialog::reject() {
    // Escape and the frame's close button ask to stop, as Cancel does.
    cancelRequested_ = true;
}

void ImportProgressDialog::keyPressEvent(QKeyEvent* event) {
    if (EnterPressesButton(this, event, nullptr)) return;
    QDialog::keyPressEvent(event);
}
