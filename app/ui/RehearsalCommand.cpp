#include "app/ui/RehearsalCommand.h"

#include <QMenu>
#include <QShortcut>

#include "card/Rehearsal.h"
#include "card/ui/RehearsalView.h"
#include "core/AppSettings.h"
#include "core/WorkingList.h"
#include "skin/UiTexts.h"
#include "skin/ui/SkinButton.h"
#include "skin/ui/SkinConstants.h"

RehearsalCommand::RehearsalCommand(QWidget* window, const WorkingList& list,
                                   const AppSettings& settings, QPoint buttonAt)
    : QObject(window),
      window_(window),
      list_(list),
      settings_(settings),
      button_(new SkinButton(window)),
      shortcut_(new QShortcut(QKeySequence(Qt::Key_F5), window)) {
    button_->setObjectName(QStringLiteral("rehearse"));
    button_->Setup(skin::kRehearseButton);
    button_->setText(UiTexts::Text("button.rehearse"));
    button_->move(buttonAt);
    button_->setFocusPolicy(Qt::StrongFocus);
    connect(button_, &QAbstractButton::clicked, this, &RehearsalCommand::Rehearse);
    shortcut_->setContext(Qt::WindowShortcut);
    connect(shortcut_, &QShortcut::activated, this, &RehearsalCommand::Rehearse);
    for (const auto signal :
         {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved}) {
        connect(&list_, signal, this, &RehearsalCommand::UpdateEnabled);
    }
    connect(&list_, &QAbstractItemModel::modelReset, this, &RehearsalCommand::UpdateEnabled);
    UpdateEnabled();
}

void RehearsalCommand::AddMenuItems(QMenu* menu) {
    rehearseItem_ = menu->addAction(UiTexts::Text("menu.file.rehearse"));
    connect(rehearseItem_, &QAction::triggered, this, &RehearsalCommand::Rehearse);
    QAction* card = menu->addAction(UiTexts::Text("menu.file.show_card"));
    connect(card, &QAction::triggered, this, &RehearsalCommand::ShowCard);
    // Only once a run has written somewhere that still holds its images.
    connect(menu, &QMenu::aboutToShow, card, [this, card] {
        card->setEnabled(!settings_.lastDestination.isEmpty() &&
                         !WrittenItemsOf(settings_.lastDestination).isEmpty());
    });
    UpdateEnabled();
}

void RehearsalCommand::Rehearse() {
    if (list_.isEmpty()) return;
    Open(RehearsalItemsOf(list_, ConvertSettingsOf(settings_)));
}

void RehearsalCommand::ShowCard() {
    if (settings_.lastDestination.isEmpty()) return;
    QList<RehearsalItem> items = WrittenItemsOf(settings_.lastDestination);
    if (!items.isEmpty()) Open(std::move(items));
}

void RehearsalCommand::Open(QList<RehearsalItem> items) {
    if (view_) view_->close();
    view_ = new RehearsalView(std::move(items), window_);
    view_->setAttribute(Qt::WA_DeleteOnClose);
    // The list stays as it is while it is rehearsed.
    view_->setWindowModality(Qt::ApplicationModal);
    view_->showFullScreen();
    view_->activateWindow();
    view_->setFocus(Qt::OtherFocusReason);
}

void RehearsalCommand::UpdateEnabled() {
    const bool any = !list_.isEmpty();
    button_->setEnabled(any);
    shortcut_->setEnabled(any);
    if (rehearseItem_) rehearseItem_->setEnabled(any);
}
