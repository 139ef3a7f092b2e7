#pragma once

#include <QObject>
#include <QPointer>

#include "card/ui/RehearsalView.h"

struct AppSettings;
class QMenu;
class QShortcut;
class QWidget;
class SkinButton;
class WorkingList;

// The rehearsal's place in the main window: the Rehearse button under Convert and Save, F5 and
// the File menu's Rehearse, which show the working list as the current settings write it, and
// the menu's Show the card, which shows what the last run wrote, read back from its
// destination. Rehearse is disabled while the list is empty. Owned by the window; GUI thread.
class RehearsalCommand : public QObject {
    Q_OBJECT

public:
    RehearsalCommand(QWidget* window, const WorkingList& list, const AppSettings& settings,
                     QPoint buttonAt);

    SkinButton* button() const { return button_; }
    // Adds Rehearse and Show the card to menu.
    void AddMenuItems(QMenu* menu);
    // The view open now, or null.
    RehearsalView* view() const { return view_; }

public Q_SLOTS:
    void Rehearse();
    void ShowCard();

private:
    void Open(QList<RehearsalItem> items);
    void UpdateEnabled();

    QWidget* window_;
    const WorkingList& list_;
    const AppSettings& settings_;
    SkinButton* button_;
    QShortcut* shortcut_;
    QAction* rehearseItem_ = nullptr;
    QPointer<RehearsalView> view_;
};
