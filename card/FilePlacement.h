#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

// Writing a new image without destroying what it replaces: the image is written into a
// temporary file beside its final name and then moved into place, without replacing a name the
// run did not decide to replace. The run holds the folder's FolderLock meanwhile, so two runs
// never take each other's numbers. Any thread.

// The names of the temporary files: ".vimbrelcastor-<16 hex digits>.tmp". No numbering rule
// matches them (a dot among the first four characters).
inline constexpr char kTemporaryPrefix[] = ".vimbrelcastor-";
inline constexpr char kTemporarySuffix[] = ".tmp";

// Writes bytes into a new temporary file of the folder, gives it the modification time
// modified (when valid; a rename keeps it) and flushes it; returns its path, or an empty text
// when nothing could be written (and nothing is left).
QString WriteTemporaryFile(const QString& folder, const QByteArray& bytes,
                           const QDateTime& modified = QDateTime());

// Removes the temporary files in folder (regular files of the temporary names, nothing else);
// returns how many. Only for a run that holds the folder's lock: then no live run owns one, and
// what is there is left over from a run that was killed.
int RemoveLeftoverTemporaries(const QString& folder);

enum class Placement { Done, Taken, Failed };

// Gives the file at from the name to, keeping its modification time. With replace, whatever
// has that name is replaced in one step. Without it, a name that is taken (by an entry of any
// kind) is left alone and the answer is Taken. from stays where it was unless the answer is
// Done.
Placement MoveIntoPlace(const QString& from, const QString& to, bool replace);
// What MoveIntoPlace does without replace where the file system refuses the no-replace flag:
// a hard link where there are links, else a look at the name and a rename (only a program
// that is not ours could come between: our runs wait for the folder's lock).
Placement MoveIntoPlaceWithoutFlag(const QString& from, const QString& to);
