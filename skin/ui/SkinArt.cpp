#include "skin/ui/SkinArt.h"

#include <QCoreApplication>
#include <QFile>
#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QRadialGradient>
#include <QtMath>
#include <algorithm>
#include <cmath>

#include "skin/UiTexts.h"
#include "skin/ui/SkinConstants.h"

namespace SkinArt {
namespace {

using Messages::Language;

// The palette every picture shares.
constexpr QRgb kPanel = skin::kPanelBackground;
using skin::kLightEdge;
constexpr QRgb kDark = skin::kDarkEdge;
constexpr QRgb kWhite = qRgb(255, 255, 255);
constexpr QRgb kAccent = qRgb(252, 143, 89);

// The title-bar buttons are painted over the right end of an active band, so that end is
// this one flat colour and the buttons are filled with it.
constexpr QRgb kBandActive = kDark;
constexpr QRgb kBandActiveLight = qRgb(26, 70, 136);
constexpr QRgb kBandInactive = qRgb(116, 126, 141);
constexpr QRgb kBandInactiveLight = qRgb(146, 156, 170);

enum class Kind { Button, Folder, Radio, Check, Title, BarClose, BarMinimise, Panel, Splash };
enum class State { Normal, Pressed, Hover, Disabled };
enum class Tone { Blue, Accent };

// Words on a picture: a key of the window texts, or an id of the string table.
struct Words {
    const char* key = nullptr;
    int textId = 0;

    bool Any() const { return key != nullptr || textId != 0; }
};

struct Picture {
    Kind kind = Kind::Panel;
    QSize size;
    State state = State::Normal;
    bool on = false;       // checked for radios and boxes, active for title bands
    QRgb ground = kWhite;  // what the picture sits on: its corners are filled with it
    Tone tone = Tone::Blue;
    Words words;
};

using Table = QHash<int, Picture>;

Picture Button(QSize size, QRgb ground, const char* key, Tone tone = Tone::Blue) {
    Picture picture;
    picture.kind = Kind::Button;
    picture.size = size;
    picture.ground = ground;
    picture.tone = tone;
    picture.words = Words{key};
    return picture;
}

Picture Plain(Kind kind, QSize size, QRgb ground = kWhite) {
    Picture picture;
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

void AddStates(Table& table, const skin::ButtonBitmaps& ids, Picture picture) {
    const std::pair<State, int> states[] = {{State::Normal, ids.normal},
                                            {State::Pressed, ids.pressed},
                                            {State::Hover, ids.hover},
                                            {State::Disabled, ids.disabled}};
    for (const auto& [state, id] : states) {
        if (id != 0) {
            picture.state = state;
            table.insert(id, picture);
        }
    }
}

// Radios and boxes have no pressed picture; the ids come checked normal, hover, disabled,
// then unchecked normal, hover, disabled.
void AddToggle(Table& table, Kind kind, QSize size, QRgb ground, const skin::RadioBitmaps& ids) {
    const State states[] = {State::Normal, State::Hover, State::Disabled};
    int index = 0;
    for (int id : ids) {
        Picture picture = Plain(kind, size, ground);
        picture.on = index < 3;
        picture.state = states[index % 3];
        table.insert(id, picture);
        ++index;
    }
}

void AddTitle(Table& table, const skin::TitlePictures& ids, int activeWidth, int inactiveWidth,
              Words words) {
    Picture picture = Plain(Kind::Title, QSize(activeWidth, 26));
    picture.words = words;
    picture.on = true;
    table.insert(ids.active, picture);
    picture.size = QSize(inactiveWidth, 26);
    picture.on = false;
    table.insert(ids.inactive, picture);
}

Table BuildTable() {
    Table table;
    const QSize wide(124, 29);
    const QSize narrow(95, 29);
    const QSize step(108, 29);

    table.insert(131, Plain(Kind::Splash, QSize(580, 258)));

    // The main window.
    AddStates(table, skin::kImportSlideButton, Button(wide, kPanel, "button.import_slide"));
    AddStates(table, skin::kImportFileButton, Button(wide, kPanel, "button.import_file"));
    AddStates(table, skin::kConvertButton, Button(wide, kPanel, "button.convert", Tone::Accent));
    AddStates(table, skin::kCompanionButton, Button(QSize(215, 29), kPanel, "button.companion"));
    AddStates(table, skin::kCloseButton, Button(narrow, kPanel, "button.close"));
    AddStates(table, skin::kFolderButton, Plain(Kind::Folder, QSize(23, 19), kPanel));
    AddToggle(table, Kind::Radio, QSize(22, 22), kPanel, skin::kMainWindowRadio);
    AddTitle(table, skin::kMainWindowTitle, 765, 765, Words{nullptr, 103});

    // The title-bar buttons; only the disabled close picture is wider. A window shows the
    // disabled pictures while it is inactive, so they sit on the inactive band.
    AddStates(table, OnlyActive(skin::kTitleCloseButton),
              Plain(Kind::BarClose, QSize(20, 21), kBandActive));
    AddStates(table, OnlyDisabled(skin::kTitleCloseButton),
              Plain(Kind::BarClose, QSize(22, 21), kBandInactive));
    AddStates(table, OnlyActive(skin::kTitleMinimiseButton),
              Plain(Kind::BarMinimise, QSize(20, 21), kBandActive));
    AddStates(table, OnlyDisabled(skin::kTitleMinimiseButton),
              Plain(Kind::BarMinimise, QSize(20, 21), kBandInactive));

    // The dialogs on white.
    AddStates(table, {skin::kOkButton.normal, skin::kOkButton.pressed, 0, 0},
              Button(QSize(95, 28), kWhite, "button.ok"));
    AddStates(table, {0, 0, skin::kOkButton.hover, skin::kOkButton.disabled},
              Button(narrow, kWhite, "button.ok"));
    AddStates(table, skin::kCancelButton, Button(narrow, kWhite, "button.cancel"));
    AddStates(table, skin::kStopButton, Button(narrow, kWhite, "button.stop"));
    AddStates(table, skin::kOverwriteButton, Button(narrow, kWhite, "button.overwrite"));
    AddStates(table, skin::kNoButton, Button(narrow, kWhite, "button.no"));
    AddStates(table, skin::kOverwriteAllButton, Button(narrow, kWhite, "button.overwrite_all"));
    AddStates(table, skin::kSaveNextButton, Button(narrow, kWhite, "button.save_next"));
    AddStates(table, skin::kBreakButton, Button(narrow, kWhite, "button.break"));
    AddToggle(table, Kind::Radio, QSize(22, 22), kWhite, skin::kPlacementRadio);

    AddTitle(table, skin::kAboutTitle, 446, 445, Words{nullptr, 102});
    AddTitle(table, skin::kMessageBoxTitle, 345, 345, Words{nullptr, 103});
    AddTitle(table, skin::kDestinationTitle, 392, 392, Words{"destination.title"});
    AddTitle(table, skin::kPlacementTitle, 327, 327, Words{"placement.title"});
    AddTitle(table, skin::kOverwriteBoxTitle, 532, 532, Words{nullptr, 103});

    // Preferences.
    AddTitle(table, skin::kPreferencesTitle, 259, 259, Words{"preferences.title"});
    AddToggle(table, Kind::Check, QSize(18, 18), kPanel, skin::kPreferencesCheck);

    // The convert dialog.
    AddTitle(table, skin::kConvertTitle, 765, 765, Words{"convert.title"});
    AddStates(table, skin::kPreviousButton, Button(step, kPanel, "button.previous"));
    AddStates(table, skin::kNextButton, Button(step, kPanel, "button.next"));
    AddStates(table, skin::kSaveButton, Button(wide, kPanel, "button.save"));
    AddStates(table, skin::kSaveAllButton, Button(wide, kPanel, "button.save_all"));
    AddStates(table, skin::kEjectButton, Button(wide, kPanel, "eject.button"));

    // Panels behind groups of controls.
    const std::pair<int, int> panels[] = {{267, 168}, {268, 157}, {269, 88},
                                          {270, 88},  {271, 76},  {272, 163}};
    for (const auto& [id, height] : panels)
        table.insert(id, Plain(Kind::Panel, QSize(230, height)));
    return table;
}

const Table& Pictures() {
    static const Table table = BuildTable();
    return table;
}

QString TextOf(const Words& words, Language language) {
    if (words.textId != 0) return Messages::Load(words.textId, language);
    if (words.key == nullptr) return QString();
    return UiTexts::Text(words.key, language);
}

// ---- Text ----------------------------------------------------------------------------------

QFont SkinFont(int pixelSize, bool bold) {
    QFont font(QStringLiteral("Noto Sans CJK JP"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

// Long captions (the companion button, Japanese on narrow buttons) shrink rather than clip.
QFont FittedFont(const QString& text, int pixelSize, qreal maxWidth, bool bold) {
    QFont font = SkinFont(pixelSize, bold);
    while (font.pixelSize() > 8 && QFontMetricsF(font).horizontalAdvance(text) > maxWidth)
        font.setPixelSize(font.pixelSize() - 1);
    return font;
}

// Whole pixels of the device keep strokes sharp; at a ratio of 1.5 every other whole logical
// pixel falls between two of them.
qreal OnDevicePixel(const QPainter& painter, qreal logical) {
    const qreal ratio = painter.device()->devicePixelRatio();
    return std::round(logical * ratio) / ratio;
}

// Centres on the cap height rather than the line box: the CJK font's line box is tall and
// deep, which would push Latin captions visibly off centre. Kana and kanji sit on nearly the
// same middle, so both languages line up.
QPointF CentredBaseline(const QPainter& painter, const QRectF& box, const QString& text,
                        const QFont& font) {
    const QFontMetricsF metrics(font);
    const qreal x = box.center().x() - metrics.horizontalAdvance(text) / 2;
    const qreal y = box.center().y() + metrics.capHeight() / 2;
    return QPointF(OnDevicePixel(painter, x), OnDevicePixel(painter, y));
}

void DrawTextAt(QPainter& painter, QPointF baseline, const QString& text, const QFont& font,
                const QColor& colour, const QColor& shadow) {
    painter.setFont(font);
    if (shadow.alpha() > 0) {
        painter.setPen(shadow);
        painter.drawText(baseline + QPointF(0, 1), text);
    }
    painter.setPen(colour);
    painter.drawText(baseline, text);
}

// ---- Buttons -------------------------------------------------------------------------------

struct ButtonColours {
    QColor top;
    QColor bottom;
    QColor border;
    QColor text;
    QColor shadow;
};

ButtonColours ColoursOf(Tone tone, State state) {
    if (state == State::Disabled)
        return {QColor(232, 236, 241), QColor(212, 219, 228), QColor(184, 193, 205),
                QColor(146, 156, 171), Qt::transparent};
    if (tone == Tone::Accent) {
        switch (state) {
            case State::Hover:
                return {QColor(255, 184, 140), QColor(250, 138, 80), QColor(222, 110, 52),
                        Qt::white, QColor(150, 56, 6, 150)};
            case State::Pressed:
                return {QColor(200, 88, 36), QColor(230, 116, 60), QColor(150, 58, 16),
                        QColor(255, 240, 230), QColor(110, 40, 0, 120)};
            default:
                return {QColor(253, 166, 120), QColor(240, 118, 60), QColor(204, 92, 38), Qt::white,
                        QColor(140, 50, 0, 120)};
        }
    }
    switch (state) {
        case State::Hover:
            return {QColor(106, 172, 242), QColor(52, 122, 214), QColor(36, 98, 190), Qt::white,
                    QColor(0, 30, 90, 110)};
        case State::Pressed:
            return {QColor(18, 56, 120), QColor(34, 86, 164), QColor(4, 28, 76),
                    QColor(222, 234, 250), QColor(0, 10, 40, 120)};
        default:
            return {QColor(76, 144, 226), QColor(34, 92, 180), QColor(22, 68, 146), Qt::white,
                    QColor(0, 24, 72, 100)};
    }
}

QRectF Inset(QSize size) {
    return QRectF(0.5, 0.5, size.width() - 1, size.height() - 1);
}

// The rounded body every button shares: gradient, outline, a gloss along the upper edge
// when raised, a shadow inside the upper edge when pressed.
void DrawButtonBody(QPainter& painter, const QRectF& body, qreal radius, Tone tone, State state) {
    const ButtonColours colours = ColoursOf(tone, state);
    QLinearGradient fill(body.topLeft(), body.bottomLeft());
    fill.setColorAt(0, colours.top);
    fill.setColorAt(1, colours.bottom);
    painter.setPen(QPen(colours.border, 1));
    painter.setBrush(fill);
    painter.drawRoundedRect(body, radius, radius);

    const QRectF inner = body.adjusted(1, 1, -1, -1);
    QPainterPath innerPath;
    innerPath.addRoundedRect(inner, radius - 1, radius - 1);
    painter.setBrush(Qt::NoBrush);
    if (state == State::Pressed) {
        painter.save();
        painter.setClipPath(innerPath);
        painter.setPen(QPen(QColor(0, 0, 20, 110), 1));
        painter.drawLine(QPointF(inner.left(), inner.top()), QPointF(inner.right(), inner.top()));
        painter.setPen(QPen(QColor(0, 0, 20, 45), 1));
        painter.drawLine(QPointF(inner.left(), inner.top() + 1),
                         QPointF(inner.right(), inner.top() + 1));
        painter.restore();
    } else if (state != State::Disabled) {
        QLinearGradient gloss(inner.topLeft(), inner.bottomLeft());
        gloss.setColorAt(0, QColor(255, 255, 255, state == State::Hover ? 130 : 95));
        gloss.setColorAt(0.5, QColor(255, 255, 255, 0));
        painter.setPen(QPen(QBrush(gloss), 1));
        painter.drawPath(innerPath);
    }
}

void DrawCaptionButton(QPainter& painter, QSize size, const Picture& picture,
                       const QString& caption) {
    const QRectF body = Inset(size);
    DrawButtonBody(painter, body, 5, picture.tone, picture.state);
    const ButtonColours colours = ColoursOf(picture.tone, picture.state);
    const int pixelSize = qRound(size.height() * 0.44);
    const QFont font = FittedFont(caption, pixelSize, body.width() - 12, true);
    QPointF baseline = CentredBaseline(painter, body, caption, font);
    if (picture.state == State::Pressed) baseline += QPointF(1, 1);
    DrawTextAt(painter, baseline, caption, font, colours.text, colours.shadow);
}

void DrawFolderGlyph(QPainter& painter, QPointF origin, State state) {
    QColor back(236, 178, 62);
    QColor front(255, 212, 110);
    QColor edge(176, 120, 20);
    if (state == State::Hover) {
        back = QColor(246, 192, 78);
        front = QColor(255, 226, 140);
    } else if (state == State::Disabled) {
        back = QColor(186, 194, 205);
        front = QColor(206, 213, 222);
        edge = QColor(164, 173, 186);
    }
    // A 13 x 10 folder: tab and back, then the front leaf lower down.
    painter.setPen(QPen(edge, 1));
    QPainterPath backPath;
    backPath.moveTo(origin + QPointF(0.5, 1.5));
    backPath.lineTo(origin + QPointF(4.5, 1.5));
    backPath.lineTo(origin + QPointF(5.5, 2.5));
    backPath.lineTo(origin + QPointF(12.5, 2.5));
    backPath.lineTo(origin + QPointF(12.5, 10.5));
    backPath.lineTo(origin + QPointF(0.5, 10.5));
    backPath.closeSubpath();
    painter.setBrush(back);
    painter.drawPath(backPath);
    painter.setBrush(front);
    painter.drawRect(QRectF(origin + QPointF(0.5, 4.5), QSizeF(12, 6)));
}

void DrawFolderButton(QPainter& painter, QSize size, const Picture& picture) {
    DrawButtonBody(painter, Inset(size), 4, Tone::Blue, picture.state);
    QPointF origin((size.width() - 13) / 2, (size.height() - 11) / 2);
    if (picture.state == State::Pressed) origin += QPointF(1, 1);
    DrawFolderGlyph(painter, origin, picture.state);
}

// ---- Radios and boxes ----------------------------------------------------------------------

// The halo that marks the hovered radio or box, in the light edge colour.
QColor Halo() {
    QColor halo(kLightEdge);
    halo.setAlpha(150);
    return halo;
}

void DrawRadio(QPainter& painter, QSize size, const Picture& picture) {
    const QPointF centre(size.width() / 2.0, size.height() / 2.0);
    const bool disabled = picture.state == State::Disabled;
    const bool hover = picture.state == State::Hover;
    if (hover) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(Halo());
        painter.drawEllipse(centre, 10.5, 10.5);
    }
    QColor ring = picture.on ? QColor(34, 92, 180) : QColor(92, 124, 168);
    QColor face = Qt::white;
    if (hover) {
        ring = QColor(40, 120, 214);
        face = QColor(242, 249, 255);
    } else if (disabled) {
        ring = QColor(180, 189, 201);
        face = QColor(236, 239, 243);
    }
    painter.setPen(QPen(ring, 1.4));
    painter.setBrush(face);
    painter.drawEllipse(centre, 7.3, 7.3);
    if (!picture.on) return;
    QRadialGradient dot(centre - QPointF(1.2, 1.5), 6);
    if (disabled) {
        dot.setColorAt(0, QColor(190, 198, 208));
        dot.setColorAt(1, QColor(170, 179, 192));
    } else if (hover) {
        dot.setColorAt(0, QColor(120, 186, 248));
        dot.setColorAt(1, QColor(40, 120, 214));
    } else {
        dot.setColorAt(0, QColor(84, 152, 232));
        dot.setColorAt(1, QColor(22, 76, 160));
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(dot);
    painter.drawEllipse(centre, 4.2, 4.2);
}

void DrawCheck(QPainter& painter, QSize size, const Picture& picture) {
    const bool disabled = picture.state == State::Disabled;
    const bool hover = picture.state == State::Hover;
    if (hover) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(Halo());
        painter.drawRoundedRect(QRectF(0, 0, size.width(), size.height()), 5, 5);
    }
    const QRectF box(2.5, 2.5, size.width() - 5, size.height() - 5);
    if (picture.on) {
        QLinearGradient fill(box.topLeft(), box.bottomLeft());
        if (disabled) {
            fill.setColorAt(0, QColor(204, 211, 221));
            fill.setColorAt(1, QColor(188, 196, 208));
            painter.setPen(QPen(QColor(176, 185, 198), 1));
        } else {
            fill.setColorAt(0, hover ? QColor(118, 182, 246) : QColor(76, 144, 226));
            fill.setColorAt(1, hover ? QColor(50, 122, 214) : QColor(30, 86, 172));
            painter.setPen(QPen(hover ? QColor(40, 104, 196) : QColor(22, 68, 146), 1));
        }
        painter.setBrush(fill);
        painter.drawRoundedRect(box, 3, 3);
        QPen tick(disabled ? QColor(244, 246, 249) : QColor(Qt::white), 2);
        tick.setCapStyle(Qt::RoundCap);
        tick.setJoinStyle(Qt::RoundJoin);
        painter.setPen(tick);
        painter.setBrush(Qt::NoBrush);
        const QPointF points[] = {{5.6, 9.2}, {8.0, 11.6}, {12.6, 6.4}};
        painter.drawPolyline(points, 3);
        return;
    }
    QColor border(92, 124, 168);
    QColor face = Qt::white;
    if (hover) {
        border = QColor(40, 120, 214);
        face = QColor(242, 249, 255);
    } else if (disabled) {
        border = QColor(184, 193, 205);
        face = QColor(236, 239, 243);
    }
    painter.setPen(QPen(border, 1));
    painter.setBrush(face);
    painter.drawRoundedRect(box, 3, 3);
}

// ---- Title bands and their buttons ---------------------------------------------------------

// Room the windows keep: the program mark on the left, two title-bar buttons on the right.
constexpr int kTitleTextLeft = 28;
constexpr int kTitleButtonsRoom = 56;

void DrawTitle(QPainter& painter, QSize size, const Picture& picture, const QString& title) {
    const int width = size.width();
    const int height = size.height();
    // Lighter at the left, flat from before the title-bar buttons on.
    QLinearGradient band(0, 0, width, 0);
    band.setColorAt(0, QColor(picture.on ? kBandActiveLight : kBandInactiveLight));
    band.setColorAt(qreal(width - kTitleButtonsRoom - 8) / width,
                    QColor(picture.on ? kBandActive : kBandInactive));
    band.setColorAt(1, QColor(picture.on ? kBandActive : kBandInactive));
    painter.fillRect(QRect(QPoint(0, 0), size), band);
    painter.fillRect(QRect(0, 0, width, 1), QColor(255, 255, 255, picture.on ? 40 : 60));
    painter.fillRect(QRect(0, height - 1, width, 1),
                     picture.on ? QColor(kLightEdge) : QColor(186, 194, 205));

    const qreal room = width - kTitleTextLeft - kTitleButtonsRoom;
    QFont font = FittedFont(title, 13, room, true);
    const QString shown = QFontMetricsF(font).elidedText(title, Qt::ElideRight, room);
    QPointF baseline = CentredBaseline(painter, QRectF(0, 0, width, height - 1), shown, font);
    baseline.setX(kTitleTextLeft);
    DrawTextAt(painter, baseline, shown, font,
               picture.on ? QColor(Qt::white) : QColor(238, 241, 245),
               picture.on ? QColor(0, 0, 0, 90) : QColor(80, 90, 105, 90));
}

void DrawBarButton(QPainter& painter, QSize size, const Picture& picture) {
    const bool close = picture.kind == Kind::BarClose;
    const QRectF face = Inset(size);
    QColor glyph(210, 224, 242);
    switch (picture.state) {
        case State::Hover:
            painter.setPen(Qt::NoPen);
            painter.setBrush(close ? QColor(222, 72, 72) : QColor(44, 82, 148));
            painter.drawRoundedRect(face, 3, 3);
            glyph = Qt::white;
            break;
        case State::Pressed:
            painter.setPen(QPen(QColor(0, 6, 24), 1));
            painter.setBrush(close ? QColor(164, 36, 40) : QColor(2, 14, 42));
            painter.drawRoundedRect(face, 3, 3);
            glyph = QColor(228, 234, 244);
            break;
        case State::Disabled:
            glyph = QColor(196, 204, 215);
            break;
        case State::Normal:
            break;
    }
    QPointF centre(size.width() / 2.0, size.height() / 2.0);
    if (picture.state == State::Pressed) centre += QPointF(1, 1);
    QPen pen(glyph, close ? 1.6 : 2);
    pen.setCapStyle(close ? Qt::RoundCap : Qt::FlatCap);
    painter.setPen(pen);
    if (close) {
        painter.drawLine(centre + QPointF(-4, -4), centre + QPointF(4, 4));
        painter.drawLine(centre + QPointF(-4, 4), centre + QPointF(4, -4));
    } else {
        // On whole pixels so the bar stays two sharp rows.
        const qreal y = std::floor(centre.y()) + 4;
        painter.drawLine(QPointF(std::floor(centre.x()) - 5, y),
                         QPointF(std::floor(centre.x()) + 5, y));
    }
}

// ---- Panels --------------------------------------------------------------------------------

void DrawPanel(QPainter& painter, QSize size) {
    const QRectF body = Inset(size);
    painter.setPen(QPen(QColor(kLightEdge), 1));
    painter.setBrush(QColor(kPanel));
    painter.drawRoundedRect(body, 8, 8);
    // A faint bright rim inside the border keeps the panel soft; the middle stays the exact
    // panel colour the buttons and radios on it are filled with.
    painter.setPen(QPen(QColor(255, 255, 255, 150), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(body.adjusted(1, 1, -1, -1), 7, 7);
}

// ---- The mark and the splash ---------------------------------------------------------------

// A memory card standing upright in rect: the cut corner at the top right, the contacts
// along the top when there is room for them.
void DrawCard(QPainter& painter, const QRectF& rect, qreal unit) {
    const qreal cut = rect.width() * 0.3;
    QPainterPath card;
    card.moveTo(rect.topLeft());
    card.lineTo(rect.right() - cut, rect.top());
    card.lineTo(rect.right(), rect.top() + cut);
    card.lineTo(rect.bottomRight());
    card.lineTo(rect.bottomLeft());
    card.closeSubpath();
    QLinearGradient fill(rect.topLeft(), rect.bottomRight());
    fill.setColorAt(0, QColor(255, 170, 124));
    fill.setColorAt(1, QColor(kAccent).darker(112));
    painter.setPen(QPen(QColor(150, 62, 20), std::max(0.6, unit * 0.8)));
    painter.setBrush(fill);
    painter.drawPath(card);
    if (rect.width() < 8) return;
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 236, 170));
    const qreal contactWidth = (rect.width() - cut - unit * 2) / 3;
    for (int i = 0; i < 3; ++i)
        painter.drawRect(QRectF(rect.left() + unit * 1.2 + i * contactWidth,
                                rect.top() + unit * 1.2, contactWidth * 0.6, rect.height() * 0.2));
    painter.setBrush(QColor(255, 255, 255, 200));
    painter.drawRoundedRect(
        QRectF(rect.left() + rect.width() * 0.16, rect.top() + rect.height() * 0.5,
               rect.width() * 0.68, rect.height() * 0.34),
        unit, unit);
}

// A projector seen from the front-left: the body in body, its lens on the right face.
void DrawProjector(QPainter& painter, const QRectF& body, qreal unit, QPointF lens,
                   qreal lensRadius) {
    QLinearGradient fill(body.topLeft(), body.bottomLeft());
    fill.setColorAt(0, QColor(246, 249, 253));
    fill.setColorAt(1, QColor(190, 204, 222));
    painter.setPen(QPen(QColor(kDark), std::max(0.6, unit * 0.7)));
    painter.setBrush(fill);
    painter.drawRoundedRect(body, body.height() * 0.25, body.height() * 0.25);
    if (body.width() > 30) {
        painter.setPen(QPen(QColor(150, 166, 190), unit));
        for (int i = 0; i < 3; ++i) {
            const qreal x = body.left() + body.width() * 0.14 + i * unit * 3;
            painter.drawLine(QPointF(x, body.top() + body.height() * 0.3),
                             QPointF(x, body.bottom() - body.height() * 0.3));
        }
    }
    QRadialGradient glass(lens - QPointF(lensRadius * 0.3, lensRadius * 0.3), lensRadius);
    glass.setColorAt(0, QColor(200, 250, 255));
    glass.setColorAt(0.45, QColor(kLightEdge));
    glass.setColorAt(1, QColor(20, 80, 140));
    painter.setPen(QPen(QColor(kDark), std::max(0.8, unit * 1.2)));
    painter.setBrush(glass);
    painter.drawEllipse(lens, lensRadius, lensRadius);
}

void DrawBeam(QPainter& painter, QPointF from, const QPolygonF& onto, QPointF towards,
              int alphaNear, int alphaFar) {
    QPolygonF beam;
    beam << from;
    for (const QPointF& point : onto) beam << point;
    QLinearGradient light(from, towards);
    QColor nearLight(kLightEdge);
    nearLight.setAlpha(alphaNear);
    QColor farLight(kLightEdge);
    farLight.setAlpha(alphaFar);
    light.setColorAt(0, nearLight);
    light.setColorAt(1, farLight);
    painter.setPen(Qt::NoPen);
    painter.setBrush(light);
    painter.drawPolygon(beam);
}

// The program mark in a square of side size: a projector throwing light up to the right and
// a memory card in front of it, on a dark blue tile. Laid out on a 32-unit grid.
void DrawMark(QPainter& painter, qreal size) {
    const qreal u = size / 32.0;
    QLinearGradient tile(0, 0, 0, size);
    tile.setColorAt(0, QColor(30, 86, 158));
    tile.setColorAt(1, QColor(kDark));
    painter.setPen(Qt::NoPen);
    painter.setBrush(tile);
    painter.drawRoundedRect(QRectF(u, u, 30 * u, 30 * u), 7 * u, 7 * u);

    const QPointF lens(14 * u, 15.5 * u);
    QPolygonF onto;
    onto << QPointF(24 * u, 3.5 * u) << QPointF(29.5 * u, 4 * u) << QPointF(29.5 * u, 11 * u);
    DrawBeam(painter, lens, onto, QPointF(29 * u, 6 * u), 220, 60);
    DrawProjector(painter, QRectF(3.5 * u, 11 * u, 15 * u, 9.5 * u), u, lens, 3.4 * u);
    DrawCard(painter, QRectF(19 * u, 17 * u, 9.5 * u, 12 * u), u);
}

void DrawSplash(QPainter& painter, QSize size, Language language) {
    const qreal width = size.width();
    const qreal height = size.height();
    QLinearGradient sky(0, 0, width, height);
    sky.setColorAt(0, QColor(kDark));
    sky.setColorAt(0.55, QColor(16, 70, 136));
    sky.setColorAt(1, QColor(34, 124, 178));
    painter.fillRect(QRect(QPoint(0, 0), size), sky);
    QRadialGradient glow(QPointF(width * 0.8, height * 0.35), width * 0.42);
    glow.setColorAt(0, QColor(148, 224, 233, 70));
    glow.setColorAt(1, QColor(148, 224, 233, 0));
    painter.fillRect(QRect(QPoint(0, 0), size), glow);

    // The screen with a picture on it: sky, sun, two hills.
    const QRectF screen(424, 30, 132, 90);
    const QPointF lens(401, 186);
    DrawBeam(painter, lens,
             QPolygonF() << screen.topLeft() << screen.topRight() << screen.bottomRight(),
             screen.center(), 150, 40);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(40, 52, 72));
    painter.drawRoundedRect(QRectF(screen.left() - 6, screen.top() - 7, screen.width() + 12, 5), 2,
                            2);
    painter.setBrush(Qt::white);
    painter.drawRect(screen.adjusted(-3, -3, 3, 3));
    painter.save();
    painter.setClipRect(screen);
    QLinearGradient picture(screen.topLeft(), screen.bottomLeft());
    picture.setColorAt(0, QColor(120, 196, 240));
    picture.setColorAt(1, QColor(214, 240, 250));
    painter.fillRect(screen, picture);
    painter.setBrush(QColor(255, 200, 90));
    painter.drawEllipse(QPointF(screen.right() - 28, screen.top() + 24), 11, 11);
    QPainterPath farHill;
    farHill.moveTo(screen.left(), screen.bottom() - 22);
    farHill.quadTo(screen.left() + 40, screen.top() + 30, screen.left() + 86, screen.bottom() - 18);
    farHill.lineTo(screen.right(), screen.bottom());
    farHill.lineTo(screen.left(), screen.bottom());
    painter.setBrush(QColor(96, 170, 120));
    painter.drawPath(farHill);
    QPainterPath nearHill;
    nearHill.moveTo(screen.left() + 30, screen.bottom());
    nearHill.quadTo(screen.left() + 96, screen.top() + 40, screen.right(), screen.bottom() - 10);
    nearHill.lineTo(screen.right(), screen.bottom());
    painter.setBrush(QColor(58, 136, 96));
    painter.drawPath(nearHill);
    painter.restore();

    // The projector on the table, with a card beside it.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 10, 30, 70));
    painter.drawEllipse(QRectF(330, 206, 104, 12));
    DrawProjector(painter, QRectF(334, 164, 92, 46), 2.2, lens, 15);
    painter.save();
    painter.translate(486, 150);
    painter.rotate(10);
    DrawCard(painter, QRectF(0, 0, 44, 58), 2.2);
    painter.restore();

    // The words, on the left.
    const qreal room = 280;
    const QString name = QStringLiteral("Vimbrelcastor");
    const QFont nameFont = FittedFont(name, 44, room, true);
    DrawTextAt(painter, QPointF(30, 96), name, nameFont, Qt::white, QColor(0, 0, 30, 110));
    const QString version = QStringLiteral("ver " VC_VERSION_TEXT);
    DrawTextAt(painter, QPointF(33, 126), version, SkinFont(18, false), QColor(kLightEdge),
               Qt::transparent);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(kAccent));
    painter.drawRoundedRect(QRectF(33, 148, 44, 4), 2, 2);
    const QString tagLine = language == Language::Japanese
                                ? QString::fromUtf8("プロジェクター用の静止画を準備します")
                                : QStringLiteral("Still images for your projector");
    DrawTextAt(painter, QPointF(33, 186), tagLine, FittedFont(tagLine, 16, room, false),
               QColor(236, 244, 252), Qt::transparent);
}

// ---- Drawing and the cache -----------------------------------------------------------------

// A picture of size (logical pixels) at a device pixel ratio: whole pixels covering it.
QSize PixelSize(QSize size, qreal ratio) {
    return QSize(qCeil(size.width() * ratio), qCeil(size.height() * ratio));
}

// Drawn straight at the ratio: the painter works in logical pixels and the device turns every
// stroke, gradient and glyph into as many pixels as the screen has.
QImage Draw(const Picture& picture, Language language, qreal ratio) {
    QImage image(PixelSize(picture.size, ratio), QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(picture.ground);
    QPainter painter(&image);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                           QPainter::SmoothPixmapTransform);
    const QSize size = picture.size;
    switch (picture.kind) {
        case Kind::Button:
            DrawCaptionButton(painter, size, picture, TextOf(picture.words, language));
            break;
        case Kind::Folder:
            DrawFolderButton(painter, size, picture);
            break;
        case Kind::Radio:
            DrawRadio(painter, size, picture);
            break;
        case Kind::Check:
            DrawCheck(painter, size, picture);
            break;
        case Kind::Title:
            DrawTitle(painter, size, picture, TextOf(picture.words, language));
            break;
        case Kind::BarClose:
        case Kind::BarMinimise:
            DrawBarButton(painter, size, picture);
            break;
        case Kind::Panel:
            DrawPanel(painter, size);
            break;
        case Kind::Splash:
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
QString OverrideFile(int id, bool hasWords, Language language, int fileRatio) {
    const QString ratio = fileRatio == 1 ? QString() : QStringLiteral("@%1x").arg(fileRatio);
    if (language == Language::Japanese) {
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
QImage Override(int id, const Picture& picture, Language language, qreal ratio) {
    const bool hasWords = picture.words.Any() || picture.kind == Kind::Splash;
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
    Language language;
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

QPixmap Bitmap(int id, qreal ratio) {
    return Bitmap(id, Messages::CurrentLanguage(), ratio);
}

QPixmap Bitmap(int id, Messages::Language language, qreal ratio) {
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

QString Words(int id) {
    const auto it = Pictures().constFind(id);
    return it == Pictures().constEnd() ? QString() : TextOf(it->words, Messages::CurrentLanguage());
}

QSize SizeOf(int id) {
    const auto it = Pictures().constFind(id);
    return it == Pictures().constEnd() ? QSize() : it->size;
}

QList<int> AllIds() {
    QList<int> ids = Pictures().keys();
    std::sort(ids.begin(), ids.end());
    return ids;
}

QIcon ProgramIcon() {
    Cache& cache = TheCache();
    if (cache.icon.isNull()) {
        for (int size : {16, 32, 48, 64, 128, 256})
            cache.icon.addPixmap(MarkPixmap(size, 0, false));
    }
    return cache.icon;
}

QPixmap CornerMark(qreal ratio) {
    QPixmap& corner = TheCache().corners[ratio];
    // Painted on the main window's white, so it is as opaque as the other pictures.
    if (corner.isNull()) corner = MarkPixmap(32, kWhite, true, ratio);
    return corner;
}

}  // namespace SkinArt
