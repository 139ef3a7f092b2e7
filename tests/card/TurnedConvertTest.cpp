#include <gtest/gtest.h>
#include <QCryptographicHash>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include "card/ConvertRun.h"
#include "core/WorkingList.h"
#include "imaging/ImageLoader.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestImages.h"

using namespace testimages;

namespace {

QByteArray Hash(const QString& path) {
    return QCryptographicHash::hash(ReadBytes(path), QCryptographicHash::Sha256);
}

bool Near(QColor a, QColor b) {
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
               std::abs(a.blue() - b.blue()) <
           60;
}

// The Exif thumbnail of a written file, as exiftool extracts it.
vips::VImage ThumbnailOf(const QString& path) {
    QProcess exiftool;
    exiftool.start("exiftool", {"-b", "-ThumbnailImage", path});
    EXPECT_TRUE(exiftool.waitForFinished(30000));
    const QByteArray jpeg = exiftool.readAllStandardOutput();
    // The library reads the bytes where they are: copied before they go.
    return vips::VImage::new_from_buffer(jpeg.constData(), size_t(jpeg.size()), "").copy_memory();
}

// Images turned by hand are written turned, before they are fitted to 800 x 600, after their
// Exif orientation; the Exif thumbnail shows the same; the user's file and the work copy keep
// their bytes. Each source is green with a red top left quarter, as stored.
TEST(TurnedConvert, TheWrittenImageFollowsTheTurnAndNoFileChanges) {
    const QColor red = Qt::red, green = Qt::green, black = Qt::black;
    struct Case {
        const char* name;
        int width, height, orientation, turns;
        QPoint red, green, edge;  // in the written image
        QColor edgeColour;
    } const cases[] = {
        // Upright 900 x 1200 with red top right: 450 x 600 at x = 175, bars beside it.
        {"Landscape_turned_right", 1200, 900, 1, 1, {512, 150}, {287, 150}, {80, 300}, black},
        // Turned left the top left goes to the bottom left; 1200 x 900 fills the frame.
        {"Portrait_turned_left_fills_the_frame",
         900,
         1200,
         1,
         -1,
         {200, 450},
         {600, 150},
         {2, 450},
         red},
        // Orientation 6 stands it upright by a right turn; a left turn gives it as stored.
        {"Tagged_photo_turned_left_is_as_stored",
         1200,
         900,
         6,
         -1,
         {200, 150},
         {600, 450},
         {2, 150},
         red},
    };
    QTemporaryDir temp;
    WorkingList list;
    ScriptedPrompter prompter;
    ImageLoader loader(list, prompter, temp.filePath("work"));
    QList<QByteArray> hashes;
    for (const Case& c : cases) {
        const QString path = temp.filePath(QString(c.name) + ".jpg");
        const vips::VImage quarter = Solid(c.width / 2, c.height / 2, red);
        WriteJpeg(Solid(c.width, c.height, green).insert(quarter, 0, 0), path, 90, false,
                  c.orientation);
        ASSERT_EQ(loader.AddImage(path, 0, 0), 1);
        list.SetTurn(list.count() - 1, (c.turns + 4) % 4, QImage());
        hashes << Hash(path) << Hash(list.entries().last().workPath);
    }
    ConvertSettings settings;
    settings.destination = temp.filePath("card/DCIM/100RODIV");
    bool unsaved = true;
    QString last;
    std::atomic<bool> stop{false};
    ConvertRun run(list, settings, prompter, unsaved, last);
    ASSERT_TRUE(run.SaveAll(stop));
    for (int row = 0; row < list.count(); ++row) {
        const Case& c = cases[row];
        SCOPED_TRACE(c.name);
        const QString written = QDir(settings.destination).filePath(run.outcomes()[row].path);
        const vips::VImage image = vips::VImage::new_from_file(written.toUtf8().constData());
        ASSERT_EQ(image.width(), 800);
        ASSERT_EQ(image.height(), 600);
        EXPECT_TRUE(Near(PixelAt(image, c.red.x(), c.red.y()), red));
        EXPECT_TRUE(Near(PixelAt(image, c.green.x(), c.green.y()), green));
        EXPECT_TRUE(Near(PixelAt(image, c.edge.x(), c.edge.y()), c.edgeColour));
        const vips::VImage thumbnail = ThumbnailOf(written);
        ASSERT_EQ(thumbnail.width(), 160);
        EXPECT_TRUE(Near(PixelAt(thumbnail, c.red.x() / 5, c.red.y() / 5), red));
        EXPECT_TRUE(Near(PixelAt(thumbnail, c.green.x() / 5, c.green.y() / 5), green));
        EXPECT_EQ(Hash(list.at(row).sourcePath), hashes[2 * row]);
        EXPECT_EQ(Hash(list.at(row).workPath), hashes[2 * row + 1]);
    }
}

}  // namespace
