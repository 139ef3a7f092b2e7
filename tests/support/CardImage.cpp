#include "tests/support/CardImage.h"

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

CardImage::CardImage(Kind kind, const QString& label)
    : kind_(kind),
      label_(label),
      image_(temp_.filePath(QStringLiteral("card.img"))),
      mountPoint_(temp_.filePath(QStringLiteral("card"))) {
    QDir().mkpath(mountPoint_);
}

CardImage::~CardImage() {
    Unmount();
}

QString CardImage::Unavailable(Kind kind) {
    if (::geteuid() != 0) return QStringLiteral("mounting a card image needs root");
    if (!QFile::exists(QStringLiteral("/dev/fuse"))) return QStringLiteral("no /dev/fuse");
    const QStringList tools = kind == Kind::Fat32
                                  ? QStringList{"mkfs.vfat", "fusefat", "fusermount", "mdir"}
                                  : QStringList{"mkfs.exfat", "mount.exfat-fuse", "losetup"};
    for (const QString& tool : tools) {
        if (QStandardPaths::findExecutable(tool).isEmpty() &&
            QStandardPaths::findExecutable(tool, {"/sbin", "/usr/sbin"}).isEmpty()) {
            return tool + QStringLiteral(" is not installed");
        }
    }
    if (kind == Kind::ExFat && !QFile::exists(QStringLiteral("/dev/loop-control"))) {
        return QStringLiteral("no loop devices");
    }
    return QString();
}

bool CardImage::Run(const QString& program, const QStringList& arguments, QString* out) {
    QString path = QStandardPaths::findExecutable(program);
    if (path.isEmpty()) path = QStandardPaths::findExecutable(program, {"/sbin", "/usr/sbin"});
    QProcess process;
    process.start(path, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        error_ = program + QLatin1Char(' ') + arguments.join(QLatin1Char(' ')) +
                 QStringLiteral(": ") + QString::fromLocal8Bit(process.readAllStandardError());
        return false;
    }
    if (out) *out = QString::fromLocal8Bit(process.readAllStandardOutput());
    return true;
}

bool CardImage::Make() {
    const bool made =
        Run(QStringLiteral("truncate"), {"-s", "64M", image_}) &&
        (kind_ == Kind::Fat32 ? Run(QStringLiteral("mkfs.vfat"), {"-F", "32", "-n", label_, image_})
                              : Run(QStringLiteral("mkfs.exfat"), {"-L", label_, image_}));
    return made && Mount();
}

bool CardImage::Mount() {
    if (mounted_) return true;
    if (kind_ == Kind::Fat32) {
        mounted_ = Run(QStringLiteral("fusefat"), {"-o", "rw+", image_, mountPoint_});
        return mounted_;
    }
    if (!Run(QStringLiteral("losetup"), {"-f", "--show", image_}, &loop_)) return false;
    loop_ = loop_.trimmed();
    mounted_ = Run(QStringLiteral("mount.exfat-fuse"), {loop_, mountPoint_});
    return mounted_;
}

bool CardImage::Unmount() {
    if (mounted_) {
        // A process that just closed a file may hold the mount a moment longer.
        for (int attempt = 0; attempt < 50 && mounted_; ++attempt) {
            mounted_ = !Run(QStringLiteral("fusermount"), {"-u", mountPoint_});
            if (mounted_) QThread::msleep(100);
        }
        if (mounted_) return false;
    }
    if (!loop_.isEmpty() && Run(QStringLiteral("losetup"), {"-d", loop_})) loop_.clear();
    return true;
}

QStringList CardImage::RawListing(const QString& path) const {
    // mdir's bare listing: a line per entry in the directory's order, by its long name when it
    // has one; a folder's ends in a slash.
    QProcess mdir;
    mdir.start(QStringLiteral("mdir"), {"-b", "-i", image_, QStringLiteral("::/") + path});
    mdir.waitForFinished(30000);
    QStringList names;
    for (const QString& line :
         QString::fromLocal8Bit(mdir.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts)) {
        if (!line.endsWith(QLatin1Char('/'))) names.append(line.section(QLatin1Char('/'), -1));
    }
    return names;
}
