#include "app/ui/MainDialog.h"

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>

#include "app/ui/ImportQueue.h"
#include "app/ui/RehearsalCommand.h"
#include "app/ui/SplashWindow.h"
#include "card/ui/RehearsalView.h"
#include "skin/MessageIds.h"
#include "skin/MessageTexts.h"
#include "skin/ui/SkinButton.h"
#include "tests/support/NextWindow.h"
#include "tests/support/TestImages.h"
#include "tests/support/window/TestWindow.h"
#include "thumbs/ui/CThumbView.h"

class MainDialogTest : public QObject {
    Q_OBJECT

private:
    // What the window's commands did: the dialogs they opened (closed at once) and the
    // messages they gave.
    QStringList Ran(const DialogCloser& closer) const {
        QStringList ran = closer.closed;
        for (const int id : fixture.prompter.Ids()) ran << QString("message %1").arg(id);
        return ran;
    }

    // An import queue whose two imports note what they were given in ran, and a presentation
    // started under the wait cursor of a pause; an import of paths pumps events for pauseMs, as
    // its progress window does.
    std::unique_ptr<ImportQueue> RecordingQueue(QStringList& ran, int pauseMs = 0) {
        return std::make_unique<ImportQueue>(
            &queueHost,
            [&ran, pauseMs](const QStringList& paths) {
                ran << "paths:" + paths.join(',');
                if (pauseMs > 0) QTest::qWait(pauseMs);
            },
            [&ran](const QString& path) {
                ran << "presentation:" + path +
                           (QApplication::overrideCursor() ? " in a pause" : "");
                return true;
            });
    }

    // Drops a new photo on the window and waits for it in the list.
    void DropPhoto(const QString& name) {
        const QString path = fixture.temp.filePath(name);
        testimages::WriteJpeg(testimages::Solid(64, 48, Qt::red), path);
        const int before = window->list().count();
        TestWindow::Drop(window.get(), {path});
        QTRY_COMPARE(window->list().count(), before + 1);
        window->activateWindow();
        QTRY_VERIFY(window->isActiveWindow());
    }

    TestWindow fixture;
    QWidget queueHost;
    // Each test's own, made in init().
    std::unique_ptr<MainDialog> window;

private Q_SLOTS:
    void init() {
        window = fixture.Make();
        QVERIFY(window);
    }

    // Where the menu opens is WindowManagerTest's, on a real window manager.
    void plainLettersNeverOpenTheMenusButAltDoes() {
        QTest::keyClick(window->thumbView(), Qt::Key_F);
        QCOMPARE(QApplication::activePopupWidget(), nullptr);
        int entries = 0;
        OnNextWindow(
            [&](QWidget* menu) { entries = qobject_cast<QMenu*>(menu)->actions().size(); });
        QTest::keyClick(window->thumbView(), Qt::Key_F, Qt::AltModifier);
        QTRY_COMPARE(entries, 8);  // with two separators
    }

    // Enter runs the focused button only; a shortcut reaches its command from the grid, a plain
    // letter nothing.
    void keysReachTheirCommands() {
        // Convert and Save on an empty list says so.
        const QString noImages = QString("message %1").arg(msg::NoImages);
        struct Case {
            const char* focus;
            Qt::Key key;
            Qt::KeyboardModifiers modifiers;
            QStringList ran;
        } const cases[] = {
            {"convert", Qt::Key_Return, {}, {noImages}},
            {"thumbView", Qt::Key_Return, {}, {}},
            {"thumbView", Qt::Key_O, Qt::ControlModifier, {"CCustomFileDialog"}},
            {"thumbView", Qt::Key_I, Qt::ControlModifier, {"QFileDialog"}},
            {"thumbView", Qt::Key_S, Qt::ControlModifier, {noImages}},
            {"thumbView", Qt::Key_S, {}, {}},
        };
        for (const Case& c : cases) {
            window = fixture.Make();
            QVERIFY(window);
            QTRY_VERIFY(window->isActiveWindow());
            DialogCloser closer(window.get());
            QWidget* target = window->findChild<QWidget*>(c.focus);
            QVERIFY2(target, c.focus);
            target->setFocus();
            QTest::keyClick(target, c.key, c.modifiers);
            QCOMPARE(Ran(closer), c.ran);
        }
    }

    // Ctrl+R and Ctrl+Shift+R reach the grid from anywhere in the window (the grid's own keys
    // are CThumbViewTest's), and a turn after a save makes closing ask again.
    void theTurnKeysWorkInTheWholeWindow() {
        DropPhoto("photo.jpg");
        auto* view = qobject_cast<CThumbView*>(window->thumbView());
        QTest::keyClick(view, Qt::Key_A, Qt::ControlModifier);
        window->setUnsavedChanges(false);
        QTest::keyClick(window.get(), Qt::Key_R, Qt::ControlModifier);
        QCOMPARE(view->list().at(0).quarterTurns, 1);
        QVERIFY(window->unsavedChanges());
        QTest::keyClick(window.get(), Qt::Key_R, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(view->list().at(0).quarterTurns, 0);
    }

    // F5 and the button rehearse the list full screen, and only when it has images.
    void f5RehearsesTheListWhenItHasImages() {
        auto* button = window->findChild<SkinButton*>("rehearse");
        QVERIFY(!button->isEnabled());
        QTRY_VERIFY(window->isActiveWindow());
        QTest::keyClick(window->thumbView(), Qt::Key_F5);
        QVERIFY(!window->rehearsal().view());
        DropPhoto("rehearsed.jpg");
        QVERIFY(button->isEnabled());
        QTest::keyClick(window->thumbView(), Qt::Key_F5);
        QPointer<RehearsalView> view = window->rehearsal().view();
        QVERIFY(view && view->isFullScreen());
        QCOMPARE(view->caption(), QString("1 / 1   rehearsed.jpg"));
        QTest::keyClick(view, Qt::Key_Escape);
        QTRY_VERIFY(!view);  // gone, not only hidden
    }

    void escapeNeverClosesAndClosingAsksOnlyWithUnsavedImages() {
        QTest::keyClick(window->thumbView(), Qt::Key_Escape);
        QVERIFY(window->isVisible());

        // Unsaved images: the question comes (Cancel on a close request is SessionTest's).
        ImageEntry entry;
        entry.sourcePath = "/x/a.jpg";
        window->list().Append(entry);
        window->setUnsavedChanges(true);
        fixture.prompter.confirmAnswers = {true};
        QTest::mouseClick(window->findChild<SkinButton*>("closeButton"), Qt::LeftButton);
        QVERIFY(!window->isVisible());
        QCOMPARE(window->result(), int(QDialog::Accepted));
        QCOMPARE(fixture.prompter.Ids(), QList<int>{msg::ExitWithoutSaving});

        // Nothing unsaved (or an empty list): no question.
        auto quiet = fixture.Make();
        QVERIFY(quiet);
        quiet->setUnsavedChanges(true);  // but the list is empty
        QTest::keyClick(quiet->thumbView(), Qt::Key_X, Qt::ControlModifier);
        QVERIFY(!quiet->isVisible());
        QVERIFY(fixture.prompter.records.isEmpty());
    }

    // Wider, the grid takes more columns; the count under it and Close follow the edges.
    void theGridFollowsTheWindowsSize() {
        const QSize before = window->size();
        const QRect view = window->thumbView()->geometry();
        const QRect close = window->findChild<SkinButton*>("closeButton")->geometry();
        const int columns = window->view()->grid().columns;
        window->resize(before.width() + 240, before.height() + 100);
        QTRY_COMPARE(window->size(), before + QSize(240, 100));
        QCOMPARE(window->thumbView()->geometry(), view.adjusted(0, 0, 240, 100));
        QCOMPARE(window->findChild<SkinButton*>("closeButton")->geometry(),
                 close.translated(240, 100));
        QCOMPARE(window->view()->grid().columns, columns + 2);
    }

    // The queue on its own. An import's progress window, a dialog or a message box runs events,
    // the timer's among them: a queued import waits for it, not run inside it. An import pumps
    // events while its progress window is up, so ticks come meanwhile; the command line's paths
    // still go before the presentations.
    void theQueueImportsTheCommandLineBeforePresentationsAndWaitsForTheUser() {
        QStringList ran;
        auto queue = RecordingQueue(ran, 3 * ImportQueue::kIntervalMs / 2);
        QDialog other(&queueHost);
        other.setWindowModality(Qt::ApplicationModal);
        other.show();
        queue->QueuePresentation("/talks/one.ppt");
        queue->QueuePaths({"/p/a.jpg", "/p/b.jpg"});
        queue->QueuePaths({"/p/c.jpg"});
        queue->QueuePresentation("/talks/two.ppt");
        QTest::qWait(3 * ImportQueue::kIntervalMs);
        QVERIFY(ran.isEmpty());
        other.hide();
        QTRY_COMPARE_WITH_TIMEOUT(ran.size(), 4, 10000);
        QCOMPARE(ran, (QStringList{"paths:/p/a.jpg,/p/b.jpg", "paths:/p/c.jpg",
                                   "presentation:/talks/one.ppt", "presentation:/talks/two.ppt"}));
    }

    // The window's events run during the pause, under the wait cursor; the next presentation
    // starts only after the pause has ended, and a queue that goes during its pause takes the
    // wait cursor with it.
    void aPresentationIsFollowedByAPauseThatDoesNotFreezeTheWindow() {
        QStringList ran;
        auto queue = RecordingQueue(ran);
        queue->QueuePresentation("one.ppt");
        queue->QueuePresentation("two.ppt");
        QTRY_COMPARE(ran.size(), 1);
        QVERIFY(queue->presentationBusy());
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        QTRY_COMPARE_WITH_TIMEOUT(ran.size(), 2, 10000);
        QCOMPARE(ran, (QStringList{"presentation:one.ppt", "presentation:two.ppt"}));
        QVERIFY(queue->presentationBusy());
        queue.reset();
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }

    void theKeyOrClickThatEndsTheSplashDoesNothingElse() {
        DialogCloser closer(window.get());
        (new SplashWindow(60000))->show();
        QTest::keyClick(window->thumbView(), Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(SplashWindow::Current(), nullptr);
        QVERIFY(closer.closed.isEmpty());
        (new SplashWindow(60000))->show();
        QTest::mouseClick(window->findChild<QWidget*>("importFile"), Qt::LeftButton);
        QCOMPARE(SplashWindow::Current(), nullptr);
        QVERIFY(closer.closed.isEmpty());

        // A key on the picture itself ends it (the timer's end is WaylandTest's wait for it).
        auto* splash = new SplashWindow(60000);
        splash->show();
        QTest::keyClick(splash, Qt::Key_Space);
        QCOMPARE(SplashWindow::Current(), nullptr);
    }

    void destinationShowsThePlaceholderAtStart() {
        QCOMPARE(window->findChild<QLabel*>("destination")->text(),
                 QString("<Select a destination drive>"));
        QCOMPARE(window->windowTitle(), QString("Vimbrelcastor ver 1.5"));
    }
};

QTEST_MAIN(MainDialogTest)
#include "MainDialogTest.moc"
