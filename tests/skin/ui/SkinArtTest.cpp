#include "skin/ui/SkinArt.h"

#include <QImage>
#include <QMap>
#include <QSet>
#include <QtTest>

namespace {

using Messages::Language;

constexpr Language kLanguages[] = {Language::English, Language::Japanese};

// The size of every picture the windows name, as their layouts expect it.
const QMap<int, QSize>& ExpectedSizes() {
    static const QMap<int, QSize> sizes = [] {
        QMap<int, QSize> table{
            {131, {580, 258}},                    // splash
            {164, {446, 26}},  {165, {445, 26}},  // about title
            {166, {95, 28}},   {168, {95, 28}},   // OK, pressed and normal
            {167, {95, 29}},   {169, {95, 29}},   // OK, hover and disabled
            {188, {22, 21}},                      // disabled close
            {155, {23, 19}},   {156, {23, 19}},  {157, {23, 19}}, {158, {23, 19}},  // folder
        };
        for (int id : {138, 139, 140, 141, 142, 143, 144, 145, 146, 147,  // import, convert
                       219, 220, 221, 222, 223, 224, 225, 226})           // save, save all
            table.insert(id, {124, 29});
        for (int id : {159, 160, 161}) table.insert(id, {215, 29});
        for (int id : {149, 150, 151, 152, 153, 154, 234, 236, 237, 238, 239, 240})
            table.insert(id, {22, 22});
        for (int id :
             {172, 173, 174, 175, 176, 177, 178, 179, 229, 230, 231, 232, 242, 243, 244, 245,
              246, 247, 248, 249, 250, 254, 255, 256, 257, 258, 259, 260, 261, 262, 263, 264})
            table.insert(id, {95, 29});
        for (int id : {170, 171, 209, 210}) table.insert(id, {765, 26});
        for (int id : {181, 182}) table.insert(id, {345, 26});
        for (int id : {183, 184}) table.insert(id, {392, 26});
        for (int id : {185, 186}) table.insert(id, {327, 26});
        for (int id : {198, 199}) table.insert(id, {259, 26});
        for (int id : {265, 266}) table.insert(id, {532, 26});
        for (int id : {187, 189, 190, 191, 192, 193, 194}) table.insert(id, {20, 21});
        for (int id : {200, 201, 202, 203, 204, 205}) table.insert(id, {18, 18});
        for (int id : {211, 212, 213, 215, 216, 217, 218, 228}) table.insert(id, {108, 29});
        table.insert(267, {230, 168});
        table.insert(268, {230, 157});
        table.insert(269, {230, 88});
        table.insert(270, {230, 88});
        table.insert(271, {230, 76});
        table.insert(272, {230, 163});
        return table;
    }();
    return sizes;
}

QImage ImageOf(int id, Language language = Language::English) {
    return SkinArt::Bitmap(id, language).toImage().convertToFormat(QImage::Format_RGB32);
}

// Nothing behind a picture may show through it.
bool Opaque(const QImage& picture) {
    const QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(image.pixel(x, y)) != 255) return false;
        }
    }
    return true;
}

QByteArray Name(int id) {
    return QByteArray::number(id);
}

}  // namespace

class SkinArtTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyPictureExistsAtItsSizeInBothLanguages() {
        const QList<int> ids = SkinArt::AllIds();
        QCOMPARE(QSet<int>(ids.begin(), ids.end()),
                 QSet<int>(ExpectedSizes().keyBegin(), ExpectedSizes().keyEnd()));
        for (auto it = ExpectedSizes().begin(); it != ExpectedSizes().end(); ++it) {
            QCOMPARE(SkinArt::SizeOf(it.key()), it.value());
            for (Language language : kLanguages) {
                const QPixmap pixmap = SkinArt::Bitmap(it.key(), language);
                QVERIFY2(!pixmap.isNull(), Name(it.key()));
                QCOMPARE(pixmap.size(), it.value());
                QCOMPARE(pixmap.devicePixelRatio(), 1.0);
                QVERIFY2(Opaque(pixmap.toImage()), Name(it.key()));
            }
        }
    }

    void unknownIdsHaveNoPicture() {
        for (int id : {0, -1, 130, 132, 180, 227, 251, 273, 10000}) {
            QVERIFY2(SkinArt::Bitmap(id).isNull(), Name(id));
            QVERIFY2(SkinArt::Bitmap(id, Language::Japanese).isNull(), Name(id));
            QVERIFY2(!SkinArt::SizeOf(id).isValid(), Name(id));
        }
    }

    void everyStateOfAButtonLooksDifferent() {
        struct Case {
            const char* what;
            int normal, pressed, hover, disabled;  // 0: the button has no such picture
        } const cases[] = {
            {"import slide", 140, 138, 139, 141},
            {"import file", 142, 144, 143, 0},
            {"convert", 147, 145, 146, 0},
            {"companion", 161, 159, 160, 0},
            {"folder", 157, 158, 156, 155},
            {"cancel", 174, 175, 173, 172},
            {"close", 178, 176, 177, 179},
            {"title-bar close", 189, 187, 190, 0},
            {"minimise", 193, 191, 194, 192},
            {"prev", 217, 215, 216, 218},
            {"next", 213, 211, 212, 228},
            {"save all", 221, 219, 220, 222},
            {"stop", 231, 229, 230, 232},
            {"overwrite all", 255, 250, 254, 256},
            {"main radio on", 152, 0, 149, 154},
            {"main radio off", 150, 0, 151, 153},
            {"box on", 204, 0, 203, 200},
            {"box off", 201, 0, 205, 202},
            {"placement radio on", 239, 0, 238, 240},
            {"placement radio off", 236, 0, 234, 237},
        };
        for (const Case& c : cases) {
            for (Language language : kLanguages) {
                QList<QImage> states;
                for (int id : {c.normal, c.pressed, c.hover, c.disabled}) {
                    if (id != 0) states.append(ImageOf(id, language));
                }
                for (int i = 0; i < states.size(); ++i) {
                    for (int j = i + 1; j < states.size(); ++j)
                        QVERIFY2(states[i] != states[j], c.what);
                }
            }
        }
    }

    void checkedAndUncheckedDiffer() {
        const std::pair<int, int> pairs[] = {{152, 150}, {149, 151}, {154, 153},
                                             {204, 201}, {203, 205}, {200, 202},
                                             {239, 236}, {238, 234}, {240, 237}};
        for (const auto& [checked, unchecked] : pairs)
            QVERIFY2(ImageOf(checked) != ImageOf(unchecked), Name(checked));
    }

    void captionsFollowTheLanguageAndWordlessPicturesDoNot() {
        struct Case {
            int id;
            bool differs;
        } const cases[] = {
            {140, true},  {142, true},  {147, true},  {161, true},  {178, true},  {174, true},
            {217, true},  {213, true},  {221, true},  {231, true},  {263, true},  {248, true},
            {244, true},  {164, true},  {165, true},  {183, true},  {186, true},  {198, true},
            {209, true},  {131, true},  {168, false},  // "OK" in both
            {170, false},                              // the program name and version in both
            {152, false}, {150, false}, {239, false}, {204, false}, {201, false}, {157, false},
            {158, false}, {189, false}, {193, false}, {267, false}, {272, false},
        };
        for (const Case& c : cases) {
            const bool differs =
                ImageOf(c.id, Language::English) != ImageOf(c.id, Language::Japanese);
            QVERIFY2(differs == c.differs, Name(c.id));
        }
    }

    void bitmapWithoutALanguageUsesTheCurrentOne() {
        const Language before = Messages::CurrentLanguage();
        for (Language language : kLanguages) {
            Messages::SetLanguage(language);
            QCOMPARE(SkinArt::Bitmap(140).toImage().convertToFormat(QImage::Format_RGB32),
                     ImageOf(140, language));
        }
        Messages::SetLanguage(before);
    }

    void activeAndInactiveTitlesDiffer() {
        const std::pair<int, int> pairs[] = {{164, 165}, {170, 171}, {182, 181}, {183, 184},
                                             {186, 185}, {198, 199}, {209, 210}, {266, 265}};
        for (const auto& [active, inactive] : pairs) {
            for (Language language : kLanguages) {
                QImage a = ImageOf(active, language);
                QImage b = ImageOf(inactive, language);
                // The about pictures differ by a pixel in width; compare what both cover.
                const QRect common = a.rect() & b.rect();
                QVERIFY2(a.copy(common) != b.copy(common), Name(active));
            }
        }
    }

    void cornersShowWhatTheButtonSitsOn() {
        const QRgb panel = qRgb(223, 238, 248);
        const QRgb white = qRgb(255, 255, 255);
        struct Case {
            int id;
            QRgb ground;
        } const cases[] = {
            {140, panel}, {138, panel}, {147, panel}, {145, panel}, {161, panel}, {178, panel},
            {217, panel}, {225, panel}, {157, panel}, {152, panel}, {149, panel}, {204, panel},
            {203, panel}, {168, white}, {167, white}, {174, white}, {231, white}, {263, white},
            {244, white}, {259, white}, {239, white}, {236, white},
        };
        for (const Case& c : cases) {
            const QImage image = ImageOf(c.id);
            const QPoint corners[] = {{0, 0},
                                      {image.width() - 1, 0},
                                      {0, image.height() - 1},
                                      {image.width() - 1, image.height() - 1}};
            for (const QPoint& corner : corners)
                QVERIFY2(image.pixel(corner) == c.ground, Name(c.id));
        }
    }

    void titleBarButtonsBlendIntoTheirBand() {
        // They are painted at 28 and 48 pixels from the right of the band: the enabled pictures
        // on the active band, the disabled ones (shown while the window is inactive) on the
        // inactive band.
        const int bands[][2] = {{164, 165}, {170, 171}, {182, 181}, {183, 184},
                                {186, 185}, {198, 199}, {209, 210}, {266, 265}};
        for (const auto& [active, inactive] : bands) {
            for (const auto& [title, buttons] : {std::pair{active, QList<int>{189, 193}},
                                                 std::pair{inactive, QList<int>{188, 192}}}) {
                const QImage band = ImageOf(title);
                const QRgb behind = band.pixel(band.width() - 48, band.height() / 2);
                QVERIFY2(band.pixel(band.width() - 28, band.height() / 2) == behind, Name(title));
                for (int button : buttons) {
                    QVERIFY2(ImageOf(button).pixel(0, 0) == behind, Name(button));
                }
            }
        }
    }

    void programIconComesInTheUsualSizes() {
        const QIcon icon = SkinArt::ProgramIcon();
        QVERIFY(!icon.isNull());
        const QList<QSize> sizes = icon.availableSizes();
        for (int side : {16, 32, 48, 256})
            QVERIFY2(sizes.contains(QSize(side, side)), QByteArray::number(side));
        const QPixmap corner = SkinArt::CornerMark();
        QCOMPARE(corner.size(), QSize(32, 32));
        QCOMPARE(corner.devicePixelRatio(), 1.0);
    }
};

QTEST_MAIN(SkinArtTest)
#include "SkinArtTest.moc"
