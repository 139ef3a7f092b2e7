#pragma once

#include <QString>
#include <vips/vips8>

// JPEG files that go wrong at conversion rather than at import, made from a good one at test
// time. The import examines only the header, so both are taken into the list.
namespace testimages {

// The frame names a quantization table that the file does not define: the header reads well,
// the pixels cannot be decoded at all.
void WriteUndecodableJpeg(const vips::VImage& image, const QString& path);
// Part of the compressed picture data is overwritten: it decodes, with warnings.
void WriteDamagedJpeg(const vips::VImage& image, const QString& path);

}  // namespace testimages
