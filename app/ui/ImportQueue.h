#pragma once

#include <QList>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <functional>

class QWidget;

// The imports that wait for the window: lists of paths from the command line or a later start
// (each imported as a drop), and presentations chosen by the user or met among those paths. A
// 500 ms timer starts at most one import a tick, the paths before any presentation, and none
// while another window waits for the user (a dialog, a box, an import's progress: their loops
// let the timer fire). A presentation is followed by a pause. Owned by the main window, which
// gives it the two imports to run; GUI thread.
class ImportQueue : public QObject {
    Q_OBJECT

public:
    static constexpr int kIntervalMs = 500;
    static constexpr int kPresentationPauseMs = 2000;

    using PathsImport = std::function<void(const QStringList& paths)>;
    // True when the presentation was opened and its slides imported.
    using PresentationImport = std::function<bool(const QString& path)>;

    // window: the window whose own modal state does not hold the queue back.
    ImportQueue(QWidget* window, PathsImport importPaths, PresentationImport importPresentation);
    // A pause cut short takes its wait cursor with it.
    ~ImportQueue() override;

    void QueuePaths(const QStringList& paths);
    void QueuePresentation(const QString& path);

    bool importBusy() const { return importBusy_; }
    bool presentationBusy() const { return presentationBusy_; }
    int pathsQueued() const { return int(paths_.size()); }
    int presentationsQueued() const { return int(presentations_.size()); }

Q_SIGNALS:
    // A queued import began or ended (for tests and the progress window).
    void importStarted();
    void importFinished();

private:
    void OnTimer();

    QWidget* window_;
    PathsImport importPaths_;
    PresentationImport importPresentation_;
    QList<QStringList> paths_;
    QStringList presentations_;
    bool importBusy_ = false;
    bool presentationBusy_ = false;
    bool pausing_ = false;  // the wait cursor of a pause is on
    QTimer timer_;
};
