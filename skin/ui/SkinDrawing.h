#pragma once

#include <QColor>
#include <QFont>
#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QString>

#include "skin/MessageTexts.h"
#include "skin/ui/SkinPalette.h"

class QPainter;

// What the drawn pictures of the skin are made of, shared by SkinArt (the table of pictures and
// their cache) and the files that draw them: ControlArt.cpp (buttons, radios and boxes, title
// bands, panels) and MarkArt.cpp (the program mark and the splash). Each Draw function paints a
// picture of size logical pixels on a painter whose device has the screen's pixel ratio. GUI
// thread.

enum class PictureKind {
    Button,
    Folder,
    Radio,
    Check,
    Title,
    BarClose,
    BarMinimise,
    Panel,
    Splash
};
enum class PictureState { Normal, Pressed, Hover, Disabled };
enum class ButtonTone { Blue, Accent };

// Words on a picture: a key of the window texts, or an id of the string table.
struct PictureWords {
    const char* key = nullptr;
    int textId = 0;

    bool Any() const { return key != nullptr || textId != 0; }
};

struct PictureSpec {
    PictureKind kind = PictureKind::Panel;
    QSize size;
    PictureState state = PictureState::Normal;
    bool on = false;                     // checked for radios and boxes, active for title bands
    QRgb ground = skin::kBoxBackground;  // what the picture sits on: its corners are filled with it
    ButtonTone tone = ButtonTone::Blue;
    PictureWords words;
};

// ---- Text

QFont SkinFont(int pixelSize, bool bold);
// Long captions (the companion button, Japanese on narrow buttons) shrink rather than clip.
QFont FittedFont(const QString& text, int pixelSize, qreal maxWidth, bool bold);
// Whole pixels of the device keep strokes sharp; at a ratio of 1.5 every other whole logical
// pixel falls between two of them.
qreal OnDevicePixel(const QPainter& painter, qreal logical);
// The baseline that centres text in box on its cap height.
QPointF CentredBaseline(const QPainter& painter, const QRectF& box, const QString& text,
                        const QFont& font);
// The text with a shadow one pixel below it (none where the shadow is transparent).
void DrawTextAt(QPainter& painter, QPointF baseline, const QString& text, const QFont& font,
                const QColor& colour, const QColor& shadow);

// ---- The controls (ControlArt.cpp)

void DrawCaptionButton(QPainter& painter, QSize size, const PictureSpec& picture,
                       const QString& caption);
void DrawFolderButton(QPainter& painter, QSize size, const PictureSpec& picture);
void DrawRadio(QPainter& painter, QSize size, const PictureSpec& picture);
void DrawCheck(QPainter& painter, QSize size, const PictureSpec& picture);
void DrawTitle(QPainter& painter, QSize size, const PictureSpec& picture, const QString& title);
void DrawBarButton(QPainter& painter, QSize size, const PictureSpec& picture);
void DrawPanel(QPainter& painter, QSize size);

// ---- The mark and the splash (MarkArt.cpp)

// The program mark in a square of side size: a projector throwing light up to the right and
// a memory card in front of it, on a dark blue tile.
void DrawMark(QPainter& painter, qreal size);
void DrawSplash(QPainter& painter, QSize size, Messages::Language language);
