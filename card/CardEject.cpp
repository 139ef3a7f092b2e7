#include "card/CardEject.h"

#include <fcntl.h>
#include <unistd.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QSet>
#include <cerrno>
#include <cstring>

#include "card/UDisks.h"
#include "skin/UiTexts.h"

namespace {

bool Under(const QString& path, const QString& root) {
    return path == root || path.startsWith(root + QLatin1Char('/'));
}

}  // namespace

QStringList ProgramsUsing(const QString& root) {
    const QString card = QDir(root).canonicalPath();
    QSet<QString> names;
    if (card.isEmpty()) return {};
    for (const QString& pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        if (pid.isEmpty() || !pid[0].isDigit()) continue;
        const QString process = QStringLiteral("/proc/") + pid;
        QStringList targets{QFile::symLinkTarget(process + QLatin1String("/cwd"))};
        QDirIterator fds(process + QLatin1String("/fd"), QDir::AllEntries | QDir::System);
        while (fds.hasNext()) targets << QFile::symLinkTarget(fds.next());
        for (const QString& target : targets) {
            if (!target.isEmpty() && Under(target, card)) {
                QFile comm(process + QLatin1String("/comm"));
                if (comm.open(QIODevice::ReadOnly)) {
                    names.insert(QString::fromLocal8Bit(comm.readAll().trimmed()));
                }
                break;
            }
        }
    }
    QStringList sorted(names.begin(), names.end());
    sorted.sort();
    return sorted;
}

Ejection EjectCard(const QString& root) {
    Ejection ejection;
    // Whatever happens next, what was written reaches the card first.
    const int fd = ::open(QFile::encodeName(root).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0 || ::syncfs(fd) != 0) {
        if (fd >= 0) ::close(fd);
        ejection.detail = QString::fromLocal8Bit(std::strerror(errno));
        return ejection;
    }
    ::close(fd);
    const std::optional<UDisksVolume> volume = UDisksVolumeMountedAt(root);
    if (!volume) {
        ejection.outcome = EjectOutcome::NoService;
        return ejection;
    }
    if (const std::optional<UDisksError> error = UDisksUnmount(*volume)) {
        const QStringList users = ProgramsUsing(root);
        if (error->name.endsWith(QLatin1String(".DeviceBusy")) || !users.isEmpty()) {
            ejection.outcome = EjectOutcome::Busy;
            ejection.detail = users.isEmpty() ? error->message : users.join(QStringLiteral(", "));
        } else {
            ejection.detail = error->message;
        }
        return ejection;
    }
    ejection.outcome = EjectOutcome::Removable;
    // Unmounted, the card is safe to pull; a USB reader that can be switched off also goes
    // dark, as the desktop's own eject does.
    if (volume->canPowerOff && volume->connectionBus == QLatin1String("usb")) {
        ejection.poweredOff = !UDisksPowerOff(*volume).has_value();
    }
    return ejection;
}

QString EjectionText(const Ejection& ejection) {
    switch (ejection.outcome) {
        case EjectOutcome::Removable:
            return UiTexts::Text("eject.done");
        case EjectOutcome::Busy:
            return UiTexts::Text("eject.busy").arg(ejection.detail);
        case EjectOutcome::Failed:
            return UiTexts::Text("eject.failed").arg(ejection.detail);
        case EjectOutcome::NoService:
            return UiTexts::Text("eject.no_service");
    }
    return QString();
}
