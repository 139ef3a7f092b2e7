#include "thumbs/ThumbnailRenderer.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "core/WorkingList.h"
#include "imaging/ImageLoader.h"
#include "tests/support/Corpus.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestImages.h"
#include "thumbs/Reordering.h"
#include "thumbs/Selection.h"

using namespace testimages;

namespace {

class ThumbnailRendererTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "thumbs_tests";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
    }

    // count images of the given size, each its own colour.
    void Add(int count, int width, int height) {
        ImageLoader loader(list, prompter, QDir(temp.path()).filePath("work"));
        for (int i = 0; i < count; ++i) {
            const QString path =
                QDir(temp.path()).filePath(QString("in%1-%2.jpg").arg(list.count()).arg(i));
            WriteJpeg(Solid(width, height, QColor::fromHsv((list.count() * 40) % 360, 255, 255)),
                      path);
            ASSERT_EQ(loader.AddImage(path, 0, 0), 1);
        }
    }

    bool WaitUntilRendered(ThumbnailRenderer& renderer) {
        return QTest::qWaitFor([&] { return renderer.idle(); }, 20000);
    }

    QTemporaryDir temp;
    WorkingList list;
    ScriptedPrompter prompter;
};

TEST_F(ThumbnailRendererTest, EveryEntryGetsAThumbnailFittedToItsBox) {
    Add(2, 1600, 1200);
    Add(1, 300, 400);
    Add(1, 80, 60);
    ThumbnailRenderer renderer(list);
    ASSERT_TRUE(WaitUntilRendered(renderer));
    const QSize sizes[] = {{104, 78}, {104, 78}, {58, 78}, {80, 60}};
    for (int row = 0; row < 4; ++row) {
        EXPECT_TRUE(list.at(row).rendered);
        EXPECT_EQ(list.at(row).thumbnail.size(), sizes[row]) << row;
    }
    // The colour is that entry's own.
    const QColor expected = QColor::fromHsv(80 % 360, 255, 255);
    EXPECT_NEAR(list.at(2).thumbnail.pixelColor(29, 39).hue(), expected.hue(), 6);
}

TEST_F(ThumbnailRendererTest, AFileThatCannotBeDecodedIsMarkedAndNotRetried) {
    Add(3, 320, 240);
    WriteBytes(list.at(1).workPath, "damaged since it was copied");
    ThumbnailRenderer renderer(list);
    ASSERT_TRUE(WaitUntilRendered(renderer));
    EXPECT_TRUE(list.at(1).rendered);
    EXPECT_TRUE(list.at(1).thumbnail.isNull());
    EXPECT_FALSE(list.at(0).thumbnail.isNull());
    EXPECT_FALSE(list.at(2).thumbnail.isNull());
}

TEST_F(ThumbnailRendererTest, ADamagedFileGetsTheThumbnailOfWhatCanBeRead) {
    Add(1, 3200, 2400);
    // Cut short: the top of the picture is there, the rest is as the decoder leaves it.
    WriteBytes(list.at(0).workPath, corpus::CutAt(ReadBytes(list.at(0).workPath), 0.6));
    ThumbnailRenderer renderer(list);
    ASSERT_TRUE(WaitUntilRendered(renderer));
    ASSERT_FALSE(list.at(0).thumbnail.isNull());
    const QColor expected = QColor::fromHsv(0, 255, 255);
    EXPECT_NEAR(list.at(0).thumbnail.pixelColor(50, 5).hue(), expected.hue(), 6);
}

TEST_F(ThumbnailRendererTest, ImportsMovesAndDeletionsDuringRenderingLoseOrMixNothing) {
    Add(12, 2000, 1500);
    ThumbnailRenderer renderer(list);
    // While the first thumbnails are being made: move the last to the front, delete one,
    // and import more.
    list.SetSelected(11, true);
    thumbs::MoveSelected(list, 0, true);
    QList<ImageEntry> entries = list.entries();
    entries.removeAt(5);
    list.ReplaceEntries(entries);
    Add(3, 640, 480);
    ASSERT_TRUE(WaitUntilRendered(renderer));
    ASSERT_EQ(list.count(), 14);
    for (int row = 0; row < list.count(); ++row) {
        const ImageEntry& entry = list.at(row);
        ASSERT_TRUE(entry.rendered) << row;
        // Each thumbnail shows its own entry's colour: the source name carries its number.
        const int added = entry.sourcePath.section('/', -1).mid(2).section('-', 0, 0).toInt();
        const QColor expected = QColor::fromHsv((added * 40) % 360, 255, 255);
        EXPECT_NEAR(entry.thumbnail.pixelColor(50, 38).hue(), expected.hue(), 6) << row;
    }
}

}  // namespace
