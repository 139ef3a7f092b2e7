#include "card/Destination.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStorageInfo>
#include <algorithm>

#include "card/DcfNumbering.h"
#include "card/UDisks.h"
#include "skin/MessageIds.h"
#include "skin/Prompter.h"
#include "skin/UiTexts.h"

namespace {

// The write test's folder, made at the drive's root and removed at once.
constexpr char kProbeFolder[] = "temppstg";

// Kernel interfaces and memory file systems: nothing there is a place for a card's images.
bool IsPseudoFileSystem(const QByteArray& type) {
    static const QByteArray kTypes[] = {
        "proc",       "sysfs",       "devtmpfs",  "devpts",      "securityfs",
        "pstore",     "bpf",         "tracefs",   "debugfs",     "configfs",
        "fusectl",    "mqueue",      "hugetlbfs", "autofs",      "tmpfs",
        "ramfs",      "nsfs",        "squashfs",  "efivarfs",    "rootfs",
        "rpc_pipefs", "binfmt_misc", "selinuxfs", "fuse.portal", "fuse.gvfsd-fuse",
    };
    return type.startsWith("cgroup") ||
           std::find(std::begin(kTypes), std::end(kTypes), type) != std::end(kTypes);
}

// What a FAT volume is called when the FAT kind cannot be read.
constexpr char kFatOfUnknownKind[] = "FAT";

QByteArray ReadLine(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readLine().trimmed() : QByteArray();
}

// The kernel's entry of the disk that holds the block device (/sys/devices/.../sdb), or an
// empty text. /dev/disk/by-label/CARD and the like are links to the device node.
QString DiskEntry(const QByteArray& device) {
    if (!device.startsWith("/dev/")) return QString();
    const QString node = QFileInfo(QFile::decodeName(device)).canonicalFilePath();
    if (node.isEmpty()) return QString();
    QString entry = QFileInfo(QStringLiteral("/sys/class/block/") + QFileInfo(node).fileName())
                        .canonicalFilePath();
    if (entry.isEmpty()) return QString();
    // A partition's entry lies inside its disk's.
    if (QFileInfo::exists(entry + QLatin1String("/partition"))) entry = QFileInfo(entry).path();
    return entry;
}

// The disks holding the system's own mounts.
QSet<QString> SystemDisks() {
    static const char* const kSystemRoots[] = {"/", "/boot", "/boot/efi", "/usr", "/var", "/home"};
    QSet<QString> disks;
    for (const QStorageInfo& storage : QStorageInfo::mountedVolumes()) {
        for (const char* root : kSystemRoots) {
            if (storage.rootPath() == QLatin1String(root)) {
                const QString disk = DiskEntry(storage.device());
                if (!disk.isEmpty()) disks.insert(disk);
            }
        }
    }
    return disks;
}

QString DisplayName(const QString& type, const QString& version) {
    if (type == QLatin1String("vfat") || type == QLatin1String("msdos")) {
        return version.startsWith(QLatin1String("FAT")) ? version
                                                        : QLatin1String(kFatOfUnknownKind);
    }
    if (type == QLatin1String("exfat")) return QStringLiteral("exFAT");
    if (type == QLatin1String("ntfs") || type == QLatin1String("ntfs3")) {
        return QStringLiteral("NTFS");
    }
    return type;
}

// The file system named in the first sector of a volume's device or image, when it can be read.
std::optional<std::pair<QString, QString>> ReadBootSector(const QByteArray& source) {
    QFile file(QFile::decodeName(source));
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    const QByteArray sector = file.read(512);
    if (sector.size() < 512) return std::nullopt;
    if (sector.mid(3, 8) == "EXFAT   ") return std::pair{QStringLiteral("exfat"), QString()};
    if (sector.mid(3, 8) == "NTFS    ") return std::pair{QStringLiteral("ntfs"), QString()};
    if (sector.mid(82, 8) == "FAT32   ")
        return std::pair{QStringLiteral("vfat"), QStringLiteral("FAT32")};
    for (const char* kind : {"FAT12", "FAT16"}) {
        if (sector.mid(54, 5) == kind)
            return std::pair{QStringLiteral("vfat"), QLatin1String(kind)};
    }
    return std::nullopt;
}

// From the mount table; FUSE mounts (exfat-fuse, ntfs-3g, fusefat) and the FAT kind are read
// from the volume itself.
QString NameFromMountTable(const QStorageInfo& storage) {
    const QByteArray type = storage.fileSystemType();
    const bool fat = type == "vfat" || type == "msdos" || type == "fuse.fusefat";
    if (fat || type.startsWith("fuse")) {
        if (const auto sector = ReadBootSector(storage.device())) {
            return DisplayName(sector->first, sector->second);
        }
        return fat ? QLatin1String(kFatOfUnknownKind) : QString();
    }
    return DisplayName(QString::fromLatin1(type), QString());
}

void SortByRoot(QList<Drive>& drives) {
    std::sort(drives.begin(), drives.end(),
              [](const Drive& a, const Drive& b) { return a.root < b.root; });
}

// True when root is path itself or one of its parent folders.
bool Holds(const QString& root, const QString& path) {
    if (root == QLatin1String("/")) return path.startsWith(QLatin1Char('/'));
    return path == root || path.startsWith(root + QLatin1Char('/'));
}

bool IsDriveReady(const QString& drive) {
    if (drive.isEmpty() || !QFileInfo(drive).isDir()) return false;
    const QStorageInfo storage(drive);
    return storage.isValid() && storage.isReady();
}

}  // namespace

QList<Drive> ListDrives() {
    const std::optional<QList<UDisksVolume>> volumes = UDisksVolumes();
    if (!volumes) return ListDrivesFromMountTable();
    QList<Drive> drives;
    for (const UDisksVolume& volume : *volumes) {
        if (volume.hintSystem || volume.hintIgnore || !volume.removable ||
            volume.mountPoints.isEmpty() || volume.mountPoints.contains(QLatin1String("/"))) {
            continue;
        }
        const QString root = volume.mountPoints.constFirst();
        const QStorageInfo storage(root);
        drives.append({root, volume.label, true, DisplayName(volume.type, volume.version),
                       qint64(volume.size), storage.isValid() ? storage.bytesAvailable() : -1});
    }
    SortByRoot(drives);
    return drives;
}

QList<Drive> ListDrivesFromMountTable() {
    const QSet<QString> systemDisks = SystemDisks();
    QList<Drive> drives;
    for (const QStorageInfo& storage : QStorageInfo::mountedVolumes()) {
        const QString root = storage.rootPath();
        // Single files bind-mounted into containers (/etc/hosts) are volumes too.
        if (!storage.isValid() || !storage.isReady() || root == QLatin1String("/") ||
            !QFileInfo(root).isDir() || IsPseudoFileSystem(storage.fileSystemType()) ||
            !IsRemovableDevice(storage.device()) ||
            systemDisks.contains(DiskEntry(storage.device()))) {
            continue;
        }
        drives.append({root, storage.name(), true, NameFromMountTable(storage),
                       storage.bytesTotal(), storage.bytesAvailable()});
    }
    SortByRoot(drives);
    return drives;
}

bool IsRemovableDevice(const QByteArray& device) {
    const QString entry = DiskEntry(device);
    if (entry.isEmpty()) return false;
    if (ReadLine(entry + QLatin1String("/removable")) == "1") return true;
    // A built-in SD reader's card says 0; a soldered eMMC says MMC as its type.
    return QFileInfo(entry).fileName().startsWith(QLatin1String("mmcblk")) &&
           ReadLine(entry + QLatin1String("/device/type")) != "MMC";
}

QString FileSystemName(const QString& root) {
    if (const std::optional<UDisksVolume> volume = UDisksVolumeMountedAt(root)) {
        return DisplayName(volume->type, volume->version);
    }
    const QStorageInfo storage(root);
    return storage.isValid() ? NameFromMountTable(storage) : QString();
}

bool IsCardFileSystem(const QString& name) {
    return name == QLatin1String("FAT32") || name == QLatin1String("FAT16") ||
           name == QLatin1String(kFatOfUnknownKind);
}

QString ProposedCardDrive(const QList<Drive>& drives, const QString& programPath) {
    // Mounts nest ("/" holds everything): the program lies on the drive with the longest root
    // that holds it, and only that drive counts.
    const Drive* holder = nullptr;
    for (const Drive& drive : drives) {
        if (Holds(drive.root, programPath) &&
            (holder == nullptr || drive.root.size() > holder->root.size())) {
            holder = &drive;
        }
    }
    return holder != nullptr && holder->removable ? holder->root : QString();
}

std::optional<QString> AcceptCardFolder(const QString& drive, const QString& numberText,
                                        Prompter& prompter) {
    const int number = ReadFolderNumberField(numberText, prompter);
    if (!IsDriveReady(drive)) {
        prompter.Info(msg::DriveNotReady, drive);
        return std::nullopt;
    }

    // A locked card is mounted read-only; trying a folder is the only sure test. An empty probe
    // left behind by an interrupted test is taken away first (removing it is a write as well).
    const QDir root(drive);
    const QString probe = root.filePath(QLatin1String(kProbeFolder));
    if (QFileInfo(probe).isDir()) root.rmdir(QLatin1String(kProbeFolder));
    if (!root.mkdir(QLatin1String(kProbeFolder))) {
        prompter.Info(msg::CannotMakeCardFolder, probe);
        return std::nullopt;
    }
    root.rmdir(QLatin1String(kProbeFolder));

    // A folder of the number, of this suffix or another, is used as it is once confirmed.
    const QString existing = ExistingFolderOfNumber(drive, number);
    const QString folder = existing.isEmpty() ? CardFolder(drive, number) : existing;
    const QString link = LinkOnCardPath(drive, folder);
    if (!link.isEmpty()) {
        prompter.Plain(UiTexts::Text("card.folder_is_link").arg(link));
        return std::nullopt;
    }
    if (existing.isEmpty()) return folder;
    const QString question = root.filePath(QLatin1String(dcf::kDcimFolder) + QLatin1Char('/') +
                                           FolderNumberText(number));
    if (!prompter.Confirm(msg::FolderNumberExists, question)) return std::nullopt;
    return existing;
}

QString LinkOnCardPath(const QString& drive, const QString& folder) {
    const QString dcim = QDir(drive).filePath(QLatin1String(dcf::kDcimFolder));
    if (QFileInfo(dcim).isSymLink()) return dcim;
    if (QFileInfo(folder).isSymLink()) return folder;
    return QString();
}
