#include "imaging/ExifThumbnail.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QTemporaryDir>

#include "imaging/CLead.h"
#include "imaging/ImagingConstants.h"
#include "tests/support/TestImages.h"

using namespace testimages;
using vips::VImage;

namespace {

// The length of the segment that starts at offset at, its marker included.
int SegmentLength(const QByteArray& file, int at) {
    return 2 + ((uchar(file[at + 2]) << 8) | uchar(file[at + 3]));
}

TEST(ExifThumbnail, FoundInTheExifBlockAloneAndOnlyWhenSound) {
    const QByteArray thumbnail = JpegBytes(Solid(160, 120, Qt::blue));
    const VImage picture = Solid(320, 240, Qt::red);
    const QByteArray camera = CameraJpeg(picture, thumbnail, 6);

    CLead ours;
    ours.CreateImage(320, 240, 24);
    const QByteArray ourOwn =
        ours.SaveImageWithThumbnailToMemory(imaging::kFormatJpegExif, 24, 10, 160, 120);

    QByteArray afterJfif = camera;
    afterJfif.insert(
        2, QByteArray("\xFF\xE0\x00\x10JFIF\x00\x01\x01\x01\x00\x48\x00\x48\x00\x00", 18));
    const int exifEnd = 2 + SegmentLength(camera, 2);
    const QByteArray blockCutShort = camera.left(exifEnd / 2);
    // IFD1's JPEGInterchangeFormatLength (0x0202, LONG, one value) made far larger than the
    // block.
    QByteArray outside = camera;
    const int length = outside.indexOf(QByteArray("\x02\x02\x00\x04\x00\x00\x00\x01", 8));
    ASSERT_GT(length, 0);
    outside.replace(length + 8, 4, QByteArray("\x00\x0F\xFF\xFF", 4));

    const struct Row {
        const char* name;
        QByteArray file;
        bool found;
        int orientation;
    } rows[] = {
        {"OurOwnEncoder", ourOwn, true, 1},
        {"CameraTurnedRight", camera, true, 6},
        {"CameraWithoutOrientation", CameraJpeg(picture, thumbnail, 0), true, 1},
        {"AfterAJfifSegment", afterJfif, true, 6},
        {"NoExifBlock", JpegBytes(picture), false, 0},
        {"ExifWithoutThumbnail", CameraJpeg(picture, QByteArray(), 6), false, 0},
        {"ThumbnailOutsideTheBlock", outside, false, 0},
        {"BlockCutShort", blockCutShort, false, 0},
        {"OrientationOutOfRange", CameraJpeg(picture, thumbnail, 9), false, 0},
        {"EmptyFile", QByteArray(), false, 0},
    };
    QTemporaryDir temp;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const QString path = QDir(temp.path()).filePath(QString(row.name) + ".jpg");
        WriteBytes(path, row.file);
        const std::optional<ExifThumbnail> read = ReadExifThumbnail(path);
        ASSERT_EQ(read.has_value(), row.found);
        if (!row.found) continue;
        EXPECT_EQ(read->orientation, row.orientation);
        const VImage decoded =
            VImage::new_from_buffer(read->jpeg.constData(), size_t(read->jpeg.size()), "");
        EXPECT_EQ(QSize(decoded.width(), decoded.height()), QSize(160, 120));
    }
}

}  // namespace
