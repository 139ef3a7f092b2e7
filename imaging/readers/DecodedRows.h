#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <functional>
#include <memory>
#include <vector>
#include <vips/vips8>

// What our own decoders share: rows allocated as the data reaches them, and a picture whose
// pixels are painted from them as the pipeline asks. A file that claims 10,000 x 10,000 pixels
// and ends after a hundred bytes costs the rows it reached, not the picture it claims.

// The rows of a picture being decoded, each allocated (zeroed) when first written: rowLength
// samples of type Sample. Written by one thread; once decoding is done, read by any number at
// once.
template <typename Sample = uchar>
class DecodedRows {
public:
    DecodedRows(int rows, size_t rowLength) : rows_(size_t(rows)), rowLength_(rowLength) {}

    // Row y (0 <= y < rows), allocated on first use.
    Sample* Row(int y) {
        std::unique_ptr<Sample[]>& row = rows_[size_t(y)];
        if (!row) row = std::make_unique<Sample[]>(rowLength_);
        return row.get();
    }
    // Row y, or nullptr when nothing was written to it.
    const Sample* Find(int y) const { return rows_[size_t(y)].get(); }

private:
    std::vector<std::unique_ptr<Sample[]>> rows_;
    size_t rowLength_;
};

// Paints columns left .. left + count - 1 of row y into out, bands bytes a pixel. Called on the
// library's threads, several at once, for as long as the picture lives: it may only read.
using RowPainter = std::function<void(int y, int left, int count, uchar* out)>;

// A picture of width x height, bands bytes a pixel, whose rows painter paints when they are
// computed; painter, and what it holds, lives as long as the picture. Throws LeadError
// (OutOfMemory) when the library cannot make it.
vips::VImage PaintedImage(int width, int height, int bands, VipsInterpretation interpretation,
                          RowPainter painter);

// The image with the colour profile the file carried (as stored); the image as it is when the
// profile is empty.
vips::VImage WithProfile(vips::VImage image, const QByteArray& profile);
