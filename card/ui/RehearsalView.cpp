#include "card/ui/RehearsalView.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QtConcurrent/QtConcurrentRun>

#include "skin/UiTexts.h"

namespace {

// How long the caption stays after a step or a move of the mouse.
constexpr int kCaptionMs = 2500;
constexpr int kCaptionMargin = 16;
constexpr int kCaptionPadding = 6;

}  // namespace

RehearsalView::RehearsalView(QList<RehearsalItem> items, QWidget* parent)
    : QWidget(parent, Qt::Window), items_(std::move(items)) {
    setObjectName(QStringLiteral("rehearsal"));
    setWindowTitle(UiTexts::Text("rehearse.title"));
    setAccessibleName(UiTexts::Text("rehearse.title"));
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, Qt::black);
    colours.setColor(QPalette::WindowText, Qt::white);
    setPalette(colours);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    pool_.setMaxThreadCount(1);
    captionTimer_.setSingleShot(true);
    captionTimer_.setInterval(kCaptionMs);
    connect(&captionTimer_, &QTimer::timeout, this, [this] {
        captionShown_ = false;
        update();
    });
    ShowCaption();
    Announce();
    MakeNext();
}

RehearsalView::~RehearsalView() {
    pool_.waitForDone();
}

QImage RehearsalView::shownImage() const {
    const auto found = made_.constFind(current_);
    return found == made_.constEnd() ? QImage() : found->image;
}

QString RehearsalView::shownText() const {
    if (items_.isEmpty()) return QString();
    const auto found = made_.constFind(current_);
    if (found == made_.constEnd()) return UiTexts::Text("rehearse.preparing");
    if (!found->image.isNull()) return QString();
    return items_[current_].name + QLatin1Char('\n') + found->reason;
}

QString RehearsalView::caption() const {
    if (items_.isEmpty()) return QString();
    return UiTexts::Text("rehearse.caption")
        .arg(current_ + 1)
        .arg(count())
        .arg(items_[current_].name);
}

void RehearsalView::Step(RehearsalStep step) {
    const int next = SteppedIndex(current_, count(), step);
    ShowCaption();
    if (next == current_) return;
    current_ = next;
    Announce();
    MakeNext();
    update();
}

void RehearsalView::MakeNext() {
    const QList<int> window = RehearsalWindow(current_, count());
    made_.removeIf([&window](const auto& made) { return !window.contains(made.key()); });
    if (making_ >= 0) return;
    for (const int index : window) {
        if (made_.contains(index)) continue;
        making_ = index;
        QtConcurrent::run(&pool_, &MakeRehearsalPicture, items_[index])
            .then(this,
                  [this, index](const RehearsalPicture& picture) {
                      making_ = -1;
                      if (RehearsalWindow(current_, count()).contains(index)) {
                          made_.insert(index, picture);
                      }
                      if (index == current_) update();
                      Q_EMIT pictureMade(index);
                      MakeNext();
                  })
            .onFailed(this, [this] { making_ = -1; });
        return;
    }
}

void RehearsalView::ShowCaption() {
    captionShown_ = true;
    captionTimer_.start();
    update();
}

void RehearsalView::Announce() {
    if (items_.isEmpty()) return;
    // A screen reader hears the place and the name of each picture the view steps to.
    setAccessibleDescription(
        UiTexts::Text("grid.item").arg(current_ + 1).arg(count()).arg(items_[current_].name));
    QAccessibleEvent event(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&event);
}

void RehearsalView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.fillRect(rect(), Qt::black);
    const QImage image = shownImage();
    if (!image.isNull()) {
        // Never stretched: the picture's own aspect, as large as the screen allows.
        QRect target(QPoint(), image.size().scaled(size(), Qt::KeepAspectRatio));
        target.moveCenter(rect().center());
        painter.drawImage(target, image);
    } else {
        painter.setPen(Qt::white);
        painter.drawText(rect(), Qt::AlignCenter | Qt::TextWordWrap, shownText());
    }
    if (!captionShown_ || items_.isEmpty()) return;
    const QString text = caption();
    QRect box = painter.fontMetrics().boundingRect(text).adjusted(
        -kCaptionPadding, -kCaptionPadding, kCaptionPadding, kCaptionPadding);
    box.moveBottomLeft(QPoint(kCaptionMargin, height() - kCaptionMargin));
    painter.fillRect(box, QColor(0, 0, 0, 160));
    painter.setPen(QColor(220, 220, 220));
    painter.drawText(box, Qt::AlignCenter, text);
}

void RehearsalView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    if (const std::optional<RehearsalStep> step = RehearsalStepOfKey(event->key())) {
        Step(*step);
        return;
    }
    QWidget::keyPressEvent(event);
}

void RehearsalView::mousePressEvent(QMouseEvent* event) {
    // As a presenter clicks through a show: the left button forward, the right one back.
    if (event->button() == Qt::LeftButton) {
        Step(RehearsalStep::Next);
    } else if (event->button() == Qt::RightButton) {
        Step(RehearsalStep::Previous);
    } else {
        QWidget::mousePressEvent(event);
    }
}

void RehearsalView::mouseDoubleClickEvent(QMouseEvent*) {
    close();
}

void RehearsalView::mouseMoveEvent(QMouseEvent* event) {
    ShowCaption();
    QWidget::mouseMoveEvent(event);
}
