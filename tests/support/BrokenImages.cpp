#include "tests/support/BrokenImages.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>

#include "tests/support/TestImages.h"

namespace testimages {
namespace {

QByteArray GoodJpeg(const vips::VImage& image, const QString& path) {
    WriteJpeg(image, path);
    return ReadBytes(path);
}

// The offset just past the marker's segment (its two length bytes count themselves).
qsizetype SegmentEnd(const QByteArray& bytes, qsizetype marker) {
    return marker + 2 + (quint8(bytes[marker + 2]) << 8 | quint8(bytes[marker + 3]));
}

}  // namespace

void WriteUndecodableJpeg(const vips::VImage& image, const QString& path) {
    QByteArray bytes = GoodJpeg(image, path);
    const qsizetype frame = bytes.indexOf("\xFF\xC0");
    ASSERT_GT(frame, 0) << "a baseline frame";
    // Frame: marker, length, precision, height, width, component count, then per component
    // its id, sampling and quantization table.
    const int components = quint8(bytes[frame + 9]);
    for (int c = 0; c < components; ++c) bytes[frame + 10 + 3 * c + 2] = 3;
    WriteBytes(path, bytes);
}

void WriteDamagedJpeg(const vips::VImage& image, const QString& path) {
    QByteArray bytes = GoodJpeg(image, path);
    const qsizetype scan = bytes.indexOf("\xFF\xDA");
    ASSERT_GT(scan, 0);
    const qsizetype start = SegmentEnd(bytes, scan);
    const qsizetype end = bytes.size() - 2;  // the end marker stays
    QRandomGenerator random(7);
    for (qsizetype i = start + (end - start) / 3; i < end - (end - start) / 3; ++i) {
        bytes[i] = char(random.bounded(256));
    }
    WriteBytes(path, bytes);
}

}  // namespace testimages
