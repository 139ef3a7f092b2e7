#include <gtest/gtest.h>
#include <QDir>
#include <QTemporaryDir>

#include "card/ConvertRun.h"
#include "core/WorkingList.h"
#include "imaging/ImageLoader.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestImages.h"

using namespace testimages;

namespace {

bool Near(QColor a, QColor b) {
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
               std::abs(a.blue() - b.blue()) <
           60;
}

// A portrait turned left by hand is written turned before it is fitted, so it fills the 800 x
// 600 frame; the user's file and the work copy keep their bytes. The source is green with a
// red top left quarter, which the left turn takes to the bottom left.
TEST(TurnedConvert, APortraitTurnedLeftFillsTheFrameAndNoFileChanges) {
    QTemporaryDir temp;
    WorkingList list;
    ScriptedPrompter prompter;
    ImageLoader loader(list, prompter, temp.filePath("work"));
    const QString path = temp.filePath("portrait.jpg");
    WriteJpeg(Solid(900, 1200, Qt::green).insert(Solid(450, 600, Qt::red), 0, 0), path);
    ASSERT_EQ(loader.AddImage(path, 0, 0), 1);
    list.SetTurn(0, 3, QImage());
    const QByteArray source = ReadBytes(path), work = ReadBytes(list.at(0).workPath);
    ConvertSettings settings;
    settings.destination = temp.filePath("card/DCIM/100RODIV");
    bool unsaved = true;
    QString last;
    ConvertRun run(list, settings, prompter, unsaved, last);
    ASSERT_TRUE(run.SaveAll(std::atomic<bool>(false)));
    const QString written = QDir(settings.destination).filePath(run.outcomes()[0].path);
    const vips::VImage image = vips::VImage::new_from_file(written.toUtf8().constData());
    ASSERT_EQ(image.width(), 800);
    ASSERT_EQ(image.height(), 600);
    EXPECT_TRUE(Near(PixelAt(image, 200, 450), Qt::red));
    EXPECT_TRUE(Near(PixelAt(image, 2, 450), Qt::red)) << "no bars";
    EXPECT_TRUE(Near(PixelAt(image, 600, 150), Qt::green));
    EXPECT_EQ(ReadBytes(path), source);
    EXPECT_EQ(ReadBytes(list.at(0).workPath), work);
}

}  // namespace
