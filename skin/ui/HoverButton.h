#pragma once

#include <QAbstractButton>

// The base of the skinned buttons (SkinButton, BitmapRadio), which show a picture of their own
// while the mouse is over them: it keeps that hover state and repaints the button when it
// changes. Owned by its dialog like any child widget; GUI thread.
class HoverButton : public QAbstractButton {
    Q_OBJECT

public:
    bool IsHovered() const { return hovered_; }

protected:
    explicit HoverButton(QWidget* parent = nullptr);

    void SetHovered(bool hovered);

    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    bool hovered_ = false;
};
