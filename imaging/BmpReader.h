#pragma once

#include <QString>
#include <optional>
#include <vips/vips8>

// Windows bitmaps read by our own reader: an uncompressed bitmap row by row straight from
// the file as the pipeline asks for rows (a 10,000 x 10,000 picture is never held whole), a
// run-length coded one decoded once at one byte a pixel, into the rows its data reaches. Any
// thread; the image it returns may be read from any thread.
namespace imaging {

// The bitmap as three sRGB bands. Rows the file does not hold (cut short, or run-length data
// that ends early) are black, and *damage says why; empty when the file holds every row.
// Pixels that run-length data skips (a delta, an early end of line or of the bitmap) are black
// too.
// nullopt for a layout this reader leaves to the toolkit's (other codings, colour spaces).
// Throws LeadError (Unreadable) when the header cannot be right.
std::optional<vips::VImage> ReadBitmap(const QString& file, QString* damage);

}  // namespace imaging
