#include "skin/ui/SkinnedDialog.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

#include "skin/MessageTexts.h"
#include "skin/UiTexts.h"
#include "skin/ui/SkinArt.h"
#include "skin/ui/SkinButton.h"
#include "skin/ui/WindowPlacement.h"

SkinnedDialog::SkinnedDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    setAutoFillBackground(true);
}

void SkinnedDialog::SetTitlePictures(int active, int inactive) {
    const auto known = [](int id) { return SkinArt::SizeOf(id).isValid() ? id : 0; };
    activeTitle_ = known(active);
    inactiveTitle_ = known(inactive);
    if (activeTitle_ != 0) resize(SkinArt::SizeOf(activeTitle_).width(), height());
    update();
}

void SkinnedDialog::SetTitlePictures(const skin::TitlePictures& pictures) {
    SetTitlePictures(pictures.active, pictures.inactive);
}

void SkinnedDialog::SetTitleFromString(int id) {
    const QString title = Messages::Load(id);
    if (!title.isEmpty()) setWindowTitle(title);
}

SkinButton* SkinnedDialog::AddCloseButton(int normal, int pressed, int hover, int disabled,
                                          int right, int top) {
    SkinButton* button =
        AddTitleButton(QStringLiteral("close"), normal, pressed, hover, disabled, right, top);
    button->setText(UiTexts::Text("button.close"));
    connect(button, &SkinButton::clicked, this, &SkinnedDialog::close);
    return button;
}

SkinButton* SkinnedDialog::AddMinimiseButton(int normal, int pressed, int hover, int disabled,
                                             int right, int top) {
    SkinButton* button =
        AddTitleButton(QStringLiteral("minimise"), normal, pressed, hover, disabled, right, top);
    button->setText(UiTexts::Text("title.minimise"));
    connect(button, &SkinButton::clicked, this, &SkinnedDialog::showMinimized);
    // A window that can be minimised needs a taskbar entry to come back from, which a plain
    // dialog does not get from every window manager.
    const bool wasVisible = isVisible();
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowMaximizeButtonHint | Qt::WindowSystemMenuHint);
    if (wasVisible) show();
    return button;
}

SkinButton* SkinnedDialog::AddCloseButton() {
    const skin::ButtonBitmaps& b = skin::kTitleCloseButton;
    return AddCloseButton(b.normal, b.pressed, b.hover, b.disabled, skin::kTitleCloseRight,
                          skin::kTitleButtonTop);
}

SkinButton* SkinnedDialog::AddMinimiseButton() {
    const skin::ButtonBitmaps& b = skin::kTitleMinimiseButton;
    return AddMinimiseButton(b.normal, b.pressed, b.hover, b.disabled, skin::kTitleMinimiseRight,
                             skin::kTitleButtonTop);
}

SkinButton* SkinnedDialog::AddTitleButton(const QString& name, int normal, int pressed, int hover,
                                          int disabled, int right, int top) {
    auto* button = new SkinButton(name, this);
    button->setObjectName(name);
    // The band's buttons are for the mouse; Tab moves between the dialog's own controls.
    button->setFocusPolicy(Qt::NoFocus);
    if (!button->Setup(normal, pressed, hover, disabled)) button->resize(20, 21);
    titleButtons_.append({button, right, top});
    PlaceTitleButtons();
    button->setEnabled(IsShownActive());
    button->show();
    return button;
}

void SkinnedDialog::PlaceTitleButtons() {
    for (const TitleButton& entry : titleButtons_) {
        entry.button->move(width() - entry.right, entry.top);
    }
}

QRect SkinnedDialog::TitleBand() const {
    const int border = skin::kFrameWidth;
    const int height = activeTitle_ == 0 ? 0 : SkinArt::SizeOf(activeTitle_).height();
    return QRect(border, border, width() - 2 * border, height);
}

void SkinnedDialog::setVisible(bool visible) {
    if (visible && !isVisible()) PlaceBeforeShow(this);
    QDialog::setVisible(visible);
}

bool SkinnedDialog::IsShownActive() const {
    return isActiveWindow();
}

void SkinnedDialog::UpdateActivation() {
    const bool active = IsShownActive();
    for (const TitleButton& entry : titleButtons_) entry.button->setEnabled(active);
    update(TitleBand());
}

void SkinnedDialog::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    QPainter painter(this);
    const int title = IsShownActive() || inactiveTitle_ == 0 ? activeTitle_ : inactiveTitle_;
    if (title != 0) {
        const QPixmap picture = SkinArt::Bitmap(title, devicePixelRatioF());
        painter.drawPixmap(skin::kFrameWidth, skin::kFrameWidth, picture);
        // A window wider than its title picture (a resized main window) carries the band on:
        // the picture's last column, stretched to the right edge.
        const QRect band = TitleBand();
        const int drawn = picture.deviceIndependentSize().toSize().width();
        if (band.width() > drawn) {
            const qreal ratio = picture.devicePixelRatio();
            painter.drawPixmap(
                QRectF(band.left() + drawn, band.top(), band.width() - drawn, band.height()),
                picture, QRectF(picture.width() - ratio, 0, ratio, picture.height()));
        }
    }

    // The border: a dark outer line that sets the window off from whatever lies behind it and
    // a light inner line like the edges of the title band.
    const QRect outer = rect().adjusted(0, 0, -1, -1);
    painter.setPen(QColor(skin::kDarkEdge));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(outer);
    painter.setPen(QColor(skin::kLightEdge));
    painter.drawRect(outer.adjusted(1, 1, -1, -1));
}

void SkinnedDialog::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    PlaceTitleButtons();
}

void SkinnedDialog::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange) UpdateActivation();
    QDialog::changeEvent(event);
}

void SkinnedDialog::keyPressEvent(QKeyEvent* event) {
    // QDialog's own Enter knows only QPushButton; the skinned buttons are pressed here.
    if (EnterPressesButton(this, event, defaultButton_)) return;
    if (event->matches(QKeySequence::Cancel) && !escapeCloses_) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void SkinnedDialog::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && TitleBand().contains(event->position().toPoint())) {
        event->accept();
        // The window manager or compositor moves the window when it can, as it moves windows
        // by their own title bars: it knows the screens, the panels and the snap rules. On X11
        // too, not only on Wayland: a window manager that offers the move (_NET_WM_MOVERESIZE,
        // as openbox, KWin and Mutter do) keeps its idea of the window's place true, which a
        // move of our own after it reparented the window does not (see WindowPlacement.h).
        if (windowHandle() != nullptr && windowHandle()->startSystemMove()) return;
        // Without such a window manager the window follows the cursor itself; a Wayland
        // compositor that refuses the move (no pointer press it knows of) leaves it in place.
        if (!CanPlaceShownWindows()) return;
        dragging_ = true;
        dragOffset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
        return;
    }
    QDialog::mousePressEvent(event);
}

void SkinnedDialog::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_ && (event->buttons() & Qt::LeftButton)) {
        move(event->globalPosition().toPoint() - dragOffset_);
        event->accept();
        return;
    }
    QDialog::mouseMoveEvent(event);
}

void SkinnedDialog::mouseReleaseEvent(QMouseEvent* event) {
    if (dragging_ && event->button() == Qt::LeftButton) {
        dragging_ = false;
        event->accept();
        return;
    }
    QDialog::mouseReleaseEvent(event);
}
