#pragma once

#include <QMenu>
#include <QPointer>

// A popup menu drawn in the skin's colours: light-blue items, a turquoise highlight, the
// shortcut after a tab right-aligned, and a two-tone separator line. Used for the main window's
// menus and the thumbnail view's context menu; owned by the widget that pops it up. GUI thread.
class OwnerDrawMenu : public QMenu {
    Q_OBJECT

public:
    explicit OwnerDrawMenu(QWidget* parent = nullptr);

    // An item's text split at its first tab: the part drawn left (its & mnemonic kept for
    // drawing) and the part drawn right-aligned (empty when there is no tab).
    struct ItemTexts {
        QString left;
        QString right;
    };
    static ItemTexts SplitItemText(const QString& text);

    // The control a screen reader finds this menu under while it is open (its menu-bar button,
    // or the view it pops up over); the menu's parent widget when none is set.
    void SetOwner(QWidget* owner) { owner_ = owner; }
    QWidget* Owner() const { return owner_ ? owner_.data() : parentWidget(); }

private:
    QPointer<QWidget> owner_;
};
