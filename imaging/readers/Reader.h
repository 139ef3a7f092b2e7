#pragma once

#include <QString>
#include <vips/vips8>

#include "imaging/FileFormat.h"

// The readers of image files: one for each format the program takes, all of one signature, and
// chosen from one table by the format the file's bytes name (Reader.cpp). Most are the
// library's loaders; our own read what the library reads badly, each for a reason measured in
// bench/ and said at its top. A reader gives the picture as stored (no orientation applied, any
// number of bands and bits) with its damage. Any thread; readers keep no state.

struct ReadRequest {
    QString file;
    SniffedFile sniffed;  // what the file's first bytes said
    // Strict: the decoder's first warning fails the read. Tolerant: it reads as far as the data
    // goes, and what it cannot read is left as the decoder leaves it.
    bool tolerant = false;
    // The smallest picture, as stored, that serves: a reader that can decode at a reduced size
    // decodes no smaller than this. 0 x 0 asks for the picture at its size.
    int minWidth = 0;
    int minHeight = 0;
    // The rows are asked for once, top to bottom, rather than in any order.
    bool sequential = false;
    // Only the size, the bands and the metadata are looked at: a reader that decodes at once
    // may answer with a blank picture of the right size.
    bool headerOnly = false;
};

struct ReadPicture {
    vips::VImage image;
    // Why pixels are lost (rows the file does not hold, data the decoder could not read);
    // empty when every pixel was read.
    QString damage;
    // Whether damage is the reader's whole judgement. False for the library's loaders, which
    // decode when the pixels are computed: a strict read then fails with the reason.
    bool judged = true;
};

// Reads the file through the reader of request.sniffed.format. Throws LeadError (Unreadable,
// with the decoder's reason) when the file cannot be read.
ReadPicture ReadImageFile(const ReadRequest& request);

// The readers of the table.
ReadPicture ReadJpeg(const ReadRequest& request);  // JpegReader.cpp
ReadPicture ReadPng(const ReadRequest& request);   // PngReader.cpp
ReadPicture ReadGif(const ReadRequest& request);   // GifReader.cpp
ReadPicture ReadBmp(const ReadRequest& request);   // BmpReader.cpp
ReadPicture ReadTiff(const ReadRequest& request);  // Reader.cpp
ReadPicture ReadWebp(const ReadRequest& request);
ReadPicture ReadHeif(const ReadRequest& request);

// Options of a library loader: strict or tolerant, sequential or not. A new set each call, for
// the loader call that takes it over.
vips::VOption* LoadOptions(const ReadRequest& request);

// The largest of 8, 4 and 2 that keeps a side of width x height, divided and rounded up, at
// least as large as minWidth x minHeight; 1 when none does or no size is asked for.
int ReductionFor(int width, int height, int minWidth, int minHeight);
