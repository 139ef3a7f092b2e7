#include "skin/ui/OverwriteBox.h"

#include "skin/MessageIds.h"
#include "skin/MessageTexts.h"
#include "skin/Prompter.h"
#include "skin/UiTexts.h"
#include "skin/ui/SkinButton.h"
#include "skin/ui/WindowFront.h"

namespace {

const SkinnedBox::Geometry kGeometry{
    532, QPoint(21, 60), QRect(72, 47, 440, 75), 127, 166,
};

}  // namespace

OverwriteBox::OverwriteBox(bool saveAllMode, QWidget* parent)
    : SkinnedBox(kGeometry, overwrite::Cancel, parent) {
    SetTitlePictures(skin::kOverwriteBoxTitle);
    SetTitleFromString(msg::WindowTitle);
    SetIcon(QStyle::SP_MessageBoxWarning);
    AddButton(QStringLiteral("overwrite"), UiTexts::Text("button.overwrite"),
              skin::kOverwriteButton, overwrite::Overwrite);
    SkinButton* no =
        AddButton(QStringLiteral("no"), UiTexts::Text("button.no"), skin::kNoButton, overwrite::No);
    AddButton(QStringLiteral("saveNext"), UiTexts::Text("button.save_next"), skin::kSaveNextButton,
              overwrite::SaveNext);
    overwriteAll_ = AddButton(QStringLiteral("overwriteAll"), UiTexts::Text("button.overwrite_all"),
                              skin::kOverwriteAllButton, overwrite::OverwriteAll);
    AddButton(QStringLiteral("break"), UiTexts::Text("button.break"), skin::kBreakButton,
              overwrite::Cancel);
    SetSaveAllMode(saveAllMode);
    // The box opens on the harmless answer, so Enter pressed out of habit skips the image
    // instead of replacing it.
    no->setFocus();
}

void OverwriteBox::SetSaveAllMode(bool saveAllMode) {
    overwriteAll_->setEnabled(saveAllMode);
}

bool OverwriteBox::SaveAllMode() const {
    return overwriteAll_->isEnabled();
}

int OverwriteBox::Ask(const QString& text, bool saveAllMode) {
    OverwriteBox box(saveAllMode, BoxOwner());
    box.SetText(text);
    return box.ShowModal();
}
