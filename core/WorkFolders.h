#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <functional>

#include "core/FolderLock.h"

struct AppSettings;
class Prompter;

// Where the private work copies and the slide export files live, the free-space check that
// guards every import step, and the cleaning at exit. The temporary folder is shared between
// users on Linux, so a work folder is used only when it is a real folder of this user with
// mode 0700. GUI thread.

inline constexpr quint64 kWorkSpaceThreshold = 64ull * 1024 * 1024;  // free bytes needed

struct WorkPaths {
    QString workFolder;
    QString autoExportFolder;  // inside workFolder
};

// The work paths under tempPath. "vimbrelcastorWork" is the name; when a folder of that name
// belongs to someone else (or is a link, or not a folder), "vimbrelcastorWork-<uid>" is
// taken, and when that is unusable too, a fresh private folder is made. Nothing is created
// in the first two cases: the loader creates the work folder before its first copy.
WorkPaths ChooseWorkPaths(const QString& tempPath);

// Creates the folder (one level, mode 0700) when it is missing. True when it then is a real
// folder, not a symbolic link, owned by this user; its mode is tightened to 0700. Otherwise
// false, with the reason in *why.
bool EnsurePrivateFolder(const QString& path, QString* why = nullptr);

// True when path is a real folder, not a symbolic link, owned by this user.
bool IsPrivateFolder(const QString& path);

// Appends to list the full paths of the files directly in folder whose names end in
// "." + extension (any name for "*"), except dot-files. Sub-folders are not entered. A
// missing folder, or one whose own name starts with a dot, adds nothing. Returns true.
bool ListFolderFiles(const QString& folder, const QString& extension, QStringList& list);

// Deletes the files of the export folder and then of the work folder. Dot-files, sub-folders
// and the two folders themselves stay; failed deletions are ignored. A folder that is not
// private (a link, someone else's) is left alone.
void CleanWorkFolders(const AppSettings& settings);

// A work folder of one batch run under tempPath, "vimbrelcastorBatch-XXXXXX": private,
// locked while this object lives (a work folder of ours that nobody locks is a leftover), and
// removed with everything in it when it goes.
class RunWorkFolder {
public:
    explicit RunWorkFolder(const QString& tempPath);
    ~RunWorkFolder();
    RunWorkFolder(const RunWorkFolder&) = delete;
    RunWorkFolder& operator=(const RunWorkFolder&) = delete;

    bool isValid() const { return !path_.isEmpty(); }
    QString path() const { return path_; }

private:
    QString path_;
    FolderLock hold_;
};

// Removes what runs of ours that are gone left under tempPath: the files of a window's work
// folders ("vimbrelcastorWork", "vimbrelcastorWork-*", as CleanWorkFolders empties them) and
// whole batch work folders ("vimbrelcastorBatch-*"), each only when no live process holds it
// and it is a real folder of this user. Links are never followed; nothing else is touched.
void RemoveStaleWorkFolders(const QString& tempPath);

// The free-space check of the temporary folder's drive.
class WorkSpace {
public:
    using FreeBytesProbe = std::function<quint64()>;

    // probe stands in for the file system's figure (tests inject one).
    explicit WorkSpace(QString tempPath, FreeBytesProbe probe = {});

    // Bytes available to this user on the temporary folder's file system; 0 when unknown.
    quint64 FreeBytesOfTempDrive() const;
    // The mount point of the temporary folder: what the user is told to clean up.
    QString TempDrive() const;
    // True when at least kWorkSpaceThreshold bytes are free; otherwise message 141 with the
    // drive, and false.
    bool CheckWorkSpace(Prompter& prompter) const;

private:
    QString tempPath_;
    FreeBytesProbe probe_;
};
