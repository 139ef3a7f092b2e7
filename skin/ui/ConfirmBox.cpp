#include "skin/ui/ConfirmBox.h"

#include "skin/MessageIds.h"
#include "skin/MessageTexts.h"
#include "skin/UiTexts.h"
#include "skin/ui/SkinButton.h"
#include "skin/ui/WindowFront.h"

namespace {

const SkinnedBox::Geometry kGeometry{
    345, QPoint(25, 57), QRect(73, 57, 207, 71), 138, 185,
};

}  // namespace

ConfirmBox::ConfirmBox(QWidget* parent, int focused) : SkinnedBox(kGeometry, kCancel, parent) {
    SetTitlePictures(skin::kMessageBoxTitle);
    SetTitleFromString(msg::WindowTitle);
    AddCloseButton();
    SetIcon(QStyle::SP_MessageBoxWarning);
    SkinButton* ok =
        AddButton(QStringLiteral("ok"), UiTexts::Text("button.ok"), skin::kOkButton, kOk);
    SkinButton* cancel = AddButton(QStringLiteral("cancel"), UiTexts::Text("button.cancel"),
                                   skin::kCancelButton, kCancel);
    (focused == kCancel ? cancel : ok)->setFocus();
}

int ConfirmBox::Ask(const QString& text, int focused) {
    ConfirmBox box(BoxOwner(), focused);
    box.SetText(text);
    return box.ShowModal();
}
