#pragma once

#include <QString>
#include <QStringList>
#include <optional>

class Prompter;

// The card layout: folders DCIM/NNNRODIV (100 to 999) and files DUVUNNNN.JPG or .PNG (0001
// to 9999), and the rules for finding taken and free numbers. A number is taken by any entry
// whose name has exactly eight characters before its extension, the last four being the
// number's digits (ABCD0007.JPG, DUVU0007.PNG and duvu0007.thm all take 7): cards are FAT, so
// letters compare without regard to case. The entry may be of any kind (a folder, a link that
// leads nowhere, a pipe): its name cannot be written either. Pure functions over the file
// system; any thread.

// The names and limits of the camera layout.
namespace dcf {

inline constexpr char kFilePrefix[] = "DUVU";
inline constexpr char kFolderSuffix[] = "RODIV";
inline constexpr char kDcimFolder[] = "DCIM";
inline constexpr int kFirstFolderNumber = 100;
inline constexpr int kLastFolderNumber = 999;
inline constexpr int kFirstFileNumber = 1;
inline constexpr int kLastFileNumber = 9999;

}  // namespace dcf

// "DUVU0001.JPG" or "DUVU0001.PNG".
QString DcfFileName(int number, bool png);
// folder, a separator when it has none at its end, and the file name.
QString DcfFilePath(const QString& folder, int number, bool png);

// The number a file name takes, or nothing.
std::optional<int> DcfNumberOfName(const QString& fileName);

// The entries directly in folder that take the number, of any kind, sorted by name.
QStringList FilesOfNumber(const QString& folder, int number);

// Deletes the files of the number in kept's folder other than kept itself, recognised as the
// same file under any name the folder shows it by (a FAT card keeps the old name's case when a
// file is renamed over one spelled otherwise). Only regular files are deleted: folders, links
// and the rest stay. Stops at the first file that cannot be deleted and then returns false.
bool RemoveOtherFilesOfNumber(const QString& kept, int number);

// True when an entry in the folder part of path takes the number.
bool FileNumberExists(const QString& path, int number);

// One more than the highest number at or above start that an entry in the folder takes (start
// + 1 when none does); holes are never filled. Nothing when that would pass 9999.
std::optional<int> NextFreeFileNumber(const QString& folder, int start);

// The card folder of a number under a drive (mount root): drive/DCIM/NNNRODIV.
QString CardFolder(const QString& drive, int number);

// The drive (mount root) of a card folder drive/DCIM/NAME; an empty text when folder does not
// lie in a DCIM folder.
QString DriveOfCardFolder(const QString& folder);

// The lowest folder number for which nothing under drive/DCIM starts with its three digits
// (a folder or file of any suffix); 999 when all are taken.
int FirstFreeFolderNumber(const QString& drive);
// The lowest folder number above after that is free by the same rule; nothing when none is.
std::optional<int> NextFreeFolderNumber(const QString& drive, int after);
// The number a card folder's name starts with (its first three characters, digits from 100),
// or nothing.
std::optional<int> FolderNumberOfName(const QString& name);

// The folder a number's images go into when one is there already: drive/DCIM/NNNRODIV, else
// the first folder under drive/DCIM whose name starts with the number's three digits (another
// suffix); else an empty text. Files of such names are not folders and do not count.
QString ExistingFolderOfNumber(const QString& drive, int number);

// The folder number field: its text read as a decimal number (no digits read as 0); below
// 100 shows message 143 and gives 100, above 999 gives 999 without a message.
int ReadFolderNumberField(const QString& text, Prompter& prompter);
// The spin buttons: current + step, kept within 100 to 999.
int StepFolderNumber(int current, int step);
// Three digits, as the field shows the number.
QString FolderNumberText(int number);
