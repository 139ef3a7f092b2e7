#include "skin/ui/OverwriteBox.h"

#include "skin/MessageTexts.h"
#include "skin/Prompter.h"
#include "skin/ui/SkinButton.h"
#include "skin/ui/WindowFront.h"

namespace {

const SkinnedBox::Geometry kGeometry{
    532, QPoint(21, 60), QRect(72, 47, 440, 75), 127, 166,
};

QString Caption(const char* english, const char* japanese) {
    return Messages::CurrentLanguage() == Messages::Language::Japanese ? QString::fromUtf8(japanese)
                                                                       : QString::fromUtf8(english);
}

}  // namespace

OverwriteBox::OverwriteBox(bool saveAllMode, QWidget* parent)
    : SkinnedBox(kGeometry, overwrite::Cancel, parent) {
    SetTitlePictures(skin::kOverwriteBoxTitle);
    SetIcon(QStyle::SP_MessageBoxWarning);
    AddButton(QStringLiteral("overwrite"), Caption("Overwrite", "上書き"), skin::kOverwriteButton,
              overwrite::Overwrite);
    SkinButton* no =
        AddButton(QStringLiteral("no"), Caption("No", "いいえ"), skin::kNoButton, overwrite::No);
    AddButton(QStringLiteral("saveNext"), Caption("Save next", "次の番号で保存"),
              skin::kSaveNextButton, overwrite::SaveNext);
    overwriteAll_ =
        AddButton(QStringLiteral("overwriteAll"), Caption("Overwrite all", "全て上書き"),
                  skin::kOverwriteAllButton, overwrite::OverwriteAll);
    AddButton(QStringLiteral("break"), Caption("Cancel", "中止"), skin::kBreakButton,
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
