#pragma once

#include <QString>

// Recognises an image file by its first bytes, never by its name, and reads the few header
// fields the program needs. Every field is checked against its range and against the file's
// length before it is used in arithmetic. Any thread.

struct SniffedFile {
    int format = 0;       // an imaging::FormatCode; kFormatUnknown when no signature matched
    bool oneBit = false;  // a bilevel image: 1 bit per pixel, one sample
    // The stored size as the header gives it; 0 when it does not give one.
    int width = 0;
    int height = 0;
    // The picture is stored in passes: an interlaced PNG, a progressive JPEG.
    bool interlaced = false;
    // Why the header cannot be right (a zero or negative size, a depth the format does not
    // have, a directory past the end of the file); empty when it can. No decoder is asked
    // to read such a file.
    QString problem;
    // Why the pixels cannot all be there (the file ends before the data its header points
    // at); empty when they can. Such a file is decoded as far as it goes and marked damaged.
    QString damage;
};

// Reads the signature and the header of the file. False when the file cannot be opened or
// read.
bool SniffImageFile(const QString& path, SniffedFile* sniffed);
