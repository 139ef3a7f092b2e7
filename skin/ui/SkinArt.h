#pragma once

#include <QIcon>
#include <QList>
#include <QPixmap>
#include <QSize>

#include "skin/MessageTexts.h"

// The pictures of the skinned look, one for every bitmap id that the windows name: buttons in
// their four states, radio and check pictures, title bands, panels and the splash picture,
// each at its fixed size and, where it carries words, in English and Japanese. They are drawn
// by our own code the first time they are asked for; a PNG in resources/skin/ (":/skin/<id>.png",
// or "<id>_ja.png" for the Japanese variant) overrides a drawn one. GUI thread.
namespace SkinArt {

// The picture of a bitmap id in the language of the texts; a null pixmap for an unknown id.
QPixmap Bitmap(int id);
QPixmap Bitmap(int id, Messages::Language language);
// Its size in pixels; an invalid size for an unknown id.
QSize SizeOf(int id);
// The words on the picture of an id in the language of the texts (a button's caption, as a
// screen reader should say it); empty for a picture without words.
QString Words(int id);
// Every bitmap id there is a picture for.
QList<int> AllIds();

// Icon 128: the program's icon (windows, taskbar, the minimised window).
QIcon ProgramIcon();
// Icon 183: the small mark painted at the main window's bottom-right corner (32 x 32).
QPixmap CornerMark();

}  // namespace SkinArt
