#pragma once

#include <QObject>
#include <atomic>

class QSocketNotifier;

// SIGTERM and SIGINT as a request to end cleanly instead of at once: the handler only sets a
// flag and wakes the event loop of the thread that installed it, where requested() is
// emitted; the program then stops at its next safe point, removes its temporary files and
// empties its work folder. A second signal ends the process at once, as without a handler.
// Installed once, on the main thread; the flag may be read from any thread.
class TerminationSignals : public QObject {
    Q_OBJECT

public:
    // Installs the handlers (once) and returns the object that reports them.
    static TerminationSignals& Install();
    // The installed object, or null when the handlers are not installed (as in tests).
    static TerminationSignals* Installed();
    // Set from the first signal on.
    static const std::atomic<bool>& Flag();
    // The signal received, 0 when none.
    static int Received();

Q_SIGNALS:
    void requested(int signal);

private:
    TerminationSignals();
    void OnWake();

    QSocketNotifier* notifier_ = nullptr;
};
