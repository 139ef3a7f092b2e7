#include <unistd.h>

#include <gtest/gtest.h>
#include <QDir>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <functional>

#include "imaging/CLead.h"
#include "imaging/ConvertSteps.h"
#include "imaging/ImageLoader.h"
#include "imaging/ImagingSetup.h"
#include "tests/support/Corpus.h"
#include "tests/support/TestImages.h"

using namespace testimages;
using vips::VImage;

namespace {

// What work writes to standard error.
QByteArray StandardErrorOf(const std::function<void()>& work) {
    QTemporaryFile capture;
    EXPECT_TRUE(capture.open());
    std::fflush(stderr);
    const int saved = ::dup(STDERR_FILENO);
    ::dup2(capture.handle(), STDERR_FILENO);
    work();
    std::fflush(stderr);
    ::dup2(saved, STDERR_FILENO);
    ::close(saved);
    capture.seek(0);
    return capture.readAll();
}

// Damaged files convert as far as the decoder reads them and say so with its reason; a file
// no decoder can read fails as unreadable with the reason; the undamaged top of a damaged
// picture is the picture's own. Damage is pixels lost: bytes between a JPEG's header segments,
// which libjpeg passes over with a warning, leave the picture whole and sound. The libraries'
// warnings go to standard error only when asked (--verbose).
TEST(DecodeDamage, DamagedFilesConvertMarkedAndUnreadableOnesFailWithTheReason) {
    const VImage picture = PhotoLike(320, 240);
    const QByteArray jpeg =
        EncodedBytes(picture, ".jpg", VImage::option()->set("restart_interval", 20)->set("Q", 95));
    const QByteArray png = EncodedBytes(picture, ".png", VImage::option());
    // A marker after every block of pixels: far more than a hundred of them broken.
    const QByteArray dense =
        EncodedBytes(picture, ".jpg", VImage::option()->set("restart_interval", 1)->set("Q", 95));
    const qsizetype tables = jpeg.indexOf("\xFF\xDB");
    const auto beforeTables = [&](const QByteArray& bytes) {
        return jpeg.left(tables) + bytes + jpeg.mid(tables);
    };
    enum class Expect { Sound, Damaged, Unreadable };
    const struct Row {
        const char* name;
        QByteArray bytes;
        Expect expect;
        const char* reason;
        bool verbose = false;
    } rows[] = {
        {"jpeg_stray_byte_between_header_segments", beforeTables(QByteArray(1, '\0')),
         Expect::Sound, ""},
        {"jpeg_bad_restart_markers", corpus::BreakRestartMarkers(jpeg), Expect::Damaged,
         "Corrupt JPEG data: found marker"},
        {"jpeg_many_bad_restart_markers", corpus::BreakRestartMarkers(dense), Expect::Damaged,
         "Corrupt JPEG data: found marker"},
        {"jpeg_overwritten_data", corpus::Overwrite(jpeg, 0.6, 64, char(0x55)), Expect::Damaged,
         "Corrupt JPEG data"},
        {"jpeg_cut_tail", corpus::CutAt(jpeg, 0.7), Expect::Damaged, "Premature end", true},
        {"png_cut_tail", corpus::CutAt(png, 0.7), Expect::Damaged, ""},
        {"jpeg_headers_only", jpeg.left(jpeg.indexOf("\xFF\xDA")), Expect::Unreadable, ""},
        {"png_signature_only", png.left(8), Expect::Unreadable, "no image data"},
    };
    QTemporaryDir temp;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const QString path = QDir(temp.path()).filePath(row.name);
        WriteBytes(path, row.bytes);
        if (row.expect == Expect::Sound) {
            EXPECT_EQ(ImageLoader::Examine(path).message, 0) << "taken in by the import";
        }
        CLead work;
        CLead scratch;
        std::optional<LeadError> failure;
        bool fitted = false;
        SetImagingVerbose(row.verbose);
        const QByteArray said = StandardErrorOf([&] {
            try {
                work.LoadImage(path);
                fitted = FitToOutputSize(work, scratch, 1, {}, &failure);
            } catch (const LeadError& error) {
                failure.emplace(error);
            }
        });
        SetImagingVerbose(false);
        EXPECT_TRUE(row.verbose ? said.contains(row.reason) : said.isEmpty()) << said.toStdString();
        if (row.expect == Expect::Unreadable) {
            ASSERT_FALSE(fitted);
            ASSERT_TRUE(failure.has_value());
            EXPECT_EQ(failure->kind(), LeadError::Kind::Unreadable);
            EXPECT_NE(std::string(failure->what()), "");
            EXPECT_NE(std::string(failure->what()).find(row.reason), std::string::npos)
                << failure->what();
            continue;
        }
        ASSERT_TRUE(fitted) << (failure ? failure->what() : "");
        EXPECT_EQ(work.Damaged(), row.expect == Expect::Damaged) << work.DamageText().toStdString();
        EXPECT_TRUE(work.DamageText().contains(QLatin1String(row.reason)))
            << work.DamageText().toStdString();
        // Encoding meets no decode error: the pixels were computed by the fit.
        const QByteArray out = work.SaveImageToMemory(23, 0, 10);
        const QString written = QDir(temp.path()).filePath(QString(row.name) + ".out.jpg");
        WriteBytes(written, out);
        // 320 x 240 fits 800 x 600 exactly: the top rows are the picture's own.
        const QColor got = PixelAt(written, 400, 10);
        const QColor expected = PixelAt(picture, 160, 4);
        EXPECT_NEAR(got.red(), expected.red(), 30);
        EXPECT_NEAR(got.blue(), expected.blue(), 30);
    }
}

}  // namespace
