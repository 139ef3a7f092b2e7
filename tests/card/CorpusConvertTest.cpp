#include <gtest/gtest.h>
#include <QDateTime>
#include <QTemporaryDir>

#include "card/ConvertRun.h"
#include "imaging/CLead.h"
#include "imaging/ImageLoader.h"
#include "tests/support/Corpus.h"

namespace {

// Every file of the corpus through the import's examination and the convert worker's
// encoding: nothing crashes or hangs, a sound file is taken in and encodes undamaged, a
// damaged one is encoded marked damaged or refused with a reason, and a file cut short never
// passes for sound.
TEST(CorpusConvert, EveryFileEncodesOrIsRefusedWithAReason) {
    QTemporaryDir temp;
    const QList<corpus::File> files = corpus::Write(temp.path());
    ASSERT_GT(files.size(), 200);
    ConvertSettings settings;
    settings.formatIndex = 1;
    for (const corpus::File& file : files) {
        SCOPED_TRACE(file.name.toStdString());
        const EncodedImage encoded =
            ConvertRun::EncodeOne(file.path, 0, true, true, settings, QDateTime::currentDateTime());
        const bool written = encoded.failure == EncodedImage::Failure::None;
        if (written) {
            EXPECT_GT(encoded.bytes.size(), 1000);
            EXPECT_TRUE(encoded.bytes.startsWith("\xFF\xD8\xFF\xE1"));
        } else {
            EXPECT_EQ(encoded.failure, EncodedImage::Failure::Unreadable);
            EXPECT_FALSE(encoded.reason.isEmpty());
        }
        if (!file.damaged) {
            if (!file.refused) {
                EXPECT_EQ(ImageLoader::Examine(file.path).message, 0);
            }
            EXPECT_EQ(written, !file.refused) << encoded.reason.toStdString();
            EXPECT_FALSE(encoded.damaged()) << encoded.damage.toStdString();
        } else if (file.name.contains(QLatin1String("-cut"))) {
            EXPECT_TRUE(!written || encoded.damaged()) << "a file cut short passed for sound";
        }
    }
}

}  // namespace
