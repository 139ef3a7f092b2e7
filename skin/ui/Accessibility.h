#pragma once

#include <QAccessible>
#include <QString>
#include <QWidget>

// What a screen reader hears of the skinned controls, through Qt's accessibility layer (AT-SPI
// on Linux): the radios are radio buttons, the menu bar's buttons are menu items of a menu bar,
// the owner-drawn menus' items are named without their mnemonics and shortcuts, and groups of
// controls are groups with a name. Qt's own interfaces serve the rest (the skinned push buttons
// are push buttons named by their captions). GUI thread.
// Registers the interfaces above with Qt's accessibility layer; once per process.
void InstallAccessibility();

// A control's words as a name: without a mnemonic ("File(&F)" and "About(A)..." lose "(&F)" and
// "(A)", a lone "&" goes), without the shortcut after a tab, trimmed.
QString PlainName(const QString& text);
// The shortcut after a tab in a menu item's text ("Ctrl+I"), trimmed; empty without one.
QString ShortcutOf(const QString& text);

// A container that a screen reader takes for one thing: the menu bar around the menu buttons,
// or a named group around radios that belong together. Draws nothing. GUI thread.
class AccessibleGroup : public QWidget {
    Q_OBJECT

public:
    AccessibleGroup(QAccessible::Role role, const QString& name, QWidget* parent);

    QAccessible::Role role() const { return role_; }

private:
    QAccessible::Role role_;
};
