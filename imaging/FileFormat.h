#pragma once

#include <QString>

// Recognises an image file by its first bytes, never by its name. Any thread.

struct SniffedFile {
    int format = 0;       // an imaging::FormatCode; kFormatUnknown when no signature matched
    bool oneBit = false;  // a bilevel image: 1 bit per pixel, one sample
    // Stored size when the header gives it cheaply (BMP); 0 otherwise.
    int width = 0;
    int height = 0;
};

// Reads the signature (and, for bilevel detection, the header) of the file. False when the
// file cannot be opened or read.
bool SniffImageFile(const QString& path, SniffedFile* sniffed);
