#pragma once

#include <QPointer>
#include <QPushButton>

#include "skin/ui/OwnerDrawMenu.h"

// A flat text button of the main window's menu bar ("File(&F)" and its neighbours): text only,
// a sunken edge while pressed, a raised edge while it has the keyboard focus, no hover effect.
// Its mnemonic (Alt with the underlined letter) clicks it. Owned by the main window; GUI thread.
class MenuBarButton : public QPushButton {
    Q_OBJECT

public:
    explicit MenuBarButton(const QString& text, QWidget* parent = nullptr);

    // The menu the button opens (the window pops it up), for a screen reader to find under it.
    void SetMenu(OwnerDrawMenu* menu);
    OwnerDrawMenu* Menu() const { return menu_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPointer<OwnerDrawMenu> menu_;
};
