#include "card/DriveWatcher.h"

#include <fcntl.h>
#include <unistd.h>

#include <QDBusConnection>
#include <QSocketNotifier>

#include "card/UDisks.h"

namespace {

// Time for a burst of changes (a card's partitions appearing, then being mounted) to end.
constexpr int kSettleMs = 250;

}  // namespace

DriveWatcher::DriveWatcher(QObject* parent) : QObject(parent) {
    settle_.setSingleShot(true);
    settle_.setInterval(kSettleMs);
    connect(&settle_, &QTimer::timeout, this, &DriveWatcher::drivesChanged);

    QDBusConnection bus = QDBusConnection::systemBus();
    if (bus.isConnected()) {
        const QString service = QLatin1String(udisks::kService);
        const QString manager = QStringLiteral("org.freedesktop.DBus.ObjectManager");
        for (const char* name : {"InterfacesAdded", "InterfacesRemoved"}) {
            bus.connect(service, QLatin1String(udisks::kRootPath), manager, QLatin1String(name),
                        this, SLOT(NoteChange()));
        }
        // A file system's mount points change when it is mounted or unmounted; from any of the
        // service's objects.
        bus.connect(service, QString(), QStringLiteral("org.freedesktop.DBus.Properties"),
                    QStringLiteral("PropertiesChanged"), this, SLOT(NoteChange()));
    }

    // The mount table tells of a change by an exceptional condition on its file.
    mountsFd_ = ::open("/proc/self/mounts", O_RDONLY | O_CLOEXEC);
    if (mountsFd_ >= 0) {
        mounts_ = new QSocketNotifier(mountsFd_, QSocketNotifier::Exception, this);
        connect(mounts_, &QSocketNotifier::activated, this, &DriveWatcher::NoteChange);
    }
}

DriveWatcher::~DriveWatcher() {
    delete mounts_;
    if (mountsFd_ >= 0) ::close(mountsFd_);
}

void DriveWatcher::NoteChange() {
    settle_.start();
}
