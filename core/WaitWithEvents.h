#pragma once

#include <QCoreApplication>
#include <QEventLoop>
#include <QFuture>
#include <QFutureWatcher>
#include <QtConcurrent/QtConcurrentRun>

// Waiting for work on another thread while this thread's events keep running: the window
// repaints, its Cancel and Stop are seen, timers fire. Without an application object the wait
// simply blocks. Any thread with an event loop (in practice the GUI thread).

template <typename T>
void WaitWithEvents(QFuture<T> future) {
    if (future.isFinished()) return;
    if (QCoreApplication::instance()) {
        QFutureWatcher<T> watcher;
        QEventLoop loop;
        QObject::connect(&watcher, &QFutureWatcher<T>::finished, &loop, &QEventLoop::quit);
        watcher.setFuture(future);
        if (!future.isFinished()) loop.exec();
    }
    future.waitForFinished();
}

// Runs work on the global pool and returns its result once done, waiting as above.
template <typename Work>
auto RunWithEvents(Work work) -> decltype(work()) {
    QFuture<decltype(work())> future = QtConcurrent::run(std::move(work));
    WaitWithEvents(future);
    return future.result();
}
