#include "imaging/JpegDc.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QTemporaryDir>

#include "imaging/CLead.h"
#include "tests/support/Corpus.h"
#include "tests/support/HeapMeter.h"
#include "tests/support/TestImages.h"

using namespace testimages;
using vips::VImage;

namespace {

struct Scan {
    int ah = 0;  // the successive approximation shifts of the scan header
    int al = 0;
    QByteArray data;  // entropy-coded, bytes 0xFF already stuffed
};

// A progressive grey JPEG of width x height written byte by byte: every quantisation step 1, one
// DC table whose codes of each length (1 to 16) and values are given, the scans given (DC
// scans of the one component), then the end of the image.
QByteArray ProgressiveGrey(int width, int height, const QByteArray& counts,
                           const QByteArray& values, const QList<Scan>& scans) {
    const auto segment = [](int marker, const QByteArray& body) {
        QByteArray out;
        out.append(char(0xFF)).append(char(marker));
        out.append(char((body.size() + 2) >> 8)).append(char((body.size() + 2) & 0xFF));
        return out + body;
    };
    QByteArray out("\xFF\xD8", 2);
    out += segment(0xDB, QByteArray(1, '\0') + QByteArray(64, '\1'));
    QByteArray frame;
    frame.append('\x08').append(char(height >> 8)).append(char(height & 0xFF));
    frame.append(char(width >> 8)).append(char(width & 0xFF));
    frame.append("\x01\x01\x11\x00", 4);
    out += segment(0xC2, frame);
    out += segment(0xC4, QByteArray(1, '\0') + counts.leftJustified(16, '\0') + values);
    for (const Scan& scan : scans) {
        out += segment(0xDA, QByteArray("\x01\x01\x00\x00\x00", 5) +
                                 QByteArray(1, char((scan.ah << 4) | scan.al)));
        out += scan.data;
    }
    return out + QByteArray("\xFF\xD9", 2);
}

// The DC reader gives what libjpeg's own 1/8 scaling gives, for every layout of a progressive
// file: chroma subsampled or not, grey, with restart markers.
TEST(JpegDc, AProgressiveFileAtAnEighthIsLibjpegsEighth) {
    const VImage colour = PhotoLike(403, 301);  // sides that no block divides evenly
    const VImage grey = colour.colourspace(VIPS_INTERPRETATION_B_W);
    const struct Row {
        const char* name;
        VImage image;
        VipsForeignSubsample subsample;
        int restart;
    } rows[] = {
        {"subsampled", colour, VIPS_FOREIGN_SUBSAMPLE_ON, 0},
        {"full_chroma", colour, VIPS_FOREIGN_SUBSAMPLE_OFF, 0},
        {"grey", grey, VIPS_FOREIGN_SUBSAMPLE_AUTO, 0},
        {"restart_markers", colour, VIPS_FOREIGN_SUBSAMPLE_ON, 3},
    };
    QTemporaryDir temp;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const QString path = QDir(temp.path()).filePath(QString(row.name) + ".jpg");
        row.image.jpegsave(QFile::encodeName(path), VImage::option()
                                                        ->set("interlace", true)
                                                        ->set("subsample_mode", row.subsample)
                                                        ->set("restart_interval", row.restart)
                                                        ->set("Q", 90));
        QString damage;
        const std::optional<VImage> ours = imaging::DecodeProgressiveDc(path, false, &damage);
        ASSERT_TRUE(ours.has_value());
        EXPECT_EQ(damage, QString());
        const VImage theirs =
            VImage::jpegload(QFile::encodeName(path), VImage::option()->set("shrink", 8));
        // Every block gives a pixel; the library drops a last partial one.
        ASSERT_EQ(ours->width(), (403 + 7) / 8);
        ASSERT_EQ(ours->height(), (301 + 7) / 8);
        ASSERT_EQ(ours->bands(), theirs.bands());
        const VImage common = ours->crop(0, 0, theirs.width(), theirs.height());
        const VImage difference =
            (common.cast(VIPS_FORMAT_INT) - theirs.cast(VIPS_FORMAT_INT)).abs();
        EXPECT_LT(difference.avg(), 2.0);
        EXPECT_LE(difference.extract_band(0).max(),
                  row.subsample == VIPS_FOREIGN_SUBSAMPLE_ON ? 40 : 2);
    }
}

TEST(JpegDc, OtherLayoutsAreLibjpegsAndACutFileIsDamaged) {
    QTemporaryDir temp;
    const VImage picture = PhotoLike(200, 160);
    const QString baseline = QDir(temp.path()).filePath("baseline.jpg");
    picture.jpegsave(QFile::encodeName(baseline));
    QString damage;
    EXPECT_FALSE(imaging::DecodeProgressiveDc(baseline, false, &damage).has_value());

    const QString cut = QDir(temp.path()).filePath("cut.jpg");
    picture.jpegsave(QFile::encodeName(cut), VImage::option()->set("interlace", true));
    WriteBytes(cut, corpus::CutAt(ReadBytes(cut), 0.2));
    EXPECT_THROW(imaging::DecodeProgressiveDc(cut, false, &damage), LeadError);
    const std::optional<VImage> kept = imaging::DecodeProgressiveDc(cut, true, &damage);
    ASSERT_TRUE(kept.has_value());
    EXPECT_FALSE(damage.isEmpty());
}

// Legal files libjpeg reads without a warning: a restart marker between two segments (a
// marker without a length), and a quantisation table redefined after a scan (libjpeg keeps
// the table a component had when its first scan began).
TEST(JpegDc, LegalOdditiesReadAsLibjpegReadsThem) {
    QTemporaryDir temp;
    const QString photo = QDir(temp.path()).filePath("photo.jpg");
    PhotoLike(64, 48).jpegsave(QFile::encodeName(photo),
                               VImage::option()
                                   ->set("interlace", true)
                                   ->set("subsample_mode", VIPS_FOREIGN_SUBSAMPLE_OFF));
    QByteArray restart = ReadBytes(photo);
    restart.insert(restart.indexOf("\xFF\xDA"), QByteArray("\xFF\xD0", 2));
    // Two blocks of DC 80 (category 7 coded 0, then no difference coded 10), then every step 2
    // for later scans.
    QByteArray requantised = ProgressiveGrey(16, 8, QByteArray("\x01\x01", 2),
                                             QByteArray("\x07\x00", 2), {{0, 0, "\x50\xBF"}});
    requantised.insert(requantised.size() - 2,
                       QByteArray("\xFF\xDB\x00\x43\x00", 5) + QByteArray(64, '\x02'));
    const struct Row {
        const char* name;
        QByteArray bytes;
    } rows[] = {
        {"restart_marker_between_segments", restart},
        {"quantisation_redefined_after_a_scan", requantised},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const QString path = QDir(temp.path()).filePath(QString(row.name) + ".jpg");
        WriteBytes(path, row.bytes);
        QString damage;
        const std::optional<VImage> ours = imaging::DecodeProgressiveDc(path, false, &damage);
        ASSERT_TRUE(ours.has_value());
        EXPECT_EQ(damage, QString());
        const VImage theirs = VImage::jpegload(
            QFile::encodeName(path),
            VImage::option()->set("shrink", 8)->set("fail_on", VIPS_FAIL_ON_WARNING));
        ASSERT_EQ(ours->width(), theirs.width());
        ASSERT_EQ(ours->bands(), theirs.bands());
        EXPECT_LE((ours->cast(VIPS_FORMAT_INT) - theirs.cast(VIPS_FORMAT_INT)).abs().max(), 2);
    }
}

// Files the DC reader once mishandled: two frame headers (the fuzz target's find, a second
// frame's components overran the colours of a pixel), a shift of 13 that carried the
// coefficient past an int, a sum of differences past an int, and scans whose data stops at
// the next marker (each went on through every block of a 10,000 x 10,000 picture on padding
// bits, a few bytes each).
TEST(JpegDc, DamagedFilesEndInDamageNotInFaults) {
    // Category 11 and the largest difference, 2047, in every block: twelve bits a block.
    const QByteArray largest = QByteArray("\x7F\xF7\xFF\x00", 4).repeated(1025 * 1024 / 2);
    QList<Scan> empty;
    for (int i = 0; i < 300; ++i) empty.append(Scan{});
    const struct Row {
        const char* name;
        QByteArray bytes;
        const char* damage;  // empty when the file is sound
        int width;
        int height;
        int bands;
    } rows[] = {
        {"two_frame_headers",
         QByteArray::fromHex("1332"
                             "ffc20011080020003003012200021101031187"
                             "ffc20011080020003003012200021101031187"),
         "a second frame header", 6, 4, 3},
        {"shift_of_thirteen",
         ProgressiveGrey(256, 64, "\x01", "\x0B", {{0, 13, largest.left(4 * 128)}}), "", 32, 8, 1},
        {"sum_past_an_int", ProgressiveGrey(8192, 8200, "\x01", "\x0B", {{0, 0, largest}}),
         "a DC coefficient out of range", 1024, 1025, 1},
        {"scans_without_data",
         ProgressiveGrey(10000, 10000, "\x02", QByteArray("\x00\x00", 2), empty),
         "a scan's data ends early", 1250, 1250, 1},
    };
    QTemporaryDir temp;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const QString path = QDir(temp.path()).filePath(QString(row.name) + ".jpg");
        WriteBytes(path, row.bytes);
        QString damage;
        HeapMeter meter;
        if (*row.damage != '\0') {
            EXPECT_THROW(imaging::DecodeProgressiveDc(path, false, &damage), LeadError);
        }
        const std::optional<VImage> kept = imaging::DecodeProgressiveDc(path, true, &damage);
        ASSERT_TRUE(kept.has_value());
        EXPECT_EQ(damage.toStdString(), row.damage);
        EXPECT_EQ(kept->width(), row.width);
        EXPECT_EQ(kept->height(), row.height);
        EXPECT_EQ(kept->bands(), row.bands);
        EXPECT_GE(kept->avg(), 0);
        // The coefficients of the blocks the data reaches, two bytes each, and no more.
        EXPECT_LT(meter.Held(), 4u << 20);
    }
}

// A file that claims 10,000 x 10,000 pixels and holds a few blocks costs the block rows its
// data reaches, not the picture at 1/8 (the coefficients alone were 19 MB in three colours).
TEST(JpegDc, ATinyFileCostsTheBlockRowsItReaches) {
    QByteArray colour = ProgressiveGrey(10000, 10000, "\x02", QByteArray("\x00\x00", 2),
                                        {{0, 0, QByteArray("\x00\x00", 2)}});
    // Three components of the frame, each with the one quantisation and DC table.
    const qsizetype frame = colour.indexOf("\xFF\xC2");
    colour.replace(frame + 2, 2, QByteArray("\x00\x11", 2));
    colour.replace(frame + 9, 4, QByteArray("\x03\x01\x11\x00\x02\x11\x00\x03\x11\x00", 10));
    const qsizetype scan = colour.indexOf("\xFF\xDA");
    colour.replace(scan + 2, 4, QByteArray("\x00\x0C\x03\x01\x00\x02\x00\x03\x00", 9));
    QTemporaryDir temp;
    const QString path = QDir(temp.path()).filePath("tiny.jpg");
    WriteBytes(path, colour);
    QString damage;
    HeapMeter meter;
    const std::optional<VImage> kept = imaging::DecodeProgressiveDc(path, true, &damage);
    ASSERT_TRUE(kept.has_value());
    EXPECT_EQ(damage.toStdString(), "a scan's data ends early");
    EXPECT_EQ(kept->bands(), 3);
    EXPECT_LT(meter.Held(), 1u << 20);
    EXPECT_LT(meter.Peak().value_or(0), 4u << 20);
    EXPECT_EQ(kept->crop(0, 0, 1250, 4).max(), 128) << "no coefficient: mid-grey";
}

}  // namespace
