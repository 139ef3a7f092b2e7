#pragma once

#include <QString>
#include <vips/vips8>

#include "imaging/FileFormat.h"

// An image file as CLead reads it: the examination of its header, the picture LoadImage holds,
// and the same picture decoded again from the file, smaller or past the decoder's warnings.
// Every read goes through the readers of imaging/readers/, chosen by the format the file's
// bytes name. Any thread.

// What the examination of a file's header found.
struct FileInfo {
    int format = 0;  // a FormatCode; for a format the program does not read, that alone
    int width = 0;   // as stored
    int height = 0;
    int bits = 0;  // a pixel: 1 for a bilevel picture, else bands times bits a sample
    int orientation = 1;
};

// Reads the header only: damage in the pixels is the conversion's to find and tell. Throws
// LeadError (Unreadable, with the reason) when the file is no image at all or its header
// cannot be read.
FileInfo ExamineFile(const QString& path);

// A picture that is still exactly its file's content: enough to decode it again.
struct FileSource {
    QString file;
    SniffedFile sniffed;
    int orientation = 1;  // still to apply to the stored picture
    // Read past the decoder's warnings, since a strict read failed for strictFailure.
    bool tolerant = false;
    QString strictFailure;
};

// The picture LoadImage holds: upright, 8 bits a sample, alpha composed on black, one band
// (grey) or three; not yet decoded. bits 24 asks for three bands whatever the file holds. A
// header the strict decoder refuses is read again tolerantly, and the picture marked damaged.
struct OpenedFile {
    vips::VImage image;
    bool oneBit = false;
    QString damage;
    FileSource source;
};
OpenedFile OpenFile(const QString& path, int bits);

// The picture of the source decoded again as stored (not turned upright), normalised to the
// bands given, at least minWidth x minHeight where the reader can decode it smaller; read in
// sequence when asked. damage is the reader's, or why the strict read failed.
struct DecodedFile {
    vips::VImage image;
    QString damage;
};
DecodedFile DecodeAgain(const FileSource& source, int minWidth, int minHeight, int bands,
                        bool sequential);

// 8 bits per sample, alpha composed on black, one band (grey) or three (sRGB).
vips::VImage Normalise(vips::VImage image, bool grey);
// The picture turned as its Exif orientation says (1 to 8).
vips::VImage Upright(const vips::VImage& image, int orientation);
// The orientation (1 to 8) that turns a stored picture as orientation does and then by
// quarterTurns clockwise (any whole number; negative turns left).
int TurnedOrientation(int orientation, int quarterTurns);
