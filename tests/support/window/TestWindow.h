#pragma once

#include <QList>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <memory>

#include "app/ui/MainDialog.h"
#include "core/AppSettings.h"
#include "core/WorkFolders.h"
#include "tests/support/ScriptedPrompter.h"

// The main window as the program shows it, over a temporary folder of its own for its work
// copies and its profile, with a scripted prompter, fresh settings and the texts in English:
// what the window tests share.
class TestWindow {
public:
    // freeBytes: what the temporary folder's drive reports free.
    explicit TestWindow(quint64 freeBytes = 10ull << 30);

    // A new window, shown, exposed and registered as the main window; null when it could not
    // be exposed. The settings and the prompter start afresh with each.
    std::unique_ptr<MainDialog> Make();

    // Drops paths on a window as a file manager would.
    static void Drop(QWidget* window, const QStringList& paths);

    QTemporaryDir temp;
    AppSettings settings;
    std::unique_ptr<WorkSpace> space;
    ScriptedPrompter prompter;
    quint64 freeBytes;
    // Where the destination dialog of every window made finds its drives.
    std::function<QList<Drive>()> drives;
};

// Closes every modal dialog that opens over window, after noting the name of its class: what
// a command opened, without a user to answer it.
class DialogCloser : public QObject {
public:
    explicit DialogCloser(QWidget* window);

    QStringList closed;

private:
    QTimer timer_;
};
