#include "core/TerminationSignals.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <csignal>

namespace {

std::atomic<bool> requestedFlag{false};
std::atomic<int> receivedSignal{0};
int wakeFds[2] = {-1, -1};

void OnSignal(int signal) {
    if (requestedFlag.exchange(true)) {
        // Asked twice: the process ends now, as it would have without us.
        std::signal(signal, SIG_DFL);
        std::raise(signal);
        return;
    }
    receivedSignal = signal;
    const char byte = 1;
    // Only async-signal-safe calls here; a full pipe already holds a wake-up.
    [[maybe_unused]] const ssize_t written = ::write(wakeFds[1], &byte, 1);
}

}  // namespace

TerminationSignals::TerminationSignals() {
    if (::pipe2(wakeFds, O_CLOEXEC | O_NONBLOCK) != 0) return;
    notifier_ = new QSocketNotifier(wakeFds[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &TerminationSignals::OnWake);
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

namespace {

TerminationSignals* installedObject = nullptr;

}  // namespace

TerminationSignals& TerminationSignals::Install() {
    if (!installedObject) installedObject = new TerminationSignals();  // lives with the process
    return *installedObject;
}

TerminationSignals* TerminationSignals::Installed() {
    return installedObject;
}

const std::atomic<bool>& TerminationSignals::Flag() {
    return requestedFlag;
}

int TerminationSignals::Received() {
    return receivedSignal;
}

void TerminationSignals::OnWake() {
    char bytes[16];
    while (::read(wakeFds[0], bytes, sizeof bytes) > 0) {
    }
    Q_EMIT requested(receivedSignal);
}
