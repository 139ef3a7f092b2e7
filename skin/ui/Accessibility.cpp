#include "skin/ui/Accessibility.h"

#include <QAccessibleWidget>
#include <QAction>
#include <QMenu>
#include <QPointer>
#include <QRegularExpression>
#include <QTimer>

#include "skin/ui/BitmapRadio.h"
#include "skin/ui/MenuBarButton.h"
#include "skin/ui/OwnerDrawMenu.h"

namespace {

// Qt takes any checkable button for a check box; these are the radios of a group.
class RadioAccessible : public QAccessibleWidget {
public:
    explicit RadioAccessible(BitmapRadio* radio)
        : QAccessibleWidget(radio, QAccessible::RadioButton) {
        addControllingSignal(QStringLiteral("toggled(bool)"));
    }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty()) {
            return PlainName(Radio()->text());
        }
        return QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.checkable = true;
        state.checked = Radio()->isChecked();
        return state;
    }
    QStringList actionNames() const override {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& name) override {
        if (name == pressAction()) {
            // After the call returns: a command may open a window of its own.
            QTimer::singleShot(0, Radio(), &QAbstractButton::click);
            return;
        }
        QAccessibleWidget::doAction(name);
    }

private:
    BitmapRadio* Radio() const { return static_cast<BitmapRadio*>(widget()); }
};

// A button of the menu bar: a menu item that opens its menu.
class MenuBarItemAccessible : public QAccessibleWidget {
public:
    explicit MenuBarItemAccessible(MenuBarButton* button)
        : QAccessibleWidget(button, QAccessible::MenuItem) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty()) {
            return PlainName(Button()->text());
        }
        return QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.hasPopup = true;
        return state;
    }
    // Its menu, as a menu bar's item holds its menu.
    int childCount() const override { return Button()->Menu() ? 1 : 0; }
    QAccessibleInterface* child(int index) const override {
        return index == 0 && Button()->Menu()
                   ? QAccessible::queryAccessibleInterface(Button()->Menu())
                   : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return child && Button()->Menu() && child->object() == Button()->Menu() ? 0 : -1;
    }
    QStringList actionNames() const override {
        return QStringList{showMenuAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& name) override {
        if (name == showMenuAction() || name == pressAction()) {
            QTimer::singleShot(0, Button(), &QAbstractButton::click);
            return;
        }
        QAccessibleWidget::doAction(name);
    }

private:
    MenuBarButton* Button() const { return static_cast<MenuBarButton*>(widget()); }
};

// An item of an owner-drawn menu: its text carries a mnemonic and a shortcut for drawing, which
// the name leaves out (the shortcut is told as the item's accelerator).
class MenuItemAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    MenuItemAccessible(QMenu* menu, QAction* action) : menu_(menu), action_(action) {}

    bool isValid() const override { return menu_ && action_; }
    QObject* object() const override { return action_; }
    QWindow* window() const override { return menu_ ? menu_->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(menu_);
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override {
        if (!isValid()) return QString();
        switch (t) {
            case QAccessible::Name:
                return PlainName(action_->text());
            case QAccessible::Accelerator:
                return ShortcutOf(action_->text());
            default:
                return QString();
        }
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        if (!isValid()) return QRect();
        const QRect area = menu_->actionGeometry(action_);
        return QRect(menu_->mapToGlobal(area.topLeft()), area.size());
    }
    QAccessible::Role role() const override {
        return action_ && action_->isSeparator() ? QAccessible::Separator : QAccessible::MenuItem;
    }
    QAccessible::State state() const override {
        QAccessible::State state;
        if (!isValid()) {
            state.invalid = true;
            return state;
        }
        state.invisible = !menu_->isVisible();
        state.disabled = !action_->isEnabled();
        state.focusable = action_->isEnabled() && !action_->isSeparator();
        state.focused = menu_->activeAction() == action_;
        return state;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                    : nullptr;
    }
    QStringList actionNames() const override {
        return action_ && action_->isEnabled() && !action_->isSeparator()
                   ? QStringList{pressAction()}
                   : QStringList();
    }
    void doAction(const QString& name) override {
        if (name != pressAction() || !action_ || !action_->isEnabled()) return;
        // The menu closes as a click would close it, and the command runs after the call.
        menu_->hide();
        QTimer::singleShot(0, action_, &QAction::trigger);
    }
    QStringList keyBindingsForAction(const QString&) const override {
        const QString shortcut = text(QAccessible::Accelerator);
        return shortcut.isEmpty() ? QStringList() : QStringList{shortcut};
    }

private:
    QPointer<QMenu> menu_;
    QPointer<QAction> action_;
};

// An owner-drawn menu: its items, under the control that opened it.
class MenuAccessible : public QAccessibleWidget {
public:
    explicit MenuAccessible(OwnerDrawMenu* menu)
        : QAccessibleWidget(menu, QAccessible::PopupMenu) {}

    int childCount() const override { return int(Menu()->actions().size()); }
    QAccessibleInterface* child(int index) const override {
        const QList<QAction*> actions = Menu()->actions();
        return index >= 0 && index < actions.size()
                   ? QAccessible::queryAccessibleInterface(actions.at(index))
                   : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return child ? int(Menu()->actions().indexOf(qobject_cast<QAction*>(child->object()))) : -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        return child(
            int(Menu()->actions().indexOf(Menu()->actionAt(Menu()->mapFromGlobal(QPoint(x, y))))));
    }
    QAccessibleInterface* parent() const override {
        QWidget* owner = Menu()->Owner();
        return owner ? QAccessible::queryAccessibleInterface(owner) : QAccessibleWidget::parent();
    }

private:
    OwnerDrawMenu* Menu() const { return static_cast<OwnerDrawMenu*>(widget()); }
};

QAccessibleInterface* Factory(const QString&, QObject* object) {
    if (auto* menu = qobject_cast<OwnerDrawMenu*>(object)) return new MenuAccessible(menu);
    if (auto* radio = qobject_cast<BitmapRadio*>(object)) return new RadioAccessible(radio);
    if (auto* button = qobject_cast<MenuBarButton*>(object)) {
        return new MenuBarItemAccessible(button);
    }
    if (auto* group = qobject_cast<AccessibleGroup*>(object)) {
        return new QAccessibleWidget(group, group->role(), group->accessibleName());
    }
    if (auto* action = qobject_cast<QAction*>(object)) {
        if (auto* menu = qobject_cast<OwnerDrawMenu*>(action->parent())) {
            return new MenuItemAccessible(menu, action);
        }
    }
    return nullptr;
}

}  // namespace

void InstallAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(&Factory);
        return true;
    }();
    Q_UNUSED(installed);
}

QString PlainName(const QString& text) {
    static const QRegularExpression mnemonic(QStringLiteral("\\(&?[^()\\s]\\)"));
    QString name = text.section(QLatin1Char('\t'), 0, 0);
    name.remove(mnemonic);
    name.replace(QLatin1String("&&"), QLatin1String("\x01"));
    name.remove(QLatin1Char('&'));
    name.replace(QLatin1Char('\x01'), QLatin1Char('&'));
    return name.simplified();
}

QString ShortcutOf(const QString& text) {
    const qsizetype tab = text.indexOf(QLatin1Char('\t'));
    return tab < 0 ? QString() : text.mid(tab + 1).trimmed();
}

AccessibleGroup::AccessibleGroup(QAccessible::Role role, const QString& name, QWidget* parent)
    : QWidget(parent), role_(role) {
    setAccessibleName(name);
}
