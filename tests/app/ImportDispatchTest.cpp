#include "app/ImportDispatch.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <optional>

#include "tests/support/TestImages.h"

namespace {

// Records what a load pass hands on; stops when told to.
class RecordingSink : public ImportSink {
public:
    bool StepProgress() override {
        ++steps;
        return steps <= stepsBeforeCancel;
    }
    void LoadImage(const QString& path) override {
        images.append(path);
        if (images.size() >= fullAfter) full = true;
    }
    void QueuePresentation(const QString& path) override { presentations.append(path); }
    bool ListFull() const override { return full; }
    void Skipped(const QString& path, SkipReason reason) override {
        skipped.append({QFileInfo(path).fileName(), reason});
    }

    int steps = 0;
    int stepsBeforeCancel = 1000;
    int fullAfter = 1000;
    bool full = false;
    QStringList images;
    QStringList presentations;
    QList<std::pair<QString, SkipReason>> skipped;
};

class ImportDispatchTest : public ::testing::Test {
protected:
    QString Make(const QString& name) {
        const QString path = QDir(temp.path()).filePath(name);
        QDir().mkpath(QFileInfo(path).path());
        testimages::WriteBytes(path, "x");
        return path;
    }
    QString Path(const QString& name) const { return QDir(temp.path()).filePath(name); }

    QTemporaryDir temp;
    RecordingSink sink;
};

TEST(KindOfPath, ByTheLastCharactersWithoutRegardToCase) {
    const std::pair<PathKind, QStringList> kinds[] = {
        {PathKind::Image,
         {"/a/b.JPG", "/a/b.jpg", "/a/b.Png", "/a/b.bmp", "/a/b.tif", "/a/b.jpeg", "/a/b.JPE",
          "/a/b.TIFF", "/a/b.heic", "/a/b.HEIC", "/a/b.Heif", "/a/b.avif", "/a/b.AVIF", "/a/b.webp",
          "/a/b.WebP"}},
        {PathKind::Presentation, {"/a/talk.ppt", "/a/talk.PPTX", "/a/talk.odp", "/a/handout.Pdf"}},
        {PathKind::Other,
         {"/a/b.hei", "/a/b.heics", "/a/b.avi", "/a/b.svg", "/a/b.pdf.webp.txt", "/a/b.jp",
          "/a/b.pp", "/a/b.gif", "/a/notes.txt", "jpg", "/a/xjpg"}},
    };
    for (const auto& [kind, paths] : kinds) {
        for (const QString& path : paths) EXPECT_EQ(KindOfPath(path), kind) << path.toStdString();
    }
}

TEST_F(ImportDispatchTest, AFolderInNameOrderWithoutSubFolders) {
    const QString folder = Path("my folder");
    Make("my folder/b.PNG");
    Make("my folder/a.jpg");
    Make("my folder/talk.ppt");
    Make("my folder/notes.txt");
    Make("my folder/photo.gif");
    Make("my folder/sub/inner.jpg");

    int counter = 0;
    EXPECT_TRUE(ImportPath(folder, counter, ImportMode::Count, nullptr));
    EXPECT_EQ(counter, 2);  // the bar's range: presentations are not counted

    counter = 0;
    EXPECT_TRUE(ImportPath(folder, counter, ImportMode::Load, &sink));
    EXPECT_EQ(sink.images, (QStringList{folder + "/a.jpg", folder + "/b.PNG"}));
    EXPECT_EQ(sink.presentations, QStringList{folder + "/talk.ppt"});
    EXPECT_EQ(sink.steps, 3);
    EXPECT_EQ(counter, 2);
}

TEST_F(ImportDispatchTest, SymbolicLinksStandForWhatTheyPointAt) {
    Make("pictures/x.jpg");
    Make("pictures/y.png");
    const QString target = Make("elsewhere/holiday.jpg");
    Make("elsewhere/readme.txt");
    QDir().mkpath(Path("links"));
    ASSERT_TRUE(QFile::link(Path("pictures"), Path("links/to folder")));
    ASSERT_TRUE(QFile::link(target, Path("links/shortcut.lnk")));
    ASSERT_TRUE(QFile::link(Path("elsewhere/readme.txt"), Path("links/readme.jpg")));
    ASSERT_TRUE(QFile::link(Path("nothing here.jpg"), Path("links/dangling.jpg")));
    ASSERT_TRUE(QFile::link(Path("links/loop b.jpg"), Path("links/loop a.jpg")));
    ASSERT_TRUE(QFile::link(Path("links/loop a.jpg"), Path("links/loop b.jpg")));

    int counter = 0;
    // A link to a folder given as a path imports that folder.
    EXPECT_TRUE(ImportPath(Path("links/to folder"), counter, ImportMode::Load, &sink));
    EXPECT_EQ(sink.images.size(), 2);
    // In a listing: the link to the JPEG is loaded under the target's name; links to a
    // folder, to a text file, dangling or looping are passed over.
    sink.images.clear();
    EXPECT_TRUE(ImportPath(Path("links"), counter, ImportMode::Load, &sink));
    EXPECT_EQ(sink.images, QStringList{target});
    // The same link given alone.
    sink.images.clear();
    EXPECT_TRUE(ImportPath(Path("links/shortcut.lnk"), counter, ImportMode::Load, &sink));
    EXPECT_EQ(sink.images, QStringList{target});
    sink.images.clear();
    EXPECT_TRUE(ImportPath(Path("links/dangling.jpg"), counter, ImportMode::Load, &sink));
    EXPECT_TRUE(ImportPath(Path("links/loop a.jpg"), counter, ImportMode::Load, &sink));
    EXPECT_TRUE(sink.images.isEmpty());
}

// What is not taken is named with its reason: in a folder, whatever looks like an image or
// a presentation (by its own name or its link's target); given alone, anything.
TEST_F(ImportDispatchTest, WhatIsNotTakenIsNamedWithItsReason) {
    const QString folder = Path("mixed");
    Make("mixed/good.jpg");
    Make("mixed/notes.txt");
    Make("elsewhere/readme.txt");
    QDir().mkpath(Path("mixed/sub.jpg"));
    ASSERT_TRUE(QFile::link(Path("nothing here.jpg"), Path("mixed/dangling.jpg")));
    ASSERT_TRUE(QFile::link(Path("nothing here.png"), Path("mixed/dangling no type")));
    ASSERT_TRUE(QFile::link(Path("nothing here"), Path("mixed/dangling other")));
    ASSERT_TRUE(QFile::link(Path("mixed/loop b.jpg"), Path("mixed/loop a.jpg")));
    ASSERT_TRUE(QFile::link(Path("mixed/loop a.jpg"), Path("mixed/loop b.jpg")));
    ASSERT_TRUE(QFile::link("/dev/null", Path("mixed/device.jpg")));
    ASSERT_TRUE(QFile::link(Path("elsewhere/readme.txt"), Path("mixed/text.jpg")));
    ASSERT_EQ(::mkfifo(QFile::encodeName(Path("mixed/pipe.png")).constData(), 0600), 0);
    // A Latin-1 name on a UTF-8 system.
    const QByteArray latin1 = QFile::encodeName(folder) + "/caf\xe9.jpg";
    const int fd = ::open(latin1.constData(), O_WRONLY | O_CREAT, 0600);
    ASSERT_GE(fd, 0);
    ::close(fd);

    int counter = 0;
    EXPECT_TRUE(ImportPath(folder, counter, ImportMode::Load, &sink));
    // A pipe with an image's name goes to the loader, which refuses it with its message.
    EXPECT_EQ(sink.images, (QStringList{folder + "/good.jpg", folder + "/pipe.png"}));
    const QList<std::pair<QString, SkipReason>> expected{
        {"dangling no type", SkipReason::DanglingLink},
        {"dangling.jpg", SkipReason::DanglingLink},
        {"device.jpg", SkipReason::NotRegularFile},
        {"loop a.jpg", SkipReason::DanglingLink},
        {"loop b.jpg", SkipReason::DanglingLink},
        {QFile::decodeName("caf\xe9.jpg"), SkipReason::UnreadableName},
    };
    EXPECT_EQ(sink.skipped, expected);
    ::unlink(latin1.constData());  // the temporary folder cannot spell it either

    struct Alone {
        const char* name;
        std::optional<SkipReason> reason;
    } const alone[] = {
        {"never made.jpg", SkipReason::NotFound},
        {"mixed/notes.txt", SkipReason::NotImageType},
        {"mixed/text.jpg", SkipReason::NotImageType},
        {"mixed/dangling other", SkipReason::DanglingLink},
        {"mixed/device.jpg", SkipReason::NotRegularFile},
        {"mixed/good.jpg", std::nullopt},
    };
    for (const Alone& a : alone) {
        sink.skipped.clear();
        EXPECT_TRUE(ImportPath(Path(a.name), counter, ImportMode::Load, &sink));
        if (a.reason) {
            ASSERT_EQ(sink.skipped.size(), 1) << a.name;
            EXPECT_EQ(sink.skipped.first().second, *a.reason) << a.name;
        } else {
            EXPECT_TRUE(sink.skipped.isEmpty()) << a.name;
        }
    }
}

TEST_F(ImportDispatchTest, SingleFilesMissingPathsCancelAndAFullList) {
    int counter = 0;
    const QString single = Make("one.JPG");
    EXPECT_TRUE(ImportPath(single, counter, ImportMode::Load, &sink));
    EXPECT_EQ(sink.images, QStringList{single});
    EXPECT_TRUE(ImportPath(Path("never made.jpg"), counter, ImportMode::Load, &sink));
    EXPECT_EQ(sink.images.size(), 1) << "a path that names nothing loads nothing";

    for (int i = 1; i <= 5; ++i) Make(QString("five/%1.jpg").arg(i));
    RecordingSink cancelling;
    cancelling.stepsBeforeCancel = 2;  // Cancel pressed while the second file loads
    EXPECT_FALSE(ImportPath(Path("five"), counter, ImportMode::Load, &cancelling));
    EXPECT_EQ(cancelling.images.size(), 2);

    RecordingSink filling;
    filling.fullAfter = 3;
    EXPECT_TRUE(ImportPath(Path("five"), counter, ImportMode::Load, &filling));
    EXPECT_EQ(filling.images.size(), 3) << "the listing stops once the list is full";
}

}  // namespace
