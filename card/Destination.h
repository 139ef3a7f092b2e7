#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

class Prompter;

// The memory-card destination: the volumes a card can be written on, the card the program was
// started from, and the checks that turn a drive and a typed folder number into the card
// folder. A drive is a mount root such as /media/user/CARD. GUI thread (the checks may ask).

struct Drive {
    QString root;   // the mount root, without a trailing separator (except "/")
    QString label;  // the volume's name; empty when it has none
    bool removable = false;
    QString fileSystem{};  // as a user knows it: FAT32, exFAT, NTFS, ...; empty when unknown
    qint64 size = -1;      // bytes; -1 when unknown
    qint64 available = -1;
};

// The memory cards (removable volumes) mounted now, sorted by root: from the desktop's disk
// service when the system bus has it (mounted, not a system disk, on a drive that is removable
// or takes removable media), else from the mount table and the kernel's removable flags. Never
// "/" or a volume on the disk holding the system.
QList<Drive> ListDrives();

// The same from the mount table alone (the list without the disk service).
QList<Drive> ListDrivesFromMountTable();

// True when the block device (such as /dev/sdb1, or a link to it) lies on a disk that the
// kernel marks removable, or is an SD card in a built-in reader (mmcblk, whose flag says 0;
// not a soldered eMMC); a partition counts as its disk.
bool IsRemovableDevice(const QByteArray& device);

// The file system of the volume mounted at root, as a user knows it ("FAT32", "exFAT"), from
// the disk service or the mount table, with the volume's first sector read where the mount
// table cannot tell (FUSE mounts); empty when unknown.
QString FileSystemName(const QString& root);

// True for the file systems every projector and frame reads: FAT16 and FAT32.
bool IsCardFileSystem(const QString& name);

// The root of the drive holding the program when that drive is removable, else an empty text.
QString ProposedCardDrive(const QList<Drive>& drives, const QString& programPath);

// The checks of OK in the destination dialog, in order: the number field (message 143 below
// 100, 999 above), the drive being ready (119), a write test with a folder "temppstg" that is
// removed again (118), the refusal of a DCIM or card folder that is a symbolic link, and the
// question 124 when drive/DCIM/NNNRODIV or another entry of that number exists. Gives the card
// folder (an existing entry when the user accepted it) or nothing when the dialog should stay
// open. Nothing of the card folder is created here.
std::optional<QString> AcceptCardFolder(const QString& drive, const QString& numberText,
                                        Prompter& prompter);

// drive/DCIM when it is a symbolic link, else folder (a card folder under it) when it is one,
// else an empty text. Images are written only into folders on the card itself: a link could
// lead anywhere.
QString LinkOnCardPath(const QString& drive, const QString& folder);
