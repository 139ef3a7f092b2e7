#include "app/ui/ImportQueue.h"

#include <QApplication>
#include <QWidget>

ImportQueue::ImportQueue(QWidget* window, PathsImport importPaths,
                         PresentationImport importPresentation)
    : QObject(window),
      window_(window),
      importPaths_(std::move(importPaths)),
      importPresentation_(std::move(importPresentation)) {
    connect(&timer_, &QTimer::timeout, this, &ImportQueue::OnTimer);
    timer_.start(kIntervalMs);
}

ImportQueue::~ImportQueue() {
    if (pausing_) QApplication::restoreOverrideCursor();
}

void ImportQueue::QueuePaths(const QStringList& paths) {
    if (!paths.isEmpty()) paths_.append(paths);
}

void ImportQueue::QueuePresentation(const QString& path) {
    presentations_.append(path);
}

void ImportQueue::OnTimer() {
    // Command-line entries come before any presentation; each tick starts at most one
    // import. Nothing starts while another window waits for an answer or shows progress
    // (their loops let the timer fire): an import of files or a drop still running, a
    // dialog or a message box open over the list.
    QWidget* modal = QApplication::activeModalWidget();
    if (modal != nullptr && modal != window_) return;
    if (!paths_.isEmpty() && !presentationBusy_ && !importBusy_) {
        importBusy_ = true;
        Q_EMIT importStarted();
        importPaths_(paths_.takeFirst());
        importBusy_ = false;
        Q_EMIT importFinished();
    }
    if (paths_.isEmpty() && !importBusy_ && !presentations_.isEmpty() && !presentationBusy_) {
        presentationBusy_ = true;
        Q_EMIT importStarted();
        const bool imported = importPresentation_(presentations_.takeFirst());
        Q_EMIT importFinished();
        if (!imported) {
            presentationBusy_ = false;
            return;
        }
        // A pause after a presentation, without freezing the window.
        QApplication::setOverrideCursor(Qt::WaitCursor);
        pausing_ = true;
        QTimer::singleShot(kPresentationPauseMs, this, [this] {
            QApplication::restoreOverrideCursor();
            pausing_ = false;
            presentationBusy_ = false;
        });
    }
}
