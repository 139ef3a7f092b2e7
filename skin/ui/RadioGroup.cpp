#include "skin/ui/RadioGroup.h"

#include "skin/ui/BitmapRadio.h"

RadioGroup::~RadioGroup() {
    for (BitmapRadio* button : buttons_) button->group_ = nullptr;
}

void RadioGroup::Add(BitmapRadio* button) {
    if (button == nullptr || button->group_ == this) return;
    if (button->group_ != nullptr) button->group_->Remove(button);
    button->group_ = this;
    buttons_.append(button);
}

BitmapRadio* RadioGroup::CheckedButton() const {
    for (BitmapRadio* button : buttons_) {
        if (button->isChecked()) return button;
    }
    return nullptr;
}

void RadioGroup::Remove(BitmapRadio* button) {
    buttons_.removeAll(button);
    button->group_ = nullptr;
}

void RadioGroup::UncheckAllBut(BitmapRadio* checked) {
    for (BitmapRadio* button : buttons_) {
        if (button != checked && button->isChecked()) button->setChecked(false);
    }
}
