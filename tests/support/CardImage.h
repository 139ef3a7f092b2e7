#pragma once

#include <QString>
#include <QTemporaryDir>

// A memory card for tests: a FAT32 or exFAT file system made in an image file and mounted
// through FUSE, as root (fusefat on the image; exfat-fuse over a loop device). Reason() says
// why it cannot be used here (not root, no /dev/fuse or loop device, a tool missing), for a
// skip. Unmounted, and its loop device freed, when it goes.
class CardImage {
public:
    enum class Kind { Fat32, ExFat };

    explicit CardImage(Kind kind, const QString& label = QStringLiteral("CARD"));
    ~CardImage();
    CardImage(const CardImage&) = delete;
    CardImage& operator=(const CardImage&) = delete;

    // Empty when cards can be made and mounted here, else why not.
    static QString Unavailable(Kind kind);

    // Formats the image (64 MB) and mounts it; false with error() set.
    bool Make();
    bool Mount();
    bool Unmount();

    QString root() const { return mountPoint_; }
    QString image() const { return image_; }
    QString error() const { return error_; }

    // The names of a folder of the card as its directory holds them, read from the unmounted
    // image with mtools (FAT only); path such as "DCIM/100RODIV".
    QStringList RawListing(const QString& path) const;

private:
    // Runs a tool to its end; false with error() set unless it succeeds. Its output in out.
    bool Run(const QString& program, const QStringList& arguments, QString* out = nullptr);

    Kind kind_;
    QString label_;
    QTemporaryDir temp_;
    QString image_;
    QString mountPoint_;
    QString loop_;
    bool mounted_ = false;
    QString error_;
};
