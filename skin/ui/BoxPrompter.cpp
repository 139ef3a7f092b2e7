#include "skin/ui/BoxPrompter.h"

#include <algorithm>

#include "skin/MessageIds.h"
#include "skin/MessageTexts.h"
#include "skin/ui/ConfirmBox.h"
#include "skin/ui/InfoBox.h"
#include "skin/ui/OverwriteBox.h"

void BoxPrompter::Info(int id, const QString& argument) {
    InfoBox::Show(Messages::Format(id, argument));
}

bool BoxPrompter::Confirm(int id, const QString& argument) {
    const bool cancelFirst =
        std::ranges::find(msg::kCancelByDefault, id) != std::end(msg::kCancelByDefault);
    return ConfirmBox::Ask(Messages::Format(id, argument),
                           cancelFirst ? ConfirmBox::kCancel : ConfirmBox::kOk) == ConfirmBox::kOk;
}

int BoxPrompter::Overwrite(const QString& text, bool saveAllMode) {
    return OverwriteBox::Ask(text, saveAllMode);
}

void BoxPrompter::Plain(const QString& text) {
    InfoBox::Show(text);
}

bool BoxPrompter::ConfirmPlain(const QString& text) {
    return ConfirmBox::Ask(text) == ConfirmBox::kOk;
}
