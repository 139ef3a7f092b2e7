#pragma once

#include <QDateTime>
#include <QString>
#include <functional>

// The order a projector or a picture frame shows a card folder in, whatever it sorts by: the
// file names (the numbers), the dates (each image's Exif date and file time rise with its
// number, 2 s apart: FAT keeps file times in 2-second steps), or the plain order of the
// folder's directory slots. A FAT file system puts a new name into the first free slots, so a
// file the user deleted leaves a hole that the next new image takes; the order is then put
// right by moving the files from the first misplaced one on out of the folder and back in
// ascending order. Every move is a rename within the card: at any moment each file is either in
// the folder or in its order folder, under its own name, and the next run completes a restore
// that a killed run left. Only for a run that holds the folder's lock (FolderLock). Any
// thread.

// The folder a restore moves files into while it runs: inside the card folder, named so that
// no numbering rule matches it.
inline constexpr char kOrderFolder[] = ".vimbrelcastor-order";
// Seconds between the times of two images that follow each other.
inline constexpr int kRunTimeStep = 2;

// The time of the first image of a run writing count images into folder, the run having
// started at start: the later of start - 2 count s (so that the last image is about now) and
// the newest time of the folder's numbered files + 2 s (so that the run follows them), on an
// even second (what FAT keeps). Image i of the run gets this time + 2 i s.
QDateTime FirstRunTime(const QString& folder, int count, const QDateTime& start);

// True when the folder's file system keeps a directory as a list of slots that a device reads
// in order (FAT and exFAT), so that their order is worth restoring. Other file systems sort
// or hash their directories and show no order of their own.
bool HasSlotOrder(const QString& folder);

// The numbered files of folder in directory order (the order readdir gives on the mounted
// card), by name.
QStringList NumberedFilesInDirectoryOrder(const QString& folder);
// The same files in the order their numbers promise (by number, then by name).
QStringList NumberedFilesByNumber(const QString& folder);

// Puts the numbered files of folder in ascending order of their numbers, as above. Called after
// a move with the count of moves so far (a test ends the process there). False when a file
// could not be moved (it stays where it is, under its own name, and the next run tries again).
bool RestoreDirectoryOrder(const QString& folder,
                           const std::function<void(int moves)>& afterMove = {});

// Completes what a killed restore left: the files in folder's order folder go back in
// ascending order, the order folder goes when empty, and the order is restored. False when a
// file could not be moved back (its name was taken meanwhile: it stays in the order folder).
bool CompleteInterruptedRestore(const QString& folder);

// Makes the folder's entries (its renames) durable: a card pulled afterwards keeps the names.
bool SyncFolder(const QString& folder);

// What killed runs left in every card folder under drive/DCIM other than except (which the
// caller holds): their temporary files go and their interrupted restores are completed. A
// folder that another run holds is left alone.
void TidyCardFolders(const QString& drive, const QString& except);
