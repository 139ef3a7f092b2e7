// HEIC, AVIF and WebP photos made here go through the import and Save All onto a card, as a
// user's photos do: the files on the card are checked for their size, colours and which way
// up the picture stands.

#include <functional>

#include "CardRunFixture.h"
#include "imaging/CLead.h"
#include "skin/MessageIds.h"

using namespace testimages;
using vips::VImage;

namespace {

const QColor kBody(40, 80, 200);
const QColor kMarker(230, 30, 30);
const QColor kBlack(0, 0, 0);

// A 4:3 landscape photo, 1200 x 900 as stored, with a red marker in its top-left corner
// (240 x 180): where the marker lands tells how the picture was turned.
VImage MarkedPhoto() {
    return Solid(1200, 900, kBody).insert(Solid(240, 180, kMarker), 0, 0);
}

QByteArray Encoded(const std::function<void(const QString&)>& write) {
    QTemporaryDir scratch;
    const QString path = QDir(scratch.path()).filePath("photo");
    write(path);
    return ReadBytes(path);
}

void ExpectColour(const QString& file, QPoint at, QColor expected, const char* what) {
    const QColor c = PixelAt(file, at.x(), at.y());
    const int tolerance = 40;
    EXPECT_TRUE(std::abs(c.red() - expected.red()) <= tolerance &&
                std::abs(c.green() - expected.green()) <= tolerance &&
                std::abs(c.blue() - expected.blue()) <= tolerance)
        << what << " at (" << at.x() << ", " << at.y() << ") is " << c.name().toStdString()
        << ", expected " << expected.name().toStdString();
}

// The photo as it stands upright on the 800 x 600 output.
enum class Stands {
    Landscape,        // as stored: fills the frame, marker top left
    TurnedClockwise,  // 900 x 1200 upright, 450 x 600 between bars, marker top right
};

// The marker in the corner the photo turned it to, the body in the other corners and the
// middle, and black bars beside a photo that stands upright.
void ExpectStanding(const QString& file, Stands stands, const char* what) {
    const bool turned = stands != Stands::Landscape;
    const QRect inside =
        (turned ? QRect(175, 0, 450, 600) : QRect(0, 0, 800, 600)).adjusted(45, 45, -45, -45);
    const QPoint marker = turned ? inside.topRight() : inside.topLeft();
    for (QPoint p : {inside.topLeft(), inside.topRight(), inside.bottomLeft(), inside.bottomRight(),
                     inside.center()}) {
        ExpectColour(file, p, p == marker ? kMarker : kBody, what);
    }
    if (turned) {
        ExpectColour(file, {60, 300}, kBlack, what);
        ExpectColour(file, {740, 300}, kBlack, what);
    }
}

class PhotoFormatsTest : public CardRunFixture {};

TEST_F(PhotoFormatsTest, HeifAvifAndWebpPhotosAreWrittenUprightAt800x600) {
    const VImage photo = MarkedPhoto();
    const QByteArray heic = Encoded([&](auto p) { WriteHeif(photo, p, "hevc"); });
    const QByteArray heicExif6 = Encoded([&](auto p) { WriteHeif(photo, p, "hevc", 6); });
    const QByteArray avif = Encoded([&](auto p) { WriteHeif(photo, p, "av1"); });
    const QByteArray webpExif6 = Encoded([&](auto p) { WriteWebp(photo, p, 6); });
    const struct Case {
        const char* name;  // also the file name: the extension in any case
        QByteArray bytes;
        Stands stands;
    } cases[] = {
        {"photo.heic", heic, Stands::Landscape},
        {"photo.AVIF", avif, Stands::Landscape},
        {"exif_6.webp", webpExif6, Stands::TurnedClockwise},
        // A HEIF file is turned by its own transforms, which the decoder applies; its Exif
        // orientation only describes the same turn and must not turn it twice.
        {"exif_6_only.HEIC", heicExif6, Stands::Landscape},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        list.ReplaceEntries({});
        prompter.records.clear();
        QDir(card).removeRecursively();
        const QString path = Add(c.bytes, c.name);
        // The grid shows the photo the way up the card gets it.
        const ImageLoader::Examined examined = ImageLoader::Examine(path);
        ASSERT_EQ(examined.message, 0);
        EXPECT_EQ(QSize(examined.width, examined.height),
                  c.stands == Stands::Landscape ? QSize(1200, 900) : QSize(900, 1200));
        ASSERT_TRUE(Run().SaveAll(stop));
        EXPECT_TRUE(prompter.records.isEmpty()) << prompter.records[0].text.toStdString();
        const QString written = QDir(card).filePath("DUVU0001.JPG");
        const VImage out = VImage::jpegload(written.toUtf8().constData());
        EXPECT_EQ(out.width(), 800);
        EXPECT_EQ(out.height(), 600);
        ExpectStanding(written, c.stands, c.name);
    }
}

// A HEIF file cut short has no picture to show, nor one whose decoder set-up (in the meta box)
// is spoilt: it is refused at the import, as a wrong image file, and the imaging instance
// says so by an exception, whatever is left of it.
TEST_F(PhotoFormatsTest, ACutOrSpoiltHeifFileIsRefusedWithoutACrash) {
    const QByteArray heic = Encoded([&](auto p) { WriteHeif(PhotoLike(320, 240), p, "hevc"); });
    const QByteArray avif = Encoded([&](auto p) { WriteHeif(PhotoLike(320, 240), p, "av1"); });
    const qsizetype setup = heic.indexOf("hvcC");
    ASSERT_GT(setup, 0);
    QByteArray badSetup = heic;
    for (qsizetype i = setup + 30; i < setup + 100; ++i) badSetup[i] = char(0xFF);
    const struct Case {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        {"last_byte_gone.heic", heic.left(heic.size() - 1)},
        {"inside_the_meta_box.heic", heic.left(60)},
        {"halfway.avif", avif.left(avif.size() / 2)},
        {"spoilt_setup.heic", badSetup},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = temp.filePath(c.name);
        WriteBytes(path, c.bytes);
        prompter.records.clear();
        ImageLoader loader(list, prompter, temp.filePath("work"));
        EXPECT_EQ(loader.AddImage(path, 0, 0), 0);
        ASSERT_EQ(prompter.records.size(), 1);  // 121, with the decoder's reason
        EXPECT_TRUE(
            prompter.records[0].text.startsWith(Messages::Format(msg::WrongImageFile, path)));
        CLead lead;
        EXPECT_THROW(lead.LoadImage(path), LeadError);
    }
    EXPECT_EQ(list.count(), 0);
}

}  // namespace
