#include "skin/ui/BoxPrompter.h"

#include <algorithm>

#include "skin/MessageIds.h"
#include "skin/MessageTexts.h"
#include "skin/ui/MessageBox.h"
#include "skin/ui/OverwriteBox.h"

void BoxPrompter::Info(int id, const QString& argument) {
    MessageBox::Show(Messages::Format(id, argument));
}

bool BoxPrompter::Confirm(int id, const QString& argument) {
    const bool cancelFirst =
        std::ranges::find(msg::kCancelByDefault, id) != std::end(msg::kCancelByDefault);
    return MessageBox::Ask(Messages::Format(id, argument),
                           cancelFirst ? MessageBox::kCancel : MessageBox::kOk) == MessageBox::kOk;
}

int BoxPrompter::Overwrite(const QString& text, bool saveAllMode) {
    return OverwriteBox::Ask(text, saveAllMode);
}

void BoxPrompter::Plain(const QString& text) {
    MessageBox::Show(text);
}

bool BoxPrompter::ConfirmPlain(const QString& text) {
    return MessageBox::Ask(text) == MessageBox::kOk;
}
