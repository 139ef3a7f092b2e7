#pragma once

#include <QObject>
#include <QTimer>

class QSocketNotifier;

// Tells when a card may have come or gone: the desktop's disk service announcing a device or a
// mount (UDisks2 signals on the system bus), or a change of the mount table (a card mounted
// without the service). Changes that come together are told once, a moment later. Owned by the
// window that shows the drives; GUI thread.
class DriveWatcher : public QObject {
    Q_OBJECT

public:
    explicit DriveWatcher(QObject* parent = nullptr);
    ~DriveWatcher() override;

Q_SIGNALS:
    void drivesChanged();

private Q_SLOTS:
    // Connected by name: the bus's signals reach string slots only.
    void NoteChange();

private:
    QTimer settle_;
    int mountsFd_ = -1;
    QSocketNotifier* mounts_ = nullptr;
};
