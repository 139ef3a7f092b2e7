#include <gtest/gtest.h>
#include <QDir>
#include <QTemporaryDir>

#include "imaging/CLead.h"
#include "imaging/readers/Reader.h"
#include "tests/support/Corpus.h"
#include "tests/support/TestImages.h"

using namespace testimages;
using vips::VImage;

namespace {

int Difference(const VImage& a, const VImage& b) {
    return int((a.cast(VIPS_FORMAT_INT) - b.cast(VIPS_FORMAT_INT)).abs().max());
}

// The file read tolerantly by our reader over libjpeg, whole (shrink 1) or at 1/8.
ReadPicture Tolerantly(const QString& path, int shrink) {
    SniffedFile sniffed;
    EXPECT_TRUE(SniffImageFile(path, &sniffed));
    ReadRequest request{path, sniffed};
    request.tolerant = true;
    request.minWidth = request.minHeight = shrink == 1 ? 0 : 1;
    return ReadJpeg(request);
}

// A sound file reads as the library's reader reads it, whatever its layout.
TEST(JpegReader, ASoundFileReadsAsTheLibraryReadsIt) {
    const VImage colour = PhotoLike(120, 88);
    const struct Row {
        const char* name;
        QByteArray bytes;
    } rows[] = {
        {"baseline", EncodedBytes(colour, ".jpg", VImage::option())},
        {"progressive", EncodedBytes(colour, ".jpg", VImage::option()->set("interlace", true))},
        {"cmyk", EncodedBytes(colour.colourspace(VIPS_INTERPRETATION_CMYK), ".jpg",
                              VImage::option()->set("strip", true))},
    };
    QTemporaryDir temp;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const QString path = QDir(temp.path()).filePath(QString(row.name) + ".jpg");
        WriteBytes(path, row.bytes);
        for (int shrink : {1, 8}) {
            SCOPED_TRACE(shrink);
            const ReadPicture read = Tolerantly(path, shrink);
            EXPECT_EQ(read.damage, QString());
            const VImage& ours = read.image;
            const VImage theirs =
                VImage::jpegload(QFile::encodeName(path), VImage::option()->set("shrink", shrink));
            ASSERT_EQ(QSize(ours.width(), ours.height()), QSize(theirs.width(), theirs.height()));
            ASSERT_EQ(ours.bands(), theirs.bands());
            EXPECT_EQ(Difference(ours, theirs), 0);
        }
    }
}

// A file in one scan cut short keeps the rows its data reaches, as the library's reader gives
// them, and the rows well past the end of the data are black (libjpeg would make them up from
// nothing); a progressive file cut short is read whole before its first row, and keeps every
// row.
TEST(JpegReader, ACutFileKeepsTheRowsItsDataReaches) {
    const VImage colour = PhotoLike(320, 240);
    // Cut inside the data of its second scan (a cut inside a table is an error of libjpeg's).
    const QByteArray progressive =
        EncodedBytes(colour, ".jpg", VImage::option()->set("interlace", true));
    const qsizetype second = progressive.indexOf("\xFF\xDA", progressive.indexOf("\xFF\xDA") + 2);
    ASSERT_GT(second, 0);
    QTemporaryDir temp;
    const struct Row {
        const char* name;
        QByteArray bytes;
        bool lastRowBlack;
    } rows[] = {
        {"baseline", corpus::CutAt(EncodedBytes(colour, ".jpg", VImage::option()), 0.4), true},
        {"progressive", progressive.left(second + 100), false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const QString path = QDir(temp.path()).filePath(QString(row.name) + ".jpg");
        WriteBytes(path, row.bytes);
        const ReadPicture read = Tolerantly(path, 1);
        EXPECT_EQ(read.damage.left(14), QString("Premature end "));
        const VImage& ours = read.image;
        const VImage theirs = VImage::jpegload(QFile::encodeName(path),
                                               VImage::option()->set("fail_on", VIPS_FAIL_ON_NONE));
        ASSERT_EQ(QSize(ours.width(), ours.height()), QSize(320, 240));
        EXPECT_EQ(Difference(ours.crop(0, 0, 320, 48), theirs.crop(0, 0, 320, 48)), 0);
        EXPECT_EQ(ours.crop(0, 239, 320, 1).max() == 0, row.lastRowBlack);
    }
}

}  // namespace
