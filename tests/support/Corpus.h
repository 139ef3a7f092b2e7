#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Real-world-like image files made at test time: the colour types and depths of each format
// the program accepts, and damaged variants of them (cut short, bytes overwritten, restart
// markers broken). Small pictures (48 x 32), so a test can run over all of them in seconds.
namespace corpus {

// A JPEG whose restart markers after the first few carry the wrong numbers, as a camera's
// damaged file does: the decoder warns ("found marker 0xd? instead of RSTn") and goes on.
// The JPEG must have been written with restart markers.
QByteArray BreakRestartMarkers(const QByteArray& jpeg);
// A baseline JPEG whose frame names a quantization table the file does not define: its header
// reads well (the import takes it in), its pixels cannot be decoded at all.
QByteArray Undecodable(const QByteArray& jpeg);
// The first fraction of the bytes (at least the first 8).
QByteArray CutAt(const QByteArray& bytes, double fraction);
// count bytes from at (a fraction of the size) replaced by value.
QByteArray Overwrite(const QByteArray& bytes, double at, int count, char value);

// A GIF written byte by byte: a screen of screenWidth x screenHeight with one frame of
// width x height at left, top, 16 colours (colour i is Colour16(i)), index (x * 7 + y * 3) % 16
// at frame pixel x, y; a transparent index and a local colour table as asked.
struct GifLayout {
    int screenWidth = 48;
    int screenHeight = 32;
    int left = 0;
    int top = 0;
    int width = 48;
    int height = 32;
    int transparent = -1;
    bool localTable = false;
};
QByteArray GifBytes(const GifLayout& layout);
// The sRGB colour of index i (0 to 15) of GifBytes' table: never black.
void Colour16(int index, int* red, int* green, int* blue);

struct File {
    QString name;
    QString path;
    bool damaged = false;  // made damaged (cut or overwritten); false for a sound file
    bool refused = false;  // a sound file the program refuses (a 12-bit JPEG)
};

// Writes the corpus into dir and lists its files.
QList<File> Write(const QString& dir);

}  // namespace corpus
