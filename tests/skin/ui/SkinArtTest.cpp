#include "skin/ui/SkinArt.h"

#include <array>

#include <QImage>
#include <QSet>
#include <QTest>
#include <QtMath>

#include "skin/ui/SkinConstants.h"

namespace {

using Language = Messages::Language;

constexpr Language kLanguages[] = {Language::English, Language::Japanese};
constexpr qreal kRatios[] = {1, 1.5, 2};

QImage ImageOf(int id, Language language = Language::English, qreal ratio = 1) {
    return SkinArt::Bitmap(id, language, ratio).toImage().convertToFormat(QImage::Format_ARGB32);
}

// The mean square step between neighbouring pixels. A picture drawn at twice the pixels keeps
// each edge one step; a 1x picture enlarged smoothly spreads it over two half steps, which
// halves this.
double EdgeEnergy(const QImage& image) {
    double sum = 0;
    for (int y = 0; y + 1 < image.height(); ++y) {
        for (int x = 0; x + 1 < image.width(); ++x) {
            const int here = qGray(image.pixel(x, y));
            for (QRgb next : {image.pixel(x + 1, y), image.pixel(x, y + 1)}) {
                const int step = here - qGray(next);
                sum += step * step;
            }
        }
    }
    return sum / (double(image.width()) * image.height());
}

// Whether some 2 x 2 block of the picture holds two colours: none does in a 1x picture
// enlarged by doubling its pixels.
bool HasMixedBlocks(const QImage& image) {
    for (int y = 0; y + 1 < image.height(); y += 2) {
        for (int x = 0; x + 1 < image.width(); x += 2) {
            const QRgb corner = image.pixel(x, y);
            if (image.pixel(x + 1, y) != corner || image.pixel(x, y + 1) != corner ||
                image.pixel(x + 1, y + 1) != corner)
                return true;
        }
    }
    return false;
}

// The pictures the test's own skin overrides (tests/skin/ui/overrides).
const QSet<int> kOverridden = {269, 270};

QByteArray Name(int id) {
    return QByteArray::number(id);
}

}  // namespace

class SkinArtTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // A skin's PNG is made for one ratio and only ever shrunk; where no file serves a ratio, the
    // drawn picture (the panel colour in its middle) stands in.
    void overridesServeTheirRatioAndAreNeverEnlarged() {
        const QColor drawn(skin::kPanelBackground);
        const QColor file1x(255, 0, 255);
        const QColor file2x(0, 255, 0);
        const struct {
            const char* name;
            int id;
            qreal ratio;
            QColor middle;
        } rows[] = {
            {"1x_file_at_1x", 269, 1, file1x},
            {"1x_file_alone_at_2x_is_drawn", 269, 2, drawn},
            {"1x_file_beside_a_2x_file_at_1x", 270, 1, file1x},
            {"2x_file_at_2x", 270, 2, file2x},
            {"2x_file_shrunk_at_1.5x", 270, 1.5, file2x},
            {"2x_file_of_the_wrong_size_is_drawn_at_2x", 271, 2, drawn},
        };
        for (const auto& row : rows) {
            if (row.id == 271) {
                QTest::ignoreMessage(QtWarningMsg,
                                     ":/skin/271@2x.png is not 460x152 pixels; the drawn "
                                     "picture is shown");
            }
            const QPixmap pixmap = SkinArt::Bitmap(row.id, Language::English, row.ratio);
            QCOMPARE(pixmap.devicePixelRatio(), row.ratio);
            QCOMPARE(pixmap.deviceIndependentSize(), QSizeF(SkinArt::SizeOf(row.id)));
            const QImage image = pixmap.toImage();
            QVERIFY2(image.pixelColor(image.rect().center()) == row.middle, row.name);
        }
    }

    // At every ratio each picture keeps its size in logical pixels, has the ratio's pixels and
    // hides what is behind it. Whether it fits its place is the windows' tests'.
    void everyPictureHasTheRatiosPixelsAndIsOpaque() {
        for (int id : SkinArt::AllIds()) {
            const QSize size = SkinArt::SizeOf(id);
            for (qreal ratio : kRatios) {
                const QPixmap pixmap = SkinArt::Bitmap(id, Language::Japanese, ratio);
                QCOMPARE(pixmap.devicePixelRatio(), ratio);
                QCOMPARE(pixmap.size(),
                         QSize(qCeil(size.width() * ratio), qCeil(size.height() * ratio)));
                const QImage image = ImageOf(id, Language::Japanese, ratio);
                QVERIFY2(image == image.convertToFormat(QImage::Format_RGB32)
                                      .convertToFormat(QImage::Format_ARGB32),
                         Name(id));
            }
        }
        for (int id : {0, 130, 10000}) {
            QVERIFY2(SkinArt::Bitmap(id, Language::Japanese, 1).isNull(), Name(id));
            QVERIFY2(!SkinArt::SizeOf(id).isValid(), Name(id));
        }
    }

    // A 2x picture is drawn again with twice the pixels: it has the sharp edges that a smooth
    // enlargement of the 1x one lacks, and the finer steps (anti-aliased curves and glyphs)
    // that doubling its pixels cannot make.
    void picturesAt2xAreDrawnNotEnlarged() {
        // The minimise bar on a flat band is whole-pixel rectangles only: the same either way.
        const QSet<int> rectangles = {192, 193};
        for (int id : SkinArt::AllIds()) {
            if (kOverridden.contains(id)) continue;
            for (Language language : kLanguages) {
                const QImage one = ImageOf(id, language, 1);
                const QImage two = ImageOf(id, language, 2);
                const QImage enlarged =
                    one.scaled(two.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
                QVERIFY2(EdgeEnergy(two) > 2 * EdgeEnergy(enlarged), Name(id));
                if (!rectangles.contains(id)) QVERIFY2(HasMixedBlocks(two), Name(id));
            }
        }
    }

    // Every picture of one control (0: none) differs from its others, for one control of each
    // kind the art draws alike: a button's normal, pressed, hover and disabled states; a radio's
    // the same, checked and unchecked; a title band active and inactive (the about bands differ
    // by a pixel in width, so what both cover is compared).
    void everyStateOfAControlLooksDifferent() {
        const std::array<int, 6> controls[] = {
            {140, 138, 139, 141, 0, 0},     {147, 145, 146, 0, 0, 0},
            {157, 158, 156, 155, 0, 0},     {189, 187, 190, 0, 0, 0},
            {193, 191, 194, 192, 0, 0},     {152, 149, 154, 150, 151, 153},
            {204, 203, 200, 201, 205, 202}, {164, 165, 0, 0, 0, 0}};
        for (const auto& states : controls) {
            for (Language language : kLanguages) {
                for (size_t i = 0; i < states.size() && states[i] != 0; ++i) {
                    for (size_t j = i + 1; j < states.size() && states[j] != 0; ++j) {
                        const QImage a = ImageOf(states[i], language);
                        const QImage b = ImageOf(states[j], language);
                        const QRect common = a.rect() & b.rect();
                        QVERIFY2(a.copy(common) != b.copy(common),
                                 Name(states[i]) + " " + Name(states[j]));
                    }
                }
            }
        }
    }

    void captionsFollowTheLanguageAndWordlessPicturesDoNot() {
        for (int id : {140, 147, 164, 165, 183, 131})
            QVERIFY2(ImageOf(id, Language::English) != ImageOf(id, Language::Japanese), Name(id));
        // 168 reads "OK" and 170 the program's name and version in both.
        for (int id : {168, 170, 152, 204, 157, 189, 193, 267})
            QVERIFY2(ImageOf(id, Language::English) == ImageOf(id, Language::Japanese), Name(id));

        // Without a language, the current one.
        const Language before = Messages::CurrentLanguage();
        for (Language language : kLanguages) {
            Messages::SetLanguage(language);
            QCOMPARE(SkinArt::Bitmap(140, 1).toImage().convertToFormat(QImage::Format_ARGB32),
                     ImageOf(140, language));
        }
        Messages::SetLanguage(before);
    }
};

QTEST_MAIN(SkinArtTest)
#include "SkinArtTest.moc"
