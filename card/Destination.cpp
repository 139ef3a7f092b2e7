#include "card/Destination.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <algorithm>

#include "card/DcfNumbering.h"
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
    QList<Drive> drives;
    for (const QStorageInfo& storage : QStorageInfo::mountedVolumes()) {
        const QString root = storage.rootPath();
        // Single files bind-mounted into containers (/etc/hosts) are volumes too.
        if (!storage.isValid() || !storage.isReady() || !QFileInfo(root).isDir() ||
            IsPseudoFileSystem(storage.fileSystemType())) {
            continue;
        }
        const bool removable = IsRemovableDevice(storage.device());
        const bool writable = !storage.isReadOnly() && QFileInfo(root).isWritable();
        if (!removable && !writable) continue;
        drives.append({root, storage.name(), removable});
    }
    std::sort(drives.begin(), drives.end(),
              [](const Drive& a, const Drive& b) { return a.root < b.root; });
    return drives;
}

bool IsRemovableDevice(const QByteArray& device) {
    if (!device.startsWith("/dev/")) return false;
    // /dev/disk/by-label/CARD and the like are links to the device node.
    const QString node = QFileInfo(QFile::decodeName(device)).canonicalFilePath();
    if (node.isEmpty()) return false;
    QString entry = QFileInfo(QStringLiteral("/sys/class/block/") + QFileInfo(node).fileName())
                        .canonicalFilePath();
    if (entry.isEmpty()) return false;
    // A partition's entry lies inside its disk's, and only the disk says whether it is removable.
    if (QFileInfo::exists(entry + QLatin1String("/partition"))) entry = QFileInfo(entry).path();
    QFile flag(entry + QLatin1String("/removable"));
    return flag.open(QIODevice::ReadOnly) && flag.readAll().trimmed() == "1";
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
    const int number = dcf::ReadFolderNumberField(numberText, prompter);
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
    const QString existing = dcf::ExistingFolderOfNumber(drive, number);
    const QString folder = existing.isEmpty() ? dcf::CardFolder(drive, number) : existing;
    const QString link = LinkOnCardPath(drive, folder);
    if (!link.isEmpty()) {
        prompter.Plain(UiTexts::Text("card.folder_is_link").arg(link));
        return std::nullopt;
    }
    if (existing.isEmpty()) return folder;
    const QString question = root.filePath(QLatin1String(dcf::kDcimFolder) + QLatin1Char('/') +
                                           dcf::FolderNumberText(number));
    if (!prompter.Confirm(msg::FolderNumberExists, question)) return std::nullopt;
    return existing;
}

QString LinkOnCardPath(const QString& drive, const QString& folder) {
    const QString dcim = QDir(drive).filePath(QLatin1String(dcf::kDcimFolder));
    if (QFileInfo(dcim).isSymLink()) return dcim;
    if (QFileInfo(folder).isSymLink()) return folder;
    return QString();
}
