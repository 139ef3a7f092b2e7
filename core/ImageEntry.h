#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <QtGlobal>

// A stable name for an entry of the working list: unlike its row, it never changes while the
// entry lives, so results computed on a worker thread find their entry after moves.
using EntryId = quint64;

// One image of the working list. The list order is the output order; the number shown and
// written is index + 1. Values are copied freely; only the GUI thread changes the list.
struct ImageEntry {
    EntryId id = 0;
    bool selected = false;
    bool saved = false;   // set by the convert run after it wrote the image
    int originFlagA = 0;  // 1 and 1 for a slide from a presentation, 0 and 0 for a file
    int originFlagB = 0;
    bool positioned = false;  // the cell was laid out for the current grid
    bool rendered = false;    // the renderer is done with it (successfully or not)
    quint32 index = 0;        // 0-based position in the list
    QString sourcePath;       // the file the user imported (or the exported slide)
    QString name;             // what a slide is called ("talk.pdf, page 3"); empty for a file
    QString workPath;         // the private work copy; every later read uses it
    int imageWidth = 0;       // the picture's size, upright, as the loader examined it
    int imageHeight = 0;
    // Turned by hand after the upright picture: clockwise quarter turns, 0 to 3. The files are
    // never changed; the thumbnail, the preview and the written image show the turn.
    int quarterTurns = 0;
    // null until rendered, or when the file could not be decoded; turned as quarterTurns says
    QImage thumbnail;
};

// The picture's size as it is shown and written: upright, then turned.
inline QSize TurnedSize(const ImageEntry& entry) {
    return entry.quarterTurns % 2 == 0 ? QSize(entry.imageWidth, entry.imageHeight)
                                       : QSize(entry.imageHeight, entry.imageWidth);
}

// What the image is called where it is shown or spoken: a slide's name, else its file's name.
QString DisplayName(const ImageEntry& entry);
