#include "skin/ui/InfoBox.h"

#include "skin/MessageIds.h"
#include "skin/MessageTexts.h"
#include "skin/UiTexts.h"
#include "skin/ui/SkinButton.h"
#include "skin/ui/WindowFront.h"

namespace {

const SkinnedBox::Geometry kGeometry{
    345, QPoint(25, 57), QRect(72, 57, 210, 71), 138, 185,
};

}  // namespace

InfoBox::InfoBox(QWidget* parent) : SkinnedBox(kGeometry, kClosed, parent) {
    SetTitlePictures(skin::kMessageBoxTitle);
    SetTitleFromString(msg::WindowTitle);
    AddCloseButton();
    SetIcon(QStyle::SP_MessageBoxCritical);
    SkinButton* ok =
        AddButton(QStringLiteral("ok"), UiTexts::Text("button.ok"), skin::kOkButton, kOk);
    ok->setFocus();
}

int InfoBox::Show(const QString& text) {
    InfoBox box(BoxOwner());
    box.SetText(text);
    return box.ShowModal();
}
