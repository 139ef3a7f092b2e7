#include "card/UDisks.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDir>
#include <QMap>
#include <QVariantMap>

using namespace udisks;

namespace {

constexpr char kBlock[] = "org.freedesktop.UDisks2.Block";
constexpr char kFilesystem[] = "org.freedesktop.UDisks2.Filesystem";
constexpr char kDrive[] = "org.freedesktop.UDisks2.Drive";
// The service answers at once; unmounting flushes the card and may take a while.
constexpr int kQueryMs = 3000;
constexpr int kUnmountMs = 60000;

using Interfaces = QMap<QString, QVariantMap>;

// "ay" values of the service are file names with a trailing NUL.
QByteArray Bytes(const QVariant& value) {
    QByteArray bytes = value.toByteArray();
    while (bytes.endsWith('\0')) bytes.chop(1);
    return bytes;
}

QStringList MountPoints(const QVariant& value) {
    QStringList roots;
    if (!value.canConvert<QDBusArgument>()) return roots;
    const QDBusArgument argument = value.value<QDBusArgument>();
    argument.beginArray();
    while (!argument.atEnd()) {
        QByteArray point;
        argument >> point;
        while (point.endsWith('\0')) point.chop(1);
        // The service writes mount points with no trailing separator; "/" stays "/".
        roots.append(QDir::cleanPath(QString::fromLocal8Bit(point)));
    }
    argument.endArray();
    return roots;
}

QString ObjectPath(const QVariant& value) {
    const QString path = value.value<QDBusObjectPath>().path();
    return path == QLatin1String("/") ? QString() : path;
}

std::optional<QMap<QString, Interfaces>> ManagedObjects() {
    const QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) return std::nullopt;
    const QDBusMessage reply = bus.call(
        QDBusMessage::createMethodCall(QLatin1String(kService), QLatin1String(kRootPath),
                                       QStringLiteral("org.freedesktop.DBus.ObjectManager"),
                                       QStringLiteral("GetManagedObjects")),
        QDBus::Block, kQueryMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        return std::nullopt;
    }
    QMap<QString, Interfaces> objects;
    const QDBusArgument argument = reply.arguments().constFirst().value<QDBusArgument>();
    argument.beginMap();
    while (!argument.atEnd()) {
        QDBusObjectPath path;
        Interfaces interfaces;
        argument.beginMapEntry();
        argument >> path >> interfaces;
        argument.endMapEntry();
        objects.insert(path.path(), interfaces);
    }
    argument.endMap();
    return objects;
}

std::optional<UDisksError> Call(const QString& path, const char* interface, const char* method,
                                int timeout) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        QLatin1String(kService), path, QLatin1String(interface), QLatin1String(method));
    call << QVariantMap();  // options: none
    const QDBusMessage reply = QDBusConnection::systemBus().call(call, QDBus::Block, timeout);
    if (reply.type() == QDBusMessage::ReplyMessage) return std::nullopt;
    return UDisksError{reply.errorName(), reply.errorMessage()};
}

}  // namespace

std::optional<QList<UDisksVolume>> UDisksVolumes() {
    const std::optional<QMap<QString, Interfaces>> objects = ManagedObjects();
    if (!objects) return std::nullopt;
    QList<UDisksVolume> volumes;
    for (auto object = objects->cbegin(); object != objects->cend(); ++object) {
        const Interfaces& interfaces = object.value();
        if (!interfaces.contains(QLatin1String(kBlock)) ||
            !interfaces.contains(QLatin1String(kFilesystem))) {
            continue;
        }
        const QVariantMap& block = interfaces[QLatin1String(kBlock)];
        UDisksVolume volume;
        volume.blockPath = object.key();
        volume.drivePath = ObjectPath(block.value(QStringLiteral("Drive")));
        volume.device = Bytes(block.value(QStringLiteral("Device")));
        volume.mountPoints = MountPoints(
            interfaces[QLatin1String(kFilesystem)].value(QStringLiteral("MountPoints")));
        volume.label = block.value(QStringLiteral("IdLabel")).toString();
        volume.type = block.value(QStringLiteral("IdType")).toString();
        volume.version = block.value(QStringLiteral("IdVersion")).toString();
        volume.size = block.value(QStringLiteral("Size")).toULongLong();
        volume.hintSystem = block.value(QStringLiteral("HintSystem"), true).toBool();
        volume.hintIgnore = block.value(QStringLiteral("HintIgnore")).toBool();
        const auto drive = objects->constFind(volume.drivePath);
        if (!volume.drivePath.isEmpty() && drive != objects->cend()) {
            const QVariantMap properties = drive->value(QLatin1String(kDrive));
            volume.removable = properties.value(QStringLiteral("Removable")).toBool() ||
                               properties.value(QStringLiteral("MediaRemovable")).toBool();
            volume.canPowerOff = properties.value(QStringLiteral("CanPowerOff")).toBool();
            volume.connectionBus = properties.value(QStringLiteral("ConnectionBus")).toString();
        }
        volumes.append(volume);
    }
    return volumes;
}

std::optional<UDisksVolume> UDisksVolumeMountedAt(const QString& root) {
    const std::optional<QList<UDisksVolume>> volumes = UDisksVolumes();
    if (!volumes) return std::nullopt;
    const QString wanted = QDir::cleanPath(root);
    for (const UDisksVolume& volume : *volumes) {
        if (volume.mountPoints.contains(wanted)) return volume;
    }
    return std::nullopt;
}

std::optional<UDisksError> UDisksUnmount(const UDisksVolume& volume) {
    return Call(volume.blockPath, kFilesystem, "Unmount", kUnmountMs);
}

std::optional<UDisksError> UDisksPowerOff(const UDisksVolume& volume) {
    return Call(volume.drivePath, kDrive, "PowerOff", kQueryMs * 5);
}
