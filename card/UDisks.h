#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// The desktop's disk service (UDisks2 on the system bus): the volumes it knows with their
// drives, and unmounting and powering off a card. Every call blocks for at most a few seconds
// and answers "not there" when the bus or the service is missing. Any thread: QtDBus
// connections may be shared between threads.

// The service's names on the bus.
namespace udisks {

inline constexpr char kService[] = "org.freedesktop.UDisks2";
inline constexpr char kRootPath[] = "/org/freedesktop/UDisks2";

}  // namespace udisks

// A block device that holds a file system, with what its drive says.
struct UDisksVolume {
    QString blockPath;  // the block device's object
    QString drivePath;  // its drive's object; empty when it has none
    QByteArray device;  // /dev/sdb1
    QStringList mountPoints;
    QString label;    // IdLabel
    QString type;     // IdType: vfat, exfat, ntfs, ext4, ...
    QString version;  // IdVersion: FAT16, FAT32, ...
    quint64 size = 0;
    bool hintSystem = true;  // a disk of the system (the service's own judgement)
    bool hintIgnore = false;
    bool removable = false;  // the drive's Removable or MediaRemovable
    bool canPowerOff = false;
    QString connectionBus;  // usb, sdio, ieee1394 or empty
};

// Every block with a file system, or nothing when the service cannot be reached.
std::optional<QList<UDisksVolume>> UDisksVolumes();

// The volume mounted at root (a mount root), if the service knows one.
std::optional<UDisksVolume> UDisksVolumeMountedAt(const QString& root);

// What a method call of the service answered: nothing on success, else its error.
struct UDisksError {
    QString name;     // org.freedesktop.UDisks2.Error.DeviceBusy, ...
    QString message;  // the service's own text
};
std::optional<UDisksError> UDisksUnmount(const UDisksVolume& volume);
std::optional<UDisksError> UDisksPowerOff(const UDisksVolume& volume);
