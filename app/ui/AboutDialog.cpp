#include "app/ui/AboutDialog.h"

#include <QVBoxLayout>

#include "skin/MessageIds.h"
#include "skin/UiTexts.h"
#include "skin/ui/ColorStatic.h"
#include "skin/ui/SkinArt.h"
#include "skin/ui/SkinButton.h"
#include "skin/ui/SkinConstants.h"
#include "skin/ui/SkinPicture.h"

AboutDialog::AboutDialog(QWidget* parent) : SkinnedDialog(parent) {
    setObjectName(QStringLiteral("aboutDialog"));
    SetTitlePictures(skin::kAboutTitle);
    SetTitleFromString(msg::AboutTitle);
    AddCloseButton();
    setAutoFillBackground(true);

    auto* mark = new SkinPicture(SkinArt::ProgramIcon(), QSize(48, 48), this);
    mark->move(24, 48);
    int y = 46;
    for (const char* key : {"about.version", "about.maker", "about.imaging"}) {
        auto* text = new ColorStatic(Qt::black, QColor(skin::kBoxBackground), this);
        text->setText(UiTexts::Text(key));
        text->setWordWrap(true);
        text->setGeometry(90, y, width() - 110, 22);
        y += 26;
    }
    auto* ok = new SkinButton(this);
    ok->setObjectName(QStringLiteral("ok"));
    ok->Setup(skin::kOkButton);
    ok->move((width() - ok->width()) / 2, y + 14);
    connect(ok, &QAbstractButton::clicked, this, &QDialog::accept);
    resize(width(), ok->geometry().bottom() + 16);
    SetDefaultButton(ok);
    SetEscapeCloses(true);
}
