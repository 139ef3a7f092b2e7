#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

// A look at a card before images are written onto it: a file system that older projectors do
// not read, what other computers leave on a card (macOS's "._" files, trash and index folders),
// which some projectors show as blank slides, and a playlist that a projector wrote into the
// destination folder, after which some projectors ignore images added later. Nothing is
// removed without the user's yes. Reads the whole card: run it on a worker. Any thread.

struct CardCheck {
    QString fileSystem;              // as a user knows it; empty when unknown
    bool foreignFileSystem = false;  // one that older projectors may not read
    QStringList leftovers;           // other computers' files and folders, paths under the card
    QStringList playlists;           // playlist files in the destination folder

    bool IsEmpty() const {
        return !foreignFileSystem && leftovers.isEmpty() && playlists.isEmpty();
    }
};

// Checks the card at drive (its mount root) for writing into folder (a folder on it, which
// need not exist yet).
CardCheck CheckCard(const QString& drive, const QString& folder);

// Removes what the check found (folders with what they hold, never following a link); the
// paths that could not be removed are returned.
QStringList RemoveFound(const CardCheck& check);

// What the check found that can be removed, told in the chosen language: for each kind found
// (other computers' leftovers, playlists) its text, then its paths, one a line; an empty list
// when nothing was found.
QStringList FoundLines(const CardCheck& check);

// The warning about the card's file system.
QString FileSystemWarning(const CardCheck& check);

// The cards checked so far: each is checked once while the program runs. A card is known by its
// mount root and its file system's device. GUI thread (or the batch run's).
class CheckedCards {
public:
    // True the first time a card is named, false after that (and for a drive that is gone).
    bool FirstTime(const QString& drive);

private:
    QSet<QString> seen_;
};
