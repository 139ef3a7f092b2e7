#include "skin/ui/SkinArt.h"

#include <QCoreApplication>
#include <QFile>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QtMath>
#include <algorithm>

#include "skin/UiTexts.h"
#include "skin/ui/SkinConstants.h"
#include "skin/ui/SkinDrawing.h"

namespace {

using Language = Messages::Language;

using Table = QHash<int, PictureSpec>;

PictureSpec Button(QSize size, QRgb ground, const char* key, ButtonTone tone = ButtonTone::Blue) {
    PictureSpec picture;
    picture.kind = PictureKind::Button;
    picture.size = size;
    picture.ground = ground;
    picture.tone = tone;
    picture.words = PictureWords{key};
    return picture;
}

PictureSpec Plain(PictureKind kind, QSize size, QRgb ground = skin::kBoxBackground) {
    PictureSpec picture;
    picture.kind = kind;
    picture.size = size;
    picture.ground = ground;
    return picture;
}

// The title-bar buttons' pictures of an active window, and the one of an inactive window.
constexpr skin::ButtonBitmaps OnlyActive(skin::ButtonBitmaps ids) {
    return {ids.normal, ids.pressed, ids.hover, 0};
}
constexpr skin::ButtonBitmaps OnlyDisabled(skin::ButtonBitmaps ids) {
    return {0, 0, 0, ids.disabled};
}

void AddStates(Table& table, const skin::ButtonBitmaps& ids, PictureSpec picture) {
    const std::pair<PictureState, int> states[] = {{PictureState::Normal, ids.normal},
                                                   {PictureState::Pressed, ids.pressed},
                                                   {PictureState::Hover, ids.hover},
                                                   {PictureState::Disabled, ids.disabled}};
    for (const auto& [state, id] : states) {
        if (id != 0) {
            picture.state = state;
            table.insert(id, picture);
        }
    }
}

// Radios and boxes have no pressed picture; the ids come checked normal, hover, disabled,
// then unchecked normal, hover, disabled.
void AddToggle(Table& table, PictureKind kind, QSize size, QRgb ground,
               const skin::RadioBitmaps& ids) {
    const PictureState states[] = {PictureState::Normal, PictureState::Hover,
                                   PictureState::Disabled};
    int index = 0;
    for (int id : ids) {
        PictureSpec picture = Plain(kind, size, ground);
        picture.on = index < 3;
        picture.state = states[index % 3];
        table.insert(id, picture);
        ++index;
    }
}

void AddTitle(Table& table, const skin::TitlePictures& ids, int activeWidth, int inactiveWidth,
              PictureWords words) {
    PictureSpec picture = Plain(PictureKind::Title, QSize(activeWidth, 26));
    picture.words = words;
    picture.on = true;
    table.insert(ids.active, picture);
    picture.size = QSize(inactiveWidth, 26);
    picture.on = false;
    table.insert(ids.inactive, picture);
}

// The main window's buttons, radios and title.
void AddMainWindow(Table& table, QSize wide, QSize narrow) {
    AddStates(table, skin::kImportSlideButton,
              Button(wide, skin::kPanelBackground, "button.import_slide"));
    AddStates(table, skin::kImportFileButton,
              Button(wide, skin::kPanelBackground, "button.import_file"));
    AddStates(table, skin::kConvertButton,
              Button(wide, skin::kPanelBackground, "button.convert", ButtonTone::Accent));
    AddStates(table, skin::kRehearseButton,
              Button(wide, skin::kPanelBackground, "button.rehearse"));
    AddStates(table, skin::kCompanionButton,
              Button(QSize(215, 29), skin::kPanelBackground, "button.companion"));
    AddStates(table, skin::kCloseButton, Button(narrow, skin::kPanelBackground, "button.close"));
    AddStates(table, skin::kFolderButton,
              Plain(PictureKind::Folder, QSize(23, 19), skin::kPanelBackground));
    AddToggle(table, PictureKind::Radio, QSize(22, 22), skin::kPanelBackground,
              skin::kMainWindowRadio);
    AddTitle(table, skin::kMainWindowTitle, 765, 765, PictureWords{nullptr, 103});
}

Table BuildTable() {
    Table table;
    const QSize wide(124, 29);
    const QSize narrow(95, 29);
    const QSize step(108, 29);

    table.insert(131, Plain(PictureKind::Splash, QSize(580, 258)));

    AddMainWindow(table, wide, narrow);

    // The title-bar buttons; only the disabled close picture is wider. A window shows the
    // disabled pictures while it is inactive, so they sit on the inactive band.
    AddStates(table, OnlyActive(skin::kTitleCloseButton),
              Plain(PictureKind::BarClose, QSize(20, 21), skin::kBandActive));
    AddStates(table, OnlyDisabled(skin::kTitleCloseButton),
              Plain(PictureKind::BarClose, QSize(22, 21), skin::kBandInactive));
    AddStates(table, OnlyActive(skin::kTitleMinimiseButton),
              Plain(PictureKind::BarMinimise, QSize(20, 21), skin::kBandActive));
    AddStates(table, OnlyDisabled(skin::kTitleMinimiseButton),
              Plain(PictureKind::BarMinimise, QSize(20, 21), skin::kBandInactive));

    // The dialogs on white.
    AddStates(table, {skin::kOkButton.normal, skin::kOkButton.pressed, 0, 0},
              Button(QSize(95, 28), skin::kBoxBackground, "button.ok"));
    AddStates(table, {0, 0, skin::kOkButton.hover, skin::kOkButton.disabled},
              Button(narrow, skin::kBoxBackground, "button.ok"));
    AddStates(table, skin::kCancelButton, Button(narrow, skin::kBoxBackground, "button.cancel"));
    AddStates(table, skin::kStopButton, Button(narrow, skin::kBoxBackground, "button.stop"));
    AddStates(table, skin::kOverwriteButton,
              Button(narrow, skin::kBoxBackground, "button.overwrite"));
    AddStates(table, skin::kNoButton, Button(narrow, skin::kBoxBackground, "button.no"));
    AddStates(table, skin::kOverwriteAllButton,
              Button(narrow, skin::kBoxBackground, "button.overwrite_all"));
    AddStates(table, skin::kSaveNextButton,
              Button(narrow, skin::kBoxBackground, "button.save_next"));
    AddStates(table, skin::kBreakButton, Button(narrow, skin::kBoxBackground, "button.break"));
    AddToggle(table, PictureKind::Radio, QSize(22, 22), skin::kBoxBackground,
              skin::kPlacementRadio);

    AddTitle(table, skin::kAboutTitle, 446, 445, PictureWords{nullptr, 102});
    AddTitle(table, skin::kMessageBoxTitle, 345, 345, PictureWords{nullptr, 103});
    AddTitle(table, skin::kDestinationTitle, 392, 392, PictureWords{"destination.title"});
    AddTitle(table, skin::kPlacementTitle, 327, 327, PictureWords{"placement.title"});
    AddTitle(table, skin::kOverwriteBoxTitle, 532, 532, PictureWords{nullptr, 103});

    // Preferences.
    AddTitle(table, skin::kPreferencesTitle, 259, 259, PictureWords{"preferences.title"});
    AddToggle(table, PictureKind::Check, QSize(18, 18), skin::kPanelBackground,
              skin::kPreferencesCheck);

    // The convert dialog.
    AddTitle(table, skin::kConvertTitle, 765, 765, PictureWords{"convert.title"});
    AddStates(table, skin::kPreviousButton,
              Button(step, skin::kPanelBackground, "button.previous"));
    AddStates(table, skin::kNextButton, Button(step, skin::kPanelBackground, "button.next"));
    AddStates(table, skin::kSaveButton, Button(wide, skin::kPanelBackground, "button.save"));
    AddStates(table, skin::kSaveAllButton, Button(wide, skin::kPanelBackground, "button.save_all"));
    AddStates(table, skin::kEjectButton, Button(wide, skin::kPanelBackground, "eject.button"));

    // Panels behind groups of controls.
    const std::pair<int, int> panels[] = {{267, 168}, {268, 157}, {269, 88},
                                          {270, 88},  {271, 76},  {272, 195}};
    for (const auto& [id, height] : panels)
        table.insert(id, Plain(PictureKind::Panel, QSize(230, height)));
    return table;
}

const Table& Pictures() {
    static const Table table = BuildTable();
    return table;
}

QString TextOf(const PictureWords& words, Messages::Language language) {
    if (words.textId != 0) return Messages::Load(words.textId, language);
    if (words.key == nullptr) return QString();
    return UiTexts::Text(words.key, language);
}

// A picture of size (logical pixels) at a device pixel ratio: whole pixels covering it.
QSize PixelSize(QSize size, qreal ratio) {
    return QSize(qCeil(size.width() * ratio), qCeil(size.height() * ratio));
}

// Drawn straight at the ratio: the painter works in logical pixels and the device turns every
// stroke, gradient and glyph into as many pixels as the screen has.
QImage Draw(const PictureSpec& picture, Messages::Language language, qreal ratio) {
    QImage image(PixelSize(picture.size, ratio), QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(picture.ground);
    QPainter painter(&image);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                           QPainter::SmoothPixmapTransform);
    const QSize size = picture.size;
    switch (picture.kind) {
        case PictureKind::Button:
            DrawCaptionButton(painter, size, picture, TextOf(picture.words, language));
            break;
        case PictureKind::Folder:
            DrawFolderButton(painter, size, picture);
            break;
        case PictureKind::Radio:
            DrawRadio(painter, size, picture);
            break;
        case PictureKind::Check:
            DrawCheck(painter, size, picture);
            break;
        case PictureKind::Title:
            DrawTitle(painter, size, picture, TextOf(picture.words, language));
            break;
        case PictureKind::BarClose:
        case PictureKind::BarMinimise:
            DrawBarButton(painter, size, picture);
            break;
        case PictureKind::Panel:
            DrawPanel(painter, size);
            break;
        case PictureKind::Splash:
            DrawSplash(painter, size, language);
            break;
    }
    return image;
}

QPixmap MarkPixmap(int size, QRgb ground, bool opaque, qreal ratio = 1) {
    QImage image(PixelSize(QSize(size, size), ratio),
                 opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(opaque ? ground : qRgba(0, 0, 0, 0));
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        DrawMark(painter, size);
    }
    return QPixmap::fromImage(std::move(image));
}

// The file of an override made for screens of fileRatio (1: "<id>.png", 2: "<id>@2x.png"), or
// an empty text. A picture with words needs its own Japanese file ("<id>_ja.png",
// "<id>_ja@2x.png"); one without words may share the plain one.
QString OverrideFile(int id, bool hasWords, Messages::Language language, int fileRatio) {
    const QString ratio = fileRatio == 1 ? QString() : QStringLiteral("@%1x").arg(fileRatio);
    if (language == Messages::Language::Japanese) {
        const QString japanese = QStringLiteral(":/skin/%1_ja%2.png").arg(id).arg(ratio);
        if (QFile::exists(japanese)) return japanese;
        if (hasWords) return QString();
    }
    const QString plain = QStringLiteral(":/skin/%1%2.png").arg(id).arg(ratio);
    return QFile::exists(plain) ? plain : QString();
}

// A PNG override is artwork made by hand for one ratio, and it is only ever shrunk: a screen
// of ratio r takes the file of the smallest ratio at or above r, shrunk to r where that is
// larger (a 1.5x screen shrinks the 2x file), and where there is none, the picture is drawn by
// our own code at r. A 1x file blown up to 2x would be the very blur the drawn pictures avoid;
// the drawn picture has the same size and role, so a 2x screen shows a sharp stand-in until the
// skin brings its 2x file. A file of the wrong size is not used either: the windows are laid
// out for the stated sizes.
QImage Override(int id, const PictureSpec& picture, Messages::Language language, qreal ratio) {
    const bool hasWords = picture.words.Any() || picture.kind == PictureKind::Splash;
    for (int fileRatio : {1, 2}) {
        if (fileRatio < ratio) continue;
        const QString file = OverrideFile(id, hasWords, language, fileRatio);
        if (file.isEmpty()) continue;
        QImage image(file);
        if (image.size() != picture.size * fileRatio) {
            qWarning("%s is not %dx%d pixels; the drawn picture is shown", qPrintable(file),
                     picture.size.width() * fileRatio, picture.size.height() * fileRatio);
            return QImage();
        }
        if (fileRatio != ratio) {
            image = image.scaled(PixelSize(picture.size, ratio), Qt::IgnoreAspectRatio,
                                 Qt::SmoothTransformation);
        }
        image.setDevicePixelRatio(ratio);
        return image;
    }
    return QImage();
}

struct Key {
    int id;
    Messages::Language language;
    qreal ratio;

    bool operator==(const Key&) const = default;
};

size_t qHash(const Key& key, size_t seed = 0) {
    return qHashMulti(seed, key.id, int(key.language), key.ratio);
}

// Every picture once per language and ratio: a window moved to a screen of another ratio
// draws the pictures of that ratio, and the ones of the first screen stay for its return.
struct Cache {
    QHash<Key, QPixmap> pictures;
    QHash<qreal, QPixmap> corners;
    QIcon icon;
};

void DropCache();

// Emptied when the application goes, so no pixmap outlives the GUI it belongs to.
Cache& TheCache() {
    static Cache cache;
    static const bool registered = (qAddPostRoutine(&DropCache), true);
    Q_UNUSED(registered);
    return cache;
}

void DropCache() {
    TheCache() = Cache();
}

}  // namespace

QPixmap SkinArt::Bitmap(int id, qreal ratio) {
    return Bitmap(id, Messages::CurrentLanguage(), ratio);
}

QPixmap SkinArt::Bitmap(int id, Messages::Language language, qreal ratio) {
    const auto it = Pictures().constFind(id);
    if (it == Pictures().constEnd() || ratio <= 0) return QPixmap();
    const Key key{id, language, ratio};
    QHash<Key, QPixmap>& pictures = TheCache().pictures;
    const auto cached = pictures.constFind(key);
    if (cached != pictures.constEnd()) return *cached;
    QImage image = Override(id, *it, language, ratio);
    if (image.isNull()) image = Draw(*it, language, ratio);
    const QPixmap pixmap = QPixmap::fromImage(std::move(image));
    pictures.insert(key, pixmap);
    return pixmap;
}

QString SkinArt::Words(int id) {
    const auto it = Pictures().constFind(id);
    return it == Pictures().constEnd() ? QString() : TextOf(it->words, Messages::CurrentLanguage());
}

QSize SkinArt::SizeOf(int id) {
    const auto it = Pictures().constFind(id);
    return it == Pictures().constEnd() ? QSize() : it->size;
}

QList<int> SkinArt::AllIds() {
    QList<int> ids = Pictures().keys();
    std::sort(ids.begin(), ids.end());
    return ids;
}

QIcon SkinArt::ProgramIcon() {
    Cache& cache = TheCache();
    if (cache.icon.isNull()) {
        for (int size : {16, 32, 48, 64, 128, 256})
            cache.icon.addPixmap(MarkPixmap(size, 0, false));
    }
    return cache.icon;
}

QPixmap SkinArt::CornerMark(qreal ratio) {
    QPixmap& corner = TheCache().corners[ratio];
    // Painted on the main window's white, so it is as opaque as the other pictures.
    if (corner.isNull()) corner = MarkPixmap(32, skin::kBoxBackground, true, ratio);
    return corner;
}
