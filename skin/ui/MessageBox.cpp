#include "skin/ui/MessageBox.h"

#include "skin/MessageIds.h"
#include "skin/MessageTexts.h"
#include "skin/UiTexts.h"
#include "skin/ui/SkinButton.h"
#include "skin/ui/WindowFront.h"

namespace {

// Where the parts of each kind sit: the question's text area is a little narrower.
const SkinnedBox::Geometry kInfoGeometry{
    345, QPoint(25, 57), QRect(72, 57, 210, 71), 138, 185,
};
const SkinnedBox::Geometry kConfirmGeometry{
    345, QPoint(25, 57), QRect(73, 57, 207, 71), 138, 185,
};

}  // namespace

MessageBox::MessageBox(Kind kind, QWidget* parent, int focused)
    : SkinnedBox(kind == Kind::Info ? kInfoGeometry : kConfirmGeometry, kCancel, parent) {
    SetTitlePictures(skin::kMessageBoxTitle);
    SetTitleFromString(msg::WindowTitle);
    AddCloseButton();
    SetIcon(kind == Kind::Info ? QStyle::SP_MessageBoxCritical : QStyle::SP_MessageBoxWarning);
    SkinButton* ok =
        AddButton(QStringLiteral("ok"), UiTexts::Text("button.ok"), skin::kOkButton, kOk);
    SkinButton* cancel = nullptr;
    if (kind == Kind::Confirm) {
        cancel = AddButton(QStringLiteral("cancel"), UiTexts::Text("button.cancel"),
                           skin::kCancelButton, kCancel);
    }
    (focused == kCancel && cancel ? cancel : ok)->setFocus();
}

int MessageBox::Show(const QString& text) {
    MessageBox box(Kind::Info, BoxOwner());
    box.SetText(text);
    return box.ShowModal();
}

int MessageBox::Ask(const QString& text, int focused) {
    MessageBox box(Kind::Confirm, BoxOwner(), focused);
    box.SetText(text);
    return box.ShowModal();
}
