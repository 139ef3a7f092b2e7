#include "app/ImportDispatch.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "tests/support/TestImages.h"

namespace {

// Notes in order what a load pass hands on; stops when told to.
class RecordingSink : public ImportSink {
public:
    bool StepProgress() override { return ++steps <= stepsBeforeCancel; }
    void LoadImage(const QString& path) override {
        log << "image:" + path;
        if (++images >= fullAfter) full = true;
    }
    void QueuePresentation(const QString& path) override { log << "presentation:" + path; }
    bool ListFull() const override { return full; }
    void Skipped(const QString& path, SkipReason reason) override {
        static const char* const kReasons[] = {"not found", "not an image type", "dangling",
                                               "not a file", "unreadable name"};
        log << QString("skipped:%1 (%2)").arg(path, kReasons[int(reason)]);
    }

    int steps = 0;
    int stepsBeforeCancel = 1000;
    int images = 0;
    int fullAfter = 1000;
    bool full = false;
    QStringList log;
};

// A folder of every kind of entry: images, a presentation, files of other types, a sub-folder,
// links that lead to an image, a folder, a text, nowhere or round in a loop, a device, a pipe,
// and a name this system cannot spell.
class ImportDispatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"mixed/b.PNG", "mixed/a.jpg", "mixed/talk.ppt", "mixed/notes.txt",
                                 "mixed/photo.gif", "mixed/sub/inner.jpg", "pictures/x.jpg",
                                 "pictures/y.png", "elsewhere/holiday.jpg", "elsewhere/readme.txt"})
            Make(name);
        QDir().mkpath(Path("mixed/sub.jpg"));
        const std::pair<const char*, const char*> links[] = {
            {"elsewhere/holiday.jpg", "mixed/shortcut.lnk"},
            {"pictures", "mixed/to folder"},
            {"elsewhere/readme.txt", "mixed/text.jpg"},
            {"nothing here.jpg", "mixed/dangling.jpg"},
            {"nothing here.png", "mixed/dangling no type"},
            {"nothing here", "mixed/dangling other"},
            {"mixed/loop b.jpg", "mixed/loop a.jpg"},
            {"mixed/loop a.jpg", "mixed/loop b.jpg"},
        };
        for (const auto& [target, link] : links) ASSERT_TRUE(QFile::link(Path(target), Path(link)));
        ASSERT_TRUE(QFile::link("/dev/null", Path("mixed/device.jpg")));
        ASSERT_EQ(::mkfifo(QFile::encodeName(Path("mixed/pipe.png")).constData(), 0600), 0);
        // A Latin-1 name on a UTF-8 system.
        latin1 = QFile::encodeName(Path("mixed")) + "/caf\xe9.jpg";
        const int fd = ::open(latin1.constData(), O_WRONLY | O_CREAT, 0600);
        ASSERT_GE(fd, 0);
        ::close(fd);
    }
    // The temporary folder cannot spell the Latin-1 name either.
    void TearDown() override { ::unlink(latin1.constData()); }

    QString Make(const QString& name) {
        const QString path = Path(name);
        QDir().mkpath(QFileInfo(path).path());
        testimages::WriteBytes(path, "x");
        return path;
    }
    QString Path(const QString& name) const { return QDir(temp.path()).filePath(name); }
    // What the sink was handed, with paths from the temporary folder.
    QString Log(const RecordingSink& sink) const {
        return sink.log.join(", ").replace(temp.path() + "/", "");
    }

    QTemporaryDir temp;
    QByteArray latin1;
};

TEST(KindOfPath, ByTheLastCharactersWithoutRegardToCase) {
    const std::pair<PathKind, QStringList> kinds[] = {
        {PathKind::Image,
         {"/a/b.JPG", "/a/b.jpg", "/a/b.Png", "/a/b.bmp", "/a/b.tif", "/a/b.jpeg", "/a/b.JPE",
          "/a/b.TIFF", "/a/b.HEIC", "/a/b.Heif", "/a/b.avif", "/a/b.WebP"}},
        {PathKind::Presentation, {"/a/talk.ppt", "/a/talk.PPTX", "/a/talk.odp", "/a/handout.Pdf"}},
        {PathKind::Other,
         {"/a/b.hei", "/a/b.heics", "/a/b.avi", "/a/b.svg", "/a/b.pdf.webp.txt", "/a/b.jp",
          "/a/b.pp", "/a/b.gif", "/a/notes.txt", "jpg", "/a/xjpg"}},
    };
    for (const auto& [kind, paths] : kinds) {
        for (const QString& path : paths) EXPECT_EQ(KindOfPath(path), kind) << path.toStdString();
    }
}

// In name order, without its sub-folders or the links to them; a link to an image is loaded
// under its target's name, a pipe with an image's name goes to the loader (which refuses it
// with its message). What is not taken is named with its reason when it looks like an image
// or a presentation, by its own name or its link's target. The bar's range counts the images.
TEST_F(ImportDispatchTest, AFolderInNameOrder) {
    int counter = 0;
    EXPECT_TRUE(ImportPath(Path("mixed"), counter, ImportMode::Count, nullptr));
    EXPECT_EQ(counter, 4);
    RecordingSink sink;
    EXPECT_TRUE(ImportPath(Path("mixed"), counter, ImportMode::Load, &sink));
    EXPECT_EQ(Log(sink),
              QString("image:mixed/a.jpg, image:mixed/b.PNG, skipped:mixed/dangling no type "
                      "(dangling), skipped:mixed/dangling.jpg (dangling), skipped:mixed/device.jpg "
                      "(not a file), skipped:mixed/loop a.jpg (dangling), skipped:mixed/loop b.jpg "
                      "(dangling), image:mixed/pipe.png, image:elsewhere/holiday.jpg, "
                      "presentation:mixed/talk.ppt, skipped:mixed/%1 (unreadable name)")
                  .arg(QFile::decodeName("caf\xe9.jpg")));
    EXPECT_EQ(sink.steps, 5);
}

// Given alone, anything not taken is named; a link to a folder imports that folder.
TEST_F(ImportDispatchTest, APathGivenAlone) {
    const std::pair<const char*, QString> cases[] = {
        {"mixed/a.jpg", "image:mixed/a.jpg"},
        {"mixed/shortcut.lnk", "image:elsewhere/holiday.jpg"},
        {"mixed/to folder", "image:pictures/x.jpg, image:pictures/y.png"},
        {"never made.jpg", "skipped:never made.jpg (not found)"},
        {"mixed/notes.txt", "skipped:mixed/notes.txt (not an image type)"},
        {"mixed/text.jpg", "skipped:mixed/text.jpg (not an image type)"},
        {"mixed/dangling other", "skipped:mixed/dangling other (dangling)"},
    };
    for (const auto& [name, log] : cases) {
        RecordingSink sink;
        int counter = 0;
        EXPECT_TRUE(ImportPath(Path(name), counter, ImportMode::Load, &sink));
        EXPECT_EQ(Log(sink), log) << name;
    }
}

}  // namespace
