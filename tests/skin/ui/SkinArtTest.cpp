#include "skin/ui/SkinArt.h"

#include <array>

#include <QImage>
#include <QSet>
#include <QTest>

namespace {

using Messages::Language;

constexpr Language kLanguages[] = {Language::English, Language::Japanese};

// Every picture the windows name, by the size their layouts expect.
const std::pair<QSize, QList<int>> kSizes[] = {
    {{580, 258}, {131}},
    {{446, 26}, {164}},
    {{445, 26}, {165}},
    {{95, 28}, {166, 168}},
    {{95, 29},
     {167, 169, 172, 173, 174, 175, 176, 177, 178, 179, 229, 230, 231, 232, 242, 243, 244,
      245, 246, 247, 248, 249, 250, 254, 255, 256, 257, 258, 259, 260, 261, 262, 263, 264}},
    {{124, 29}, {138, 139, 140, 141, 142, 143, 144, 145, 146, 147, 219,
                 220, 221, 222, 223, 224, 225, 226, 280, 281, 282, 283}},
    {{215, 29}, {159, 160, 161}},
    {{108, 29}, {211, 212, 213, 215, 216, 217, 218, 228}},
    {{22, 22}, {149, 150, 151, 152, 153, 154, 234, 236, 237, 238, 239, 240}},
    {{23, 19}, {155, 156, 157, 158}},
    {{22, 21}, {188}},
    {{20, 21}, {187, 189, 190, 191, 192, 193, 194}},
    {{18, 18}, {200, 201, 202, 203, 204, 205}},
    {{765, 26}, {170, 171, 209, 210}},
    {{345, 26}, {181, 182}},
    {{392, 26}, {183, 184}},
    {{327, 26}, {185, 186}},
    {{259, 26}, {198, 199}},
    {{532, 26}, {265, 266}},
    {{230, 168}, {267}},
    {{230, 157}, {268}},
    {{230, 88}, {269, 270}},
    {{230, 76}, {271}},
    {{230, 163}, {272}},
};

QImage ImageOf(int id, Language language = Language::English) {
    return SkinArt::Bitmap(id, language).toImage().convertToFormat(QImage::Format_ARGB32);
}

QByteArray Name(int id) {
    return QByteArray::number(id);
}

}  // namespace

class SkinArtTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyPictureExistsAtItsSizeInBothLanguages() {
        QSet<int> expected;
        for (const auto& [size, ids] : kSizes) {
            for (int id : ids) {
                expected.insert(id);
                QCOMPARE(SkinArt::SizeOf(id), size);
                for (Language language : kLanguages) {
                    const QPixmap pixmap = SkinArt::Bitmap(id, language);
                    QCOMPARE(pixmap.size(), size);
                    QCOMPARE(pixmap.devicePixelRatio(), 1.0);
                    // Nothing behind a picture may show through it.
                    const QImage image = ImageOf(id, language);
                    QVERIFY2(image == image.convertToFormat(QImage::Format_RGB32)
                                          .convertToFormat(QImage::Format_ARGB32),
                             Name(id));
                }
            }
        }
        const QList<int> all = SkinArt::AllIds();
        QCOMPARE(QSet<int>(all.begin(), all.end()), expected);
        QVERIFY(!SkinArt::ProgramIcon().isNull());
        QCOMPARE(SkinArt::CornerMark().size(), QSize(32, 32));
    }

    void unknownIdsHaveNoPicture() {
        for (int id : {0, -1, 130, 132, 180, 227, 251, 273, 10000}) {
            QVERIFY2(SkinArt::Bitmap(id, Language::English).isNull(), Name(id));
            QVERIFY2(SkinArt::Bitmap(id, Language::Japanese).isNull(), Name(id));
            QVERIFY2(!SkinArt::SizeOf(id).isValid(), Name(id));
        }
    }

    // Every picture of one control (0: none) differs from its others: a button's normal, pressed,
    // hover and disabled states; a radio's the same, checked and unchecked; a title band active and
    // inactive (the about bands differ by a pixel in width, so what both cover is compared).
    void everyStateOfAControlLooksDifferent() {
        const std::array<int, 6> controls[] = {
            {140, 138, 139, 141, 0, 0},     {142, 144, 143, 0, 0, 0},
            {147, 145, 146, 0, 0, 0},       {161, 159, 160, 0, 0, 0},
            {157, 158, 156, 155, 0, 0},     {174, 175, 173, 172, 0, 0},
            {178, 176, 177, 179, 0, 0},     {189, 187, 190, 0, 0, 0},
            {193, 191, 194, 192, 0, 0},     {217, 215, 216, 218, 0, 0},
            {213, 211, 212, 228, 0, 0},     {221, 219, 220, 222, 0, 0},
            {231, 229, 230, 232, 0, 0},     {255, 250, 254, 256, 0, 0},
            {152, 149, 154, 150, 151, 153}, {204, 203, 200, 201, 205, 202},
            {239, 238, 240, 236, 234, 237}, {164, 165, 0, 0, 0, 0},
            {170, 171, 0, 0, 0, 0},         {182, 181, 0, 0, 0, 0},
            {183, 184, 0, 0, 0, 0},         {186, 185, 0, 0, 0, 0},
            {198, 199, 0, 0, 0, 0},         {209, 210, 0, 0, 0, 0},
            {266, 265, 0, 0, 0, 0}};
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
        for (int id : {140, 142, 147, 161, 178, 174, 217, 213, 221, 231,
                       263, 248, 244, 164, 165, 183, 186, 198, 209, 131})
            QVERIFY2(ImageOf(id, Language::English) != ImageOf(id, Language::Japanese), Name(id));
        // 168 reads "OK" and 170 the program's name and version in both.
        for (int id : {168, 170, 152, 150, 239, 204, 201, 157, 158, 189, 193, 267, 272})
            QVERIFY2(ImageOf(id, Language::English) == ImageOf(id, Language::Japanese), Name(id));

        // Without a language, the current one.
        const Language before = Messages::CurrentLanguage();
        for (Language language : kLanguages) {
            Messages::SetLanguage(language);
            QCOMPARE(SkinArt::Bitmap(140).toImage().convertToFormat(QImage::Format_ARGB32),
                     ImageOf(140, language));
        }
        Messages::SetLanguage(before);
    }
};

QTEST_MAIN(SkinArtTest)
#include "SkinArtTest.moc"
