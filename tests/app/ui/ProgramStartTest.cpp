#include "app/ui/ProgramStart.h"

#include <signal.h>

#include <QProcess>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include "app/CommandLine.h"
#include "app/SingleInstance.h"
#include "app/ui/ImportQueue.h"
#include "app/ui/MainDialog.h"
#include "core/AppSettings.h"
#include "core/WorkFolders.h"
#include "skin/MessageIds.h"
#include "skin/MessageTexts.h"
#include "skin/ProfileStore.h"
#include "skin/UiTexts.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestImages.h"

namespace {

// Scripted answers, and a step of the test run once from inside the window's next plain
// message (a broken file's: 121 with its reason), in the middle of whatever showed it.
class HookedPrompter : public ScriptedPrompter {
public:
    void Plain(const QString& text) override {
        ScriptedPrompter::Plain(text);
        if (atNextPlain) std::exchange(atNextPlain, nullptr)();
    }

    std::function<void()> atNextPlain;
};

}  // namespace

// The program's start and end as the windowed program runs them, with scripted answers: the
// lock, the profile entry, the imaging start, the window, a second start beside it, and what
// stays behind afterwards. The runtime, temporary and profile folders are the test's own, and
// so those of every program the test starts.
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
        return RunWindowSession(options, prompter, [this] { return imagingWorks; });
    }

    static QString ProfileEntry() {
        return ProfileStore().value("powerpointdoc", "missing").toString();
    }

    // The program itself as a user's second start, in folder; its exit code, -1 for a crash or
    // a start that never ends. Events keep running: the window it hands over to may be ours.
    static int StartSecond(const QString& folder, const QStringList& arguments) {
        QProcess second;
        second.setWorkingDirectory(folder);
        second.setProcessChannelMode(QProcess::ForwardedChannels);
        second.start(VC_PROGRAM, arguments);
        if (!QTest::qWaitFor([&] { return second.state() == QProcess::NotRunning; }, 60000)) {
            second.kill();
            second.waitForFinished();
        }
        return second.exitStatus() == QProcess::NormalExit ? second.exitCode() : -1;
    }

    static QStringList Names(MainDialog& window) {
        QStringList names;
        for (const ImageEntry& entry : window.list().entries())
            names << QFileInfo(entry.sourcePath).fileName();
        return names;
    }

    // A windowed start without the start-up picture.
    static ProgramOptions WithoutSplash(const QStringList& paths = {}) {
        ProgramOptions options;
        options.noSplash = true;
        options.paths = paths;
        return options;
    }

    // Images in a folder of their own, named as given.
    QDir Photos(const QStringList& names) {
        QDir folder(QDir(root.path()).filePath(QString("photos%1").arg(++photoFolders)));
        folder.mkpath(".");
        for (const QString& name : names) {
            testimages::WriteJpeg(testimages::Solid(64, 48, Qt::blue), folder.filePath(name));
        }
        return folder;
    }

    static int FilesIn(const QString& folder) {
        return int(QDir(folder).entryList(QDir::Files | QDir::Hidden).size());
    }

    QTemporaryDir root;
    HookedPrompter prompter;
    int photoFolders = 0;
    int windowsShown = 0;
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
        prompter = HookedPrompter();
        imagingWorks = true;
        ProfileStore().setValue("powerpointdoc", "/home/u/talk.ppt");
    }

    // Without paths (an automation switch is none) a second start says 149, brings the running
    // window forward and ends with 1; the window goes on as it was.
    void aSecondStartWithoutPathsSays149AndBringsTheWindowForward() {
        const auto secondStarts = [](MainDialog& window) {
            for (const QStringList& arguments : {QStringList{}, QStringList{"/Automation"}}) {
                window.showMinimized();
                ScriptedPrompter second;
                ProgramOptions secondOptions;
                secondOptions.paths = arguments;
                QCOMPARE(RunWindowSession(secondOptions, second, [] { return false; }), 1);
                QCOMPARE(second.Ids(), QList<int>{msg::AlreadyRunning});
                QCOMPARE(second.records.size(), 1);
                QVERIFY(!window.isMinimized());
                QVERIFY(window.isVisible());
            }
            QCOMPARE(window.importQueue().pathsQueued(), 0);
        };
        QCOMPARE(RunSession(WithoutSplash(), secondStarts), 0);
        QCOMPARE(windowsShown, 1);
        QCOMPARE(prompter.records.size(), 0);
    }

    // Paths given to a second start, relative to its own folder as a shell gives them, go to the
    // running window, which comes forward and imports them in their order, after the images of
    // an import under way (here: while it tells about a broken file in the middle of the
    // command line's import); the second start ends with 0. The session clears the profile
    // entry, and closing asks because the images are unsaved; afterwards the work folders hold
    // nothing, a slide's export file left behind included, and the lock is free.
    void aSecondStartHandsItsPathsToTheRunningWindow() {
        const QDir photos = Photos({"one.jpg", "two.jpg", "three.jpg", "four.jpg"});
        testimages::WriteBytes(photos.filePath("broken.jpg"), "not a picture");
        // The automation switch matches no file and imports nothing, without a word.
        ProgramOptions options = WithoutSplash({"one.jpg", "broken.jpg", "/Automation", "two.jpg"});
        for (QString& path : options.paths) path = photos.filePath(path);
        int secondExit = -2;
        bool minimised = true;
        prompter.atNextPlain = [&] {
            QWidget* window = QApplication::activeWindow();
            for (QWidget* widget : QApplication::topLevelWidgets())
                if (qobject_cast<MainDialog*>(widget)) window = widget;
            window->showMinimized();
            secondExit = StartSecond(photos.path(), {"three.jpg", "four.jpg"});
            minimised = window->isMinimized();
        };
        prompter.confirmAnswers = {true};
        QStringList imported;
        QString workFolder;
        QString exportFolder;
        int filesDuring = 0;
        const auto during = [&](MainDialog& window) {
            // What arrived by then is compared below.
            (void)QTest::qWaitFor([&] { return window.list().count() >= 4; }, 30000);
            imported = Names(window);
            QCOMPARE(ProfileEntry(), QString());
            workFolder = window.settings().workFolder;
            exportFolder = window.settings().autoExportFolder;
            QVERIFY(EnsurePrivateFolder(exportFolder));
            testimages::WriteBytes(QDir(exportFolder).filePath("talk0001.bmp"), "BM");
            filesDuring = FilesIn(workFolder) + FilesIn(exportFolder);
        };
        QCOMPARE(RunSession(options, during), 0);
        QCOMPARE(secondExit, 0);
        QVERIFY2(!minimised, "the window came forward");
        QCOMPARE(imported, (QStringList{"one.jpg", "two.jpg", "three.jpg", "four.jpg"}));
        QCOMPARE(prompter.Ids(), QList<int>{msg::ExitWithoutSaving});
        QCOMPARE(prompter.records.size(), 2);  // and the broken file's
        QCOMPARE(windowsShown, 1);
        QCOMPARE(filesDuring, 5);
        QCOMPARE(FilesIn(workFolder) + FilesIn(exportFolder), 0);
        QCOMPARE(ProfileEntry(), QString());
        SingleInstance next;
        QVERIFY2(next.Acquire(), "the lock is released at the end");
    }

    // A running window that does not answer (stopped here) is not taken for one that took the
    // paths: the second start names them and ends with 1.
    void aSecondStartToAWindowThatDoesNotAnswerSaysSo() {
        QVERIFY2(!QFile::exists(SingleInstance::DefaultSocketPath()), "a closed window's is gone");
        QProcess first;
        first.setProcessChannelMode(QProcess::ForwardedChannels);
        first.start(VC_PROGRAM, {"--no-splash"});
        QVERIFY(QTest::qWaitFor([] { return QFile::exists(SingleInstance::DefaultSocketPath()); },
                                30000));
        ::kill(pid_t(first.processId()), SIGSTOP);
        ProgramOptions options;
        options.paths = {"/photos/beach.jpg"};
        const int status = RunWindowSession(options, prompter, [] { return false; });
        ::kill(pid_t(first.processId()), SIGCONT);
        first.terminate();
        QVERIFY(first.waitForFinished(30000));
        QCOMPARE(status, 1);
        QCOMPARE(prompter.records.size(), 1);
        QVERIFY(prompter.records[0].text.startsWith(UiTexts::Text("handover.no_answer")));
        QVERIFY(prompter.records[0].text.contains("\n/photos/beach.jpg"));
    }

    void imagingThatCannotStartSays120AndFreesTheLock() {
        imagingWorks = false;
        QCOMPARE(RunSession(WithoutSplash()), 1);
        QCOMPARE(prompter.Ids(), QList<int>{msg::InstallFailed});
        QCOMPARE(windowsShown, 0);
        SingleInstance next;
        QVERIFY2(next.Acquire(), "the next start runs");
    }

    // The settings live in memory only: the files per folder chosen in Preferences are gone at
    // the next start, which begins from 9999 again.
    void theSettingsStartFromTheirDefaultsAtEveryStart() {
        for (const int typed : {999, 0}) {
            RunSession(WithoutSplash(), [&](MainDialog& window) {
                QCOMPARE(window.settings().filesPerFolder, 9999);
                if (typed == 0) return;
                QTimer::singleShot(0, &window, [typed] {
                    auto* field =
                        QApplication::activeModalWidget()->findChild<QSpinBox*>("perFolder");
                    field->setValue(typed);
                    QTest::keyClick(field, Qt::Key_Return);
                });
                window.PreferencesCommand();
                QCOMPARE(window.settings().filesPerFolder, typed);
            });
        }
    }
};

QTEST_MAIN(ProgramStartTest)
#include "ProgramStartTest.moc"
