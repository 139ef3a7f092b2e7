// The program natively on Wayland, as today's GNOME and KDE run it: under a compositor of its
// own (weston, started by tests/support/with-wayland.sh). The real main window imports photos,
// opens its menus, a dialog of each kind and a message box, is dragged by its title band and its
// corner, and has an image dragged in its grid. A test fails on any warning of Qt's Wayland
// platform (the qt.qpa.wayland categories) and on any move of a window already on the screen,
// which a Wayland compositor never carries out; a crash fails the whole run.
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

#include "app/ui/ImportQueue.h"
#include "app/ui/MainDialog.h"
#include "app/ui/SplashWindow.h"
#include "core/AppSettings.h"
#include "core/WorkFolders.h"
#include "skin/MessageTexts.h"
#include "skin/ui/WindowFront.h"
#include "tests/support/NextWindow.h"
#include "tests/support/TestImages.h"
#include "thumbs/ThumbLayout.h"
#include "thumbs/ThumbnailRenderer.h"
#include "thumbs/ui/CThumbView.h"

namespace {

QStringList faults;
QtMessageHandler passOn = nullptr;

void RecordWaylandWarnings(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type != QtDebugMsg && type != QtInfoMsg && context.category != nullptr &&
        QByteArrayView(context.category).startsWith("qt.qpa.wayland")) {
        faults << QStringLiteral("%1: %2").arg(QLatin1String(context.category), text);
    }
    passOn(type, context, text);
}

}  // namespace

class WaylandTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir profile;
    QTemporaryDir temp;
    QTemporaryDir photos;
    QTemporaryDir card;
    AppSettings settings;
    WorkSpace space{temp.path()};
    std::unique_ptr<MainDialog> window;
    QtMessageHandler beforeTests = nullptr;

    // A drag with the left button across the main window, in its coordinates, in steps. Each
    // step waits for the windows it showed to come up, as a hand's steps come frames apart.
    void Drag(QPoint from, QPoint to) {
        QWindow* handle = window->windowHandle();
        QTest::mousePress(handle, Qt::LeftButton, {}, from);
        for (int step = 1; step <= 4; ++step) {
            QTest::mouseMove(handle, from + (to - from) * step / 4);
            QTRY_VERIFY(std::ranges::all_of(QApplication::topLevelWidgets(), [](QWidget* shown) {
                return !shown->isVisible() || shown->windowHandle()->isExposed();
            }));
        }
        QTest::mouseRelease(handle, Qt::LeftButton, {}, to);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Move || event->spontaneous()) return false;
        const auto* move = static_cast<QMoveEvent*>(event);
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget != nullptr && move->pos() != move->oldPos() && widget->isWindow() &&
            widget->windowHandle() != nullptr && widget->windowHandle()->isExposed()) {
            faults << QStringLiteral("a shown %1 moved itself")
                          .arg(QLatin1String(widget->metaObject()->className()));
        }
        return false;
    }

private Q_SLOTS:
    void initTestCase() {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("wayland"));
        // Between Qt Test's own handler and the messages; main() records what comes before.
        beforeTests = std::exchange(passOn, qInstallMessageHandler(RecordWaylandWarnings));
        qputenv("XDG_CONFIG_HOME", profile.path().toUtf8());
        NameProfileStore();
        Messages::SetLanguage(Messages::Language::English);
        for (int i = 1; i <= 3; ++i) {
            testimages::WriteJpeg(testimages::PhotoLike(640, 480, i),
                                  photos.filePath(QStringLiteral("photo%1.jpg").arg(i)));
        }
        QVERIFY(QDir(card.path()).mkpath(QStringLiteral("DCIM/100RODIV")));

        // Shown as the program shows it: the start-up picture over the main window.
        ResetSettings(settings);
        const WorkPaths work = ChooseWorkPaths(temp.path());
        settings.workFolder = work.workFolder;
        settings.autoExportFolder = work.autoExportFolder;
        settings.otherFolder = card.path();
        (new SplashWindow())->show();
        window = std::make_unique<MainDialog>(settings, space);
        window->SetDriveLister([this] { return QList<Drive>{{card.path(), QString(), true}}; });
        SetMainWindow(window.get());
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QTRY_VERIFY_WITH_TIMEOUT(SplashWindow::Current() == nullptr, 2 * SplashWindow::kDisplayMs);
        qApp->installEventFilter(this);
    }

    void cleanup() {
        const QStringList found = std::exchange(faults, {});
        QVERIFY2(found.isEmpty(), qPrintable(found.join(QLatin1Char('\n'))));
    }

    void cleanupTestCase() {
        qApp->removeEventFilter(this);
        window.reset();
        SetMainWindow(nullptr);
        qInstallMessageHandler(std::exchange(passOn, beforeTests));
    }

    void photosAreImportedIntoTheWindow() {
        window->QueueStartupPaths({photos.path()});
        QTRY_COMPARE_WITH_TIMEOUT(window->list().count(), 3, 30000);
        QTRY_VERIFY(!window->importQueue().importBusy());
        QTRY_VERIFY_WITH_TIMEOUT(window->view()->renderer().idle(), 30000);
    }

    void everyMenuDialogAndBoxOpensAndCloses() {
        const auto click = [this](const char* name) {
            return
                [this, name] { window->findChild<QAbstractButton*>(QLatin1String(name))->click(); };
        };
        CThumbView* view = window->view();
        window->list().SetSelected(0, true);
        const std::pair<const char*, std::function<void()>> rows[] = {
            {"File menu", click("fileMenuButton")},  // the other two are the same kind
            {"context menu", [view] { view->ShowContextMenu(view->mapToGlobal(QPoint(20, 20))); }},
            {"import picker", [this] { window->ImportFileCommand(); }},
            {"Destination", [this] { window->CardDestinationCommand(); }},
            {"Convert and Save",
             [this] {
                 window->OtherFolderCommand();
                 window->ConvertAndSaveCommand();
             }},
            // Preferences, About and the placement are skinned dialogs as these two are.
            {"message box", [this] { window->DeleteSlideCommand(); }},
        };
        for (const auto& [name, open] : rows) {
            bool shown = false;
            OnNextWindow([&shown](QWidget*) { shown = true; });
            open();
            QVERIFY2(shown, name);
            QVERIFY2(faults.isEmpty(), name);  // cleanup() names them
        }
    }

    // The compositor moves and resizes a Wayland window: the drags hand over to it, or leave
    // the window where it is (a warning or a move fails the test in cleanup()).
    void theTitleBandAndTheCornerAreDragged() {
        const QPoint band = window->TitleBand().center();
        const QPoint corner =
            window->findChild<QWidget*>(QStringLiteral("sizeCorner"))->geometry().center();
        for (const QPoint from : {band, corner}) Drag(from, from + QPoint(0, 6));
    }

    // The picture follows the cursor inside the window, and the drop reorders the list.
    void anImageIsDraggedBehindTheThird() {
        const auto at = [this](int index) {
            const QPoint box = CellAt(index, window->view()->grid().columns, 0).box.center();
            return window->view()->viewport()->mapTo(window.get(), box);
        };
        Drag(at(0), at(2) + QPoint(thumbs::kBoxWidth / 3, 0));
        QCOMPARE(QFileInfo(window->list().at(2).sourcePath).fileName(),
                 QStringLiteral("photo1.jpg"));
    }
};

// A warning while the platform connects, before the first test, fails the run too.
int main(int argc, char** argv) {
    passOn = qInstallMessageHandler(RecordWaylandWarnings);
    QApplication application(argc, argv);
    if (!faults.isEmpty()) {
        qCritical("%s", qPrintable(faults.join(QLatin1Char('\n'))));
        return 1;
    }
    WaylandTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "WaylandTest.moc"
