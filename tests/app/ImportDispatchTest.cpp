#include "app/ImportDispatch.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

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

    int steps = 0;
    int stepsBeforeCancel = 1000;
    int fullAfter = 1000;
    bool full = false;
    QStringList images;
    QStringList presentations;
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
    struct Case {
        const char* path;
        PathKind kind;
    } const cases[] = {
        {"/a/b.JPG", PathKind::Image},
        {"/a/b.jpg", PathKind::Image},
        {"/a/b.Png", PathKind::Image},
        {"/a/b.bmp", PathKind::Image},
        {"/a/b.tif", PathKind::Image},
        {"/a/b.jpeg", PathKind::Other},
        {"/a/b.tiff", PathKind::Other},
        {"/a/b.gif", PathKind::Other},
        {"/a/talk.ppt", PathKind::Presentation},
        {"/a/talk.PPTX", PathKind::Presentation},
        {"/a/talk.odp", PathKind::Presentation},
        {"/a/notes.txt", PathKind::Other},
        {"jpg", PathKind::Other},
        {"/a/xjpg", PathKind::Other},
    };
    for (const Case& c : cases) EXPECT_EQ(KindOfPath(c.path), c.kind) << c.path;
}

TEST_F(ImportDispatchTest, AFolderInNameOrderWithoutSubFolders) {
    const QString folder = Path("my folder");
    Make("my folder/b.PNG");
    Make("my folder/a.jpg");
    Make("my folder/talk.ppt");
    Make("my folder/notes.txt");
    Make("my folder/photo.jpeg");
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

TEST_F(ImportDispatchTest, SingleFilesMissingPathsCancelAndAFullList) {
    int counter = 0;
    const QString single = Make("one.JPG");
    EXPECT_TRUE(ImportPath(single, counter, ImportMode::Load, &sink));
    EXPECT_EQ(sink.images, QStringList{single});
    EXPECT_TRUE(ImportPath(Path("never made.jpg"), counter, ImportMode::Load, &sink));
    EXPECT_EQ(sink.images.size(), 1) << "a path that names nothing matches nothing";

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
