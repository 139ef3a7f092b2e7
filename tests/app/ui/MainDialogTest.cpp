#include "app/ui/MainDialog.h"

#include <QLabel>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>

#include "app/ui/SplashWindow.h"
#include "core/AppSettings.h"
#include "core/WorkFolders.h"
#include "skin/MessageIds.h"
#include "skin/MessageTexts.h"
#include "skin/ui/MenuBarButton.h"
#include "skin/ui/SkinButton.h"
#include "skin/ui/WindowFront.h"
#include "tests/support/ScriptedPrompter.h"
#include "thumbs/ui/CThumbView.h"

namespace {

// The main window with its commands and imports recorded instead of run.
class RecordingDialog : public MainDialog {
public:
    using MainDialog::MainDialog;

    void ImportSlideCommand() override { ran << "importSlide"; }
    void ImportFileCommand() override { ran << "importFile"; }
    void ConvertAndSaveCommand() override { ran << "convert"; }

    void ImportStartupEntry(const QStringList& paths) override {
        ran << "startup:" + paths.join(',');
        // An import pumps events while its progress window is up: ticks come meanwhile.
        QTest::qWait(3 * kQueueIntervalMs / 2);
    }
    bool ImportPresentation(const QString& path) override {
        ran << "presentation:" + path;
        return true;
    }

    QStringList ran;
};

}  // namespace

class MainDialogTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<RecordingDialog> MakeWindow() {
        ResetSettings(settings);
        prompter = ScriptedPrompter();
        auto window = std::make_unique<RecordingDialog>(settings, space, &prompter);
        SetMainWindow(window.get());
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get())) return nullptr;
        window->activateWindow();
        return window;
    }

    QTemporaryDir profile;
    AppSettings settings;
    WorkSpace space{QDir::tempPath()};
    ScriptedPrompter prompter;

private Q_SLOTS:
    void initTestCase() {
        qputenv("XDG_CONFIG_HOME", profile.path().toUtf8());
        Messages::SetLanguage(Messages::Language::English);
    }

    void plainLettersNeverOpenTheMenusButAltDoes() {
        auto window = MakeWindow();
        QVERIFY(window);
        QTest::keyClick(window->thumbView(), Qt::Key_F);
        QCOMPARE(QApplication::activePopupWidget(), nullptr);

        auto* file = window->findChild<MenuBarButton*>("fileMenuButton");
        QWidget* popup = nullptr;
        QPoint where;
        QTimer::singleShot(200, [&] {
            popup = QApplication::activePopupWidget();
            if (popup) {
                where = popup->pos();
                popup->close();
            }
        });
        QTest::keyClick(window->thumbView(), Qt::Key_F, Qt::AltModifier);
        QTRY_VERIFY(popup != nullptr);
        QCOMPARE(where, file->mapToGlobal(file->rect().bottomLeft()));
        QCOMPARE(qobject_cast<QMenu*>(popup)->actions().size(), 6);  // with two separators
    }

    void enterRunsTheFocusedButtonOnly() {
        struct Case {
            const char* focus;
            const char* command;
        } const cases[] = {
            {"importFile", "importFile"},
            {"importSlide", "importSlide"},
            {"convert", "convert"},
            {"thumbView", nullptr},
        };
        for (const Case& c : cases) {
            auto window = MakeWindow();
            QVERIFY(window);
            QWidget* target = window->findChild<QWidget*>(c.focus);
            QVERIFY2(target, c.focus);
            target->setFocus();
            QTest::keyClick(target, Qt::Key_Return);
            QCOMPARE(window->ran, c.command ? QStringList{c.command} : QStringList{});
        }
    }

    void shortcutsReachTheirCommands() {
        auto window = MakeWindow();
        QVERIFY(window);
        QTest::keyClick(window->thumbView(), Qt::Key_O, Qt::ControlModifier);
        QTest::keyClick(window->thumbView(), Qt::Key_I, Qt::ControlModifier);
        QTest::keyClick(window->thumbView(), Qt::Key_S, Qt::ControlModifier);
        QTest::keyClick(window->thumbView(), Qt::Key_S);  // plain S: nothing
        QCOMPARE(window->ran, (QStringList{"importFile", "importSlide", "convert"}));
    }

    void escapeNeverClosesAndClosingAsksOnlyWithUnsavedImages() {
        auto window = MakeWindow();
        QVERIFY(window);
        QTest::keyClick(window->thumbView(), Qt::Key_Escape);
        QVERIFY(window->isVisible());

        // Unsaved images: the question comes, and Cancel keeps the window.
        ImageEntry entry;
        entry.sourcePath = "/x/a.jpg";
        window->list().Append(entry);
        window->setUnsavedChanges(true);
        prompter.confirmAnswers = {false};
        window->close();  // the frame's close button and Alt+F4 arrive as a close request
        QVERIFY(window->isVisible());
        QCOMPARE(prompter.Ids(), QList<int>{msg::ExitWithoutSaving});

        auto* close = window->findChild<SkinButton*>("closeButton");
        prompter.confirmAnswers = {true};
        QTest::mouseClick(close, Qt::LeftButton);
        QVERIFY(!window->isVisible());
        QCOMPARE(window->result(), int(QDialog::Accepted));

        // Nothing unsaved (or an empty list): no question.
        auto quiet = MakeWindow();
        QVERIFY(quiet);
        quiet->setUnsavedChanges(true);  // but the list is empty
        QTest::keyClick(quiet->thumbView(), Qt::Key_X, Qt::ControlModifier);
        QVERIFY(!quiet->isVisible());
        QVERIFY(prompter.records.isEmpty());
    }

    // Wider, the grid takes more columns; the count under it and Close follow the edges.
    void theGridFollowsTheWindowsSize() {
        auto window = MakeWindow();
        QVERIFY(window);
        const QSize before = window->size();
        QCOMPARE(before, QSize(765, 540));
        const QRect view = window->thumbView()->geometry();
        const QRect close = window->findChild<SkinButton*>("closeButton")->geometry();
        const int columns = window->view()->grid().columns;
        window->resize(before.width() + 240, before.height() + 100);
        QTRY_COMPARE(window->height(), before.height() + 100);
        QCOMPARE(window->width(), before.width() + 240);
        QCOMPARE(window->thumbView()->geometry(), view.adjusted(0, 0, 240, 100));
        QCOMPARE(window->findChild<SkinButton*>("closeButton")->geometry(),
                 close.translated(240, 100));
        QCOMPARE(window->view()->grid().columns, columns + 2);
    }

    void theQueueTimerImportsTheCommandLineBeforePresentations() {
        auto window = MakeWindow();
        QVERIFY(window);
        window->QueuePresentation("/talks/one.ppt");
        window->QueueStartupPaths({"/p/a.jpg", "/p/b.jpg"});
        window->QueueStartupPaths({"/p/c.jpg"});
        window->QueuePresentation("/talks/two.ppt");
        QTRY_COMPARE_WITH_TIMEOUT(window->ran.size(), 4, 10000);
        QCOMPARE(window->ran,
                 (QStringList{"startup:/p/a.jpg,/p/b.jpg", "startup:/p/c.jpg",
                              "presentation:/talks/one.ppt", "presentation:/talks/two.ppt"}));
    }

    void nothingQueuedStartsWhileAnotherWindowWaitsForTheUser() {
        // An import's progress window, a dialog or a message box runs events, the timer's
        // among them: a queued import must wait for it, not run inside it.
        auto window = MakeWindow();
        QVERIFY(window);
        QDialog other(window.get());
        other.setWindowModality(Qt::ApplicationModal);
        other.show();
        window->QueuePresentation("/talks/one.ppt");
        window->QueueStartupPaths({"/p/a.jpg"});
        QTest::qWait(3 * MainDialog::kQueueIntervalMs);
        QVERIFY(window->ran.isEmpty());
        other.hide();
        QTRY_COMPARE_WITH_TIMEOUT(window->ran.size(), 2, 5000);
        QCOMPARE(window->ran, (QStringList{"startup:/p/a.jpg", "presentation:/talks/one.ppt"}));
    }

    void aPresentationIsFollowedByAPauseThatDoesNotFreezeTheWindow() {
        auto window = MakeWindow();
        QVERIFY(window);
        window->QueuePresentation("/talks/one.ppt");
        window->QueuePresentation("/talks/two.ppt");
        QTRY_COMPARE(window->ran.size(), 1);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(window->presentationBusy());
        QTRY_COMPARE_WITH_TIMEOUT(window->ran.size(), 2, 5000);
        QVERIFY(clock.elapsed() >= MainDialog::kPresentationPauseMs - 100);
    }

    void theKeyOrClickThatEndsTheSplashDoesNothingElse() {
        auto window = MakeWindow();
        QVERIFY(window);
        (new SplashWindow(60000))->show();
        QTest::keyClick(window->thumbView(), Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(SplashWindow::Current(), nullptr);
        QVERIFY(window->ran.isEmpty());
        QTRY_VERIFY(window->isActiveWindow());
        QTest::keyClick(window->thumbView(), Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(window->ran, QStringList{"importFile"});

        window->ran.clear();
        (new SplashWindow(60000))->show();
        QTest::mouseClick(window->findChild<QWidget*>("importFile"), Qt::LeftButton);
        QCOMPARE(SplashWindow::Current(), nullptr);
        QVERIFY(window->ran.isEmpty());

        // A key on the picture itself ends it; the timer ends it too.
        auto* splash = new SplashWindow(60000);
        splash->show();
        QTest::keyClick(splash, Qt::Key_Space);
        QCOMPARE(SplashWindow::Current(), nullptr);
        (new SplashWindow(100))->show();
        QTRY_COMPARE(SplashWindow::Current(), nullptr);
    }

    void destinationShowsThePlaceholderAtStart() {
        for (auto language : {Messages::Language::English, Messages::Language::Japanese}) {
            Messages::SetLanguage(language);
            auto window = MakeWindow();
            QVERIFY(window);
            QCOMPARE(window->findChild<QLabel*>("destination")->text(),
                     Messages::Load(msg::SelectDestinationDrive));
            QCOMPARE(window->windowTitle(), QString("Vimbrelcastor ver 1.5"));
        }
        Messages::SetLanguage(Messages::Language::English);
    }
};

QTEST_MAIN(MainDialogTest)
#include "MainDialogTest.moc"
