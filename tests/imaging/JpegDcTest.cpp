#include "imaging/JpegDc.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QTemporaryDir>

#include "imaging/CLead.h"
#include "tests/support/Corpus.h"
#include "tests/support/TestImages.h"

using namespace testimages;
using vips::VImage;

namespace {

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

}  // namespace
