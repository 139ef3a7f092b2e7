#include "tests/support/window/TestWindow.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QDropEvent>
#include <QMimeData>
#include <QTest>

#include "skin/MessageTexts.h"
#include "skin/ui/WindowFront.h"

TestWindow::TestWindow(quint64 freeBytes) : freeBytes(freeBytes) {
    // What the window keeps between starts goes into a profile of the test's own.
    qputenv("XDG_CONFIG_HOME", QDir(temp.path()).filePath("profile").toUtf8());
    Messages::SetLanguage(Messages::Language::English);
}

std::unique_ptr<MainDialog> TestWindow::Make() {
    ResetSettings(settings);
    const WorkPaths paths = ChooseWorkPaths(temp.path());
    settings.workFolder = paths.workFolder;
    settings.autoExportFolder = paths.autoExportFolder;
    const quint64 free = freeBytes;
    space = std::make_unique<WorkSpace>(temp.path(), [free] { return free; });
    prompter = ScriptedPrompter();
    auto window = std::make_unique<MainDialog>(settings, *space, &prompter);
    if (drives) window->SetDriveLister(drives);
    SetMainWindow(window.get());
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get())) return nullptr;
    window->activateWindow();
    return window;
}

void TestWindow::Drop(QWidget* window, const QStringList& paths) {
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& path : paths) urls << QUrl::fromLocalFile(path);
    data.setUrls(urls);
    const QPoint at(400, 200);
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window, &enter);
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    if (enter.isAccepted()) QApplication::sendEvent(window, &drop);
}

DialogCloser::DialogCloser(QWidget* window) : QObject(window) {
    connect(&timer_, &QTimer::timeout, this, [this, window] {
        auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (modal == nullptr || modal == window) return;
        closed << modal->metaObject()->className();
        modal->reject();
    });
    timer_.start(20);
}
