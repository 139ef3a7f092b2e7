#include "app/ui/ProgramStart.h"

#include <QTemporaryDir>
#include <QTest>

#include "app/CommandLine.h"
#include "app/SingleInstance.h"
#include "app/ui/MainDialog.h"
#include "core/AppSettings.h"
#include "core/WorkFolders.h"
#include "skin/MessageIds.h"
#include "skin/MessageTexts.h"
#include "skin/ProfileStore.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestImages.h"

// The program's start and end as the windowed program runs them, with scripted answers: the
// lock, the profile entry, the imaging start, the window, and what stays behind afterwards.
// The runtime, temporary and profile folders are the test's own.
class ProgramStartTest : public QObject {
    Q_OBJECT

private:
    // Runs the session; when its window shows, during runs on it and the window is closed.
    int RunSession(const ProgramOptions& options, std::function<void(MainDialog&)> during = {}) {
        windowsShown = 0;
        QTimer watch;
        watch.setInterval(20);
        connect(&watch, &QTimer::timeout, this, [&] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                auto* window = qobject_cast<MainDialog*>(widget);
                if (!window || !window->isVisible()) continue;
                watch.stop();
                ++windowsShown;
                if (during) during(*window);
                window->ExitCommand();
                return;
            }
        });
        watch.start();
        return RunWindowSession(options, prompter, [this] {
            ++imagingStarts;
            return imagingWorks;
        });
    }

    static QString ProfileEntry() {
        return ProfileStore().value("powerpointdoc", "missing").toString();
    }

    static int FilesIn(const QString& folder) {
        return int(QDir(folder).entryList(QDir::Files | QDir::Hidden).size());
    }

    QTemporaryDir root;
    ScriptedPrompter prompter;
    int windowsShown = 0;
    int imagingStarts = 0;
    bool imagingWorks = true;

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(root.isValid());
        for (const char* folder : {"runtime", "tmp", "config"}) QDir(root.path()).mkdir(folder);
        QFile::setPermissions(QDir(root.path()).filePath("runtime"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", QDir(root.path()).filePath("runtime").toUtf8());
        qputenv("TMPDIR", QDir(root.path()).filePath("tmp").toUtf8());
        qputenv("XDG_CONFIG_HOME", QDir(root.path()).filePath("config").toUtf8());
        NameProfileStore();
        QVERIFY(SingleInstance::DefaultLockPath().startsWith(root.path()));
        Messages::SetLanguage(Messages::Language::English);
    }

    void init() {
        prompter = ScriptedPrompter();
        imagingStarts = 0;
        imagingWorks = true;
        ProfileStore().setValue("powerpointdoc", "/home/u/talk.ppt");
    }

    void aSecondStartSays149AndLeavesTheFirstAlone() {
        SingleInstance first;
        QVERIFY(first.Acquire());
        ProgramOptions options;
        options.noSplash = true;
        QCOMPARE(RunSession(options), 1);
        QCOMPARE(prompter.Ids(), QList<int>{msg::AlreadyRunning});
        QCOMPARE(windowsShown, 0);
        QCOMPARE(imagingStarts, 0);
        QCOMPARE(ProfileEntry(), QString("/home/u/talk.ppt"));
        QVERIFY(first.held());
    }

    void imagingThatCannotStartSays120AndFreesTheLock() {
        imagingWorks = false;
        ProgramOptions options;
        options.noSplash = true;
        QCOMPARE(RunSession(options), 1);
        QCOMPARE(prompter.Ids(), QList<int>{msg::InstallFailed});
        QCOMPARE(windowsShown, 0);
        SingleInstance next;
        QVERIFY2(next.Acquire(), "the next start runs");
    }

    // An image given on the command line is imported into the work folder; closing asks
    // because it is unsaved, and afterwards the work folders hold nothing.
    void aSessionClearsTheProfileEntryAndLeavesTheWorkFoldersEmpty() {
        const QString image = QDir(root.path()).filePath("photo.jpg");
        testimages::WriteJpeg(testimages::Solid(64, 48, Qt::red), image);
        ProgramOptions options;
        options.noSplash = true;
        options.paths = {image};
        prompter.confirmAnswers = {true};
        QString workFolder;
        QString exportFolder;
        int filesDuring = 0;
        QCOMPARE(RunSession(
                     options,
                     [&](MainDialog& window) {
                         QVERIFY(QTest::qWaitFor([&] { return window.list().count() == 1; }));
                         QCOMPARE(ProfileEntry(), QString());
                         workFolder = window.settings().workFolder;
                         exportFolder = window.settings().autoExportFolder;
                         // A slide's export file left behind goes too.
                         QVERIFY(EnsurePrivateFolder(exportFolder));
                         testimages::WriteBytes(QDir(exportFolder).filePath("talk0001.bmp"), "BM");
                         filesDuring = FilesIn(workFolder) + FilesIn(exportFolder);
                     }),
                 0);
        QCOMPARE(windowsShown, 1);
        QCOMPARE(imagingStarts, 1);
        QCOMPARE(prompter.Ids(), QList<int>{msg::ExitWithoutSaving});
        QVERIFY(workFolder.startsWith(QDir::tempPath()));
        QCOMPARE(filesDuring, 2);
        QCOMPARE(FilesIn(workFolder), 0);
        QCOMPARE(FilesIn(exportFolder), 0);
        QCOMPARE(ProfileEntry(), QString());
        SingleInstance next;
        QVERIFY2(next.Acquire(), "the lock is released at the end");
    }
};

QTEST_MAIN(ProgramStartTest)
#include "ProgramStartTest.moc"
