#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QRect>
#include <QString>
#include <QStringList>
#include <vips/vips8>

#include "tests/support/QtPrinters.h"

// Images made at test time: nothing is downloaded or committed.
namespace testimages {

// A solid sRGB image.
vips::VImage Solid(int width, int height, QColor colour);
// Left half one colour, right half another.
vips::VImage Halves(int width, int height, QColor left, QColor right);
// A photo-like sRGB image: smooth gradients with fine noise (compresses like a photograph).
vips::VImage PhotoLike(int width, int height, int seed = 1);
// A 1-pixel black and white checkerboard, one band.
vips::VImage Checkerboard(int width, int height);

void WriteJpeg(const vips::VImage& image, const QString& path, int quality = 90,
               int orientation = 1);
// The image encoded by the library's saver for suffix (".jpg", ".png", ...) with options.
QByteArray EncodedBytes(const vips::VImage& image, const char* suffix,
                        vips::VOption* options = nullptr);
// The image as a baseline JPEG without any metadata.
QByteArray JpegBytes(const vips::VImage& image, int quality = 90);
// A JPEG laid out as a camera writes it: SOI, an Exif block in big-endian order (as many
// cameras write it) with the orientation in IFD0 (none when 0) and thumbnailJpeg in IFD1 as a
// JPEG thumbnail (none when empty), then the picture, stored as given (not turned).
QByteArray CameraJpeg(const vips::VImage& picture, const QByteArray& thumbnailJpeg,
                      int orientation);

void WritePng(const vips::VImage& image, const QString& path, int bitDepth = 8);
void WriteTiff(const vips::VImage& image, const QString& path, int bitDepth = 8);
void WriteWebp(const vips::VImage& image, const QString& path, int orientation = 1);
// A HEIF file: compression "hevc" for HEIC, "av1" for AVIF. orientation, when not 1, goes
// into the file's Exif block only (the container's own transforms say nothing).
void WriteHeif(const vips::VImage& image, const QString& path, const char* compression,
               int orientation = 1);

// A Windows bitmap as the toolkit writes it: bits 1 (black and white), 4 (16 greys),
// 8 (256 greys) or 24.
void WriteBmp(const QImage& image, const QString& path, int bits = 24);

// The file header and an info header of headerSize bytes of a Windows bitmap whose pixels
// start at pixelOffset (after the headers and the colour table or masks) and take pixelBytes;
// one plane, no resolution, no colour count. What follows the headers is the caller's.
QByteArray BitmapHeaders(qint32 width, qint32 height, int bits, quint32 compression,
                         quint32 pixelOffset, quint32 pixelBytes, quint32 headerSize = 40);

// A PNG of a blank 1-bit image (fast even for 100 megapixels).
void WriteBlankPng(const QString& path, int width, int height);

void WriteBytes(const QString& path, const QByteArray& bytes);
QByteArray ReadBytes(const QString& path);

// The pixel at x, y of an encoded image (decoded by libvips, as sRGB).
QColor PixelAt(const QString& path, int x, int y);
QColor PixelAt(const vips::VImage& image, int x, int y);
// The middles of a rectangle's four edges, moved inwards by inset pixels (outwards when
// negative): where a picture's edge and the bar beside it are told apart.
QList<QPoint> EdgeMiddles(const QRect& rect, int inset);

// Runs a tool and returns its standard output; fails the test when it cannot run.
QString RunTool(const QString& program, const QStringList& arguments, int* exitCode = nullptr);

// A core application object for tests that wait through Qt's event machinery (processes,
// futures, the bus) without a display; made once, kept for the process.
void EnsureCoreApplication();

}  // namespace testimages
