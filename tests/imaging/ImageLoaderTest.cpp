#include "imaging/ImageLoader.h"

#include <sys/mount.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <QAbstractItemModelTester>
#include <QDir>
#include <QTemporaryDir>
#include <functional>

#include "core/WorkingList.h"
#include "imaging/CLead.h"
#include "imaging/ImagingConstants.h"
#include "skin/MessageIds.h"
#include "skin/MessageTexts.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestImages.h"

using namespace testimages;
using vips::VImage;

namespace {

QStringList FilesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden);
}

class ImageLoaderTest : public ::testing::Test {
protected:
    ImageLoaderTest()
        : work(QDir(temp.path()).filePath("vimbrelcastorWork")), loader(list, prompter, work) {}

    QString Source(const QString& name) const { return QDir(temp.path()).filePath(name); }

    QTemporaryDir temp;
    QString work;
    WorkingList list;
    QAbstractItemModelTester tester{&list};
    ScriptedPrompter prompter;
    ImageLoader loader;
};

TEST_F(ImageLoaderTest, RefusalsTellWhyAndLeaveNothingBehind) {
    struct Case {
        const char* name;
        std::function<void(const QString&)> make;
        int message;
        const char* reason = "";  // the decoder's, told beside 121
    } const cases[] = {
        {"text named jpg", [](auto p) { WriteBytes(p, "plain text\n"); }, msg::WrongImageFile,
         "not an image file"},
        {"damaged jpeg", [](auto p) { WriteBytes(p, "\xFF\xD8\xFF\xDB\x00"); }, msg::WrongImageFile,
         "no frame header"},
        // Documents and images of formats the program does not read, refused unread by their
        // signature; a file a usable loader of the library knows is no exception.
        {"svg", [](auto p) { WriteBytes(p, "<?xml version=\"1.0\"?>\n<svg width=\"9\"/>"); },
         msg::UnsupportedFormat},
        {"pdf", [](auto p) { WriteBytes(p, "%PDF-1.4\n1 0 obj<<>>endobj\n%%EOF\n"); },
         msg::UnsupportedFormat},
        {"ppm", [](auto p) { Solid(8, 8, Qt::red).ppmsave(QFile::encodeName(p).constData()); },
         msg::UnsupportedFormat},
        {"matrix", [](auto p) { WriteBytes(p, "2 2\n1 2\n3 4\n"); }, msg::UnsupportedFormat},
        // Only the header is read: the pixel data of these files is never decoded.
        {"10001 x 50", [](auto p) { WriteBlankPng(p, 10001, 50); }, msg::ImageTooLarge},
        {"50 x 10001 header only",
         [](auto p) {
             WriteBlankPng(p, 50, 10001);
             QFile::resize(p, ReadBytes(p).indexOf("IDAT") + 24);  // the pixels are gone
         },
         msg::ImageTooLarge},
        {"missing file", [](auto) {}, msg::WrongImageFile},
        {"a folder", [](auto p) { QDir().mkdir(p); }, msg::WrongImageFile},
        // The work folder's place is taken by a file: no work copy can be made.
        {"sound, no work folder",
         [this](auto p) {
             WriteJpeg(Solid(40, 30, Qt::red), p);
             WriteBytes(work, "in the way");
         },
         msg::WrongImageFile},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = Source(QString(c.name) + ".jpg");
        c.make(path);
        prompter.records.clear();
        EXPECT_EQ(loader.AddImage(path, 0, 0), 0);
        ASSERT_EQ(prompter.records.size(), 1);
        const ScriptedPrompter::Record& told = prompter.records[0];
        if (*c.reason != '\0') {
            EXPECT_EQ(told.kind, ScriptedPrompter::Kind::Plain);
            EXPECT_TRUE(told.text.startsWith(Messages::Format(c.message, path) + "\n("));
            EXPECT_TRUE(told.text.contains(QLatin1String(c.reason))) << told.text.toStdString();
        } else {
            EXPECT_EQ(prompter.Ids(), QList<int>{c.message});
            EXPECT_EQ(told.argument, path);
        }
        EXPECT_EQ(list.count(), 0);
        EXPECT_TRUE(FilesIn(work).isEmpty());
    }
}

// Each load is a copy of its own, byte for byte, in the private work folder: the largest
// picture taken in, a second load of it with the origin flags, and a file of several chunks.
TEST_F(ImageLoaderTest, EachLoadIsAPrivateCopyByteForByte) {
    const QString path = Source("big 写真.png");
    WriteBlankPng(path, 10000, 10000);
    const QString large = Source("large.bmp");
    WriteBmp(QImage(1100, 1000, QImage::Format_RGB888), large);  // 3 MiB and a little
    EXPECT_EQ(loader.AddImage(path, 0, 0), 1);
    EXPECT_EQ(loader.AddImage(path, 1, 1), 1);
    EXPECT_EQ(loader.AddImage(large, 0, 0), 1);
    EXPECT_TRUE(prompter.records.isEmpty());
    ASSERT_EQ(list.count(), 3);
    const ImageEntry& entry = list.at(0);
    EXPECT_EQ(entry.sourcePath, path);
    EXPECT_EQ(entry.index, 0u);
    EXPECT_FALSE(entry.selected || entry.saved || entry.rendered || entry.positioned);
    EXPECT_EQ(entry.originFlagA, 0);
    EXPECT_EQ(QFileInfo(entry.workPath).path(), work);
    EXPECT_TRUE(QFileInfo(entry.workPath).fileName().startsWith("TMP"));
    EXPECT_NE(list.at(0).id, list.at(1).id);
    EXPECT_EQ(list.at(1).index, 1u);
    EXPECT_EQ(QPair(list.at(1).originFlagA, list.at(1).originFlagB), QPair(1, 1));
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(ReadBytes(list.at(row).workPath), ReadBytes(list.at(row).sourcePath)) << row;
    }
    EXPECT_EQ(FilesIn(work).size(), 3);
    EXPECT_EQ(QFileInfo(work).permissions() & (QFile::ReadOther | QFile::ReadGroup), 0)
        << "the work folder is private";
}

TEST_F(ImageLoaderTest, TheListHoldsAtMost9999) {
    // A list of its own: the model tester would re-check all rows on every append.
    WorkingList full;
    ImageLoader fullLoader(full, prompter, work);
    for (int i = 0; i < WorkingList::kMaxEntries - 1; ++i) {
        ImageEntry entry;
        entry.sourcePath = QString("/x/%1.jpg").arg(i);
        full.Append(entry);
    }
    const QString path = Source("a.jpg");
    WriteJpeg(Solid(40, 30, Qt::red), path);
    EXPECT_EQ(fullLoader.AddImage(path, 0, 0), 1);  // the 9,999th
    EXPECT_FALSE(full.listFull());
    EXPECT_EQ(fullLoader.AddImage(path, 0, 0), 0);
    EXPECT_EQ(prompter.Ids(), QList<int>{msg::TooManyImages});
    EXPECT_TRUE(full.listFull());
    EXPECT_EQ(full.count(), 9999);
    EXPECT_EQ(full.at(9998).index, 9998u);
    EXPECT_EQ(FilesIn(work).size(), 1);
}

TEST_F(ImageLoaderTest, AnUnreadableSourceIsRefused) {
    if (::geteuid() == 0) GTEST_SKIP() << "root reads every file";
    const QString path = Source("locked.jpg");
    WriteJpeg(Solid(40, 30, Qt::red), path);
    QFile::setPermissions(path, QFileDevice::Permissions());
    EXPECT_EQ(loader.AddImage(path, 0, 0), 0);
    EXPECT_EQ(prompter.Ids(), QList<int>{msg::WrongImageFile});
    EXPECT_TRUE(FilesIn(work).isEmpty());
}

TEST_F(ImageLoaderTest, AFullWorkDriveLeavesNoPartialCopy) {
    const QString mountPoint = Source("small-drive");
    QDir().mkdir(mountPoint);
    if (::geteuid() != 0 ||
        ::mount("tmpfs", QFile::encodeName(mountPoint), "tmpfs", 0, "size=256k") != 0) {
        GTEST_SKIP() << "needs root and tmpfs to fill a drive";
    }
    const QString smallWork = QDir(mountPoint).filePath("vimbrelcastorWork");
    ImageLoader smallLoader(list, prompter, smallWork);
    const QString path = Source("large.bmp");
    WriteBmp(QImage(400, 400, QImage::Format_RGB888), path);  // 480 KB
    EXPECT_EQ(smallLoader.AddImage(path, 0, 0), 0);
    EXPECT_EQ(prompter.Ids(), QList<int>{msg::WrongImageFile});
    EXPECT_EQ(list.count(), 0);
    EXPECT_TRUE(FilesIn(smallWork).isEmpty());
    ::umount(QFile::encodeName(mountPoint));
}

}  // namespace
