#pragma once

#include <QImage>
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
    QImage thumbnail;  // null until rendered, or when the file could not be decoded
};

// What the image is called where it is shown or spoken: a slide's name, else its file's name.
QString DisplayName(const ImageEntry& entry);
