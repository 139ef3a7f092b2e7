#pragma once

#include <QIcon>
#include <QList>
#include <QPixmap>
#include <QSize>

#include "skin/MessageTexts.h"

// The pictures of the skinned look, one for every bitmap id that the windows name: buttons in
// their four states, radio and check pictures, title bands, panels and the splash picture,
// each at its fixed size and, where it carries words, in English and Japanese. They are drawn
// by our own code at the device pixel ratio of the screen they are shown on, the first time
// they are asked for at that ratio; a PNG in resources/skin/ (":/skin/<id>.png" for 1x screens,
// "<id>@2x.png" for 2x ones, "<id>_ja.png" and "<id>_ja@2x.png" for the Japanese variant)
// overrides a drawn one. GUI thread.
class SkinArt {
public:
    // The picture of a bitmap id for a screen of a device pixel ratio (a widget's
    // devicePixelRatioF() when it paints): its size in logical pixels is SizeOf(id) at any ratio,
    // in pixels that size times the ratio (whole pixels, rounded up). In the language of the
    // texts; a null pixmap for an unknown id.
    static QPixmap Bitmap(int id, qreal ratio);
    static QPixmap Bitmap(int id, Messages::Language language, qreal ratio);
    // Its size in logical pixels, the size the windows are laid out for; an invalid size for an
    // unknown id.
    static QSize SizeOf(int id);
    // The words on the picture of an id in the language of the texts (a button's caption, as a
    // screen reader should say it); empty for a picture without words.
    static QString Words(int id);
    // Every bitmap id there is a picture for.
    static QList<int> AllIds();

    // Icon 128: the program's icon (windows, taskbar, the minimised window), at sizes from 16 to
    // 256 pixels; a QIcon picks the one for the size and ratio it is painted at.
    static QIcon ProgramIcon();
    // Icon 183: the small mark painted at the main window's bottom-right corner (32 x 32 logical
    // pixels), for a screen of a ratio.
    static QPixmap CornerMark(qreal ratio);

    SkinArt() = delete;
};
