#include "imaging/GifFrame.h"

#include <QFile>
#include <algorithm>
#include <array>
#include <vector>

#include "imaging/CLead.h"
#include "imaging/ImagingConstants.h"

using vips::VImage;

namespace imaging {
namespace {

// Reads the file's bytes in order, sub-block by sub-block.
class Bytes {
public:
    explicit Bytes(QByteArray data) : data_(std::move(data)) {}
    bool Has(qsizetype count) const { return at_ + count <= data_.size(); }
    quint8 U8() { return Has(1) ? quint8(data_[at_++]) : (ended_ = true, 0); }
    quint16 U16() {
        const quint16 low = U8();
        return quint16(low | (U8() << 8));
    }
    void Skip(qsizetype count) {
        if (!Has(count)) ended_ = true;
        at_ = std::min(at_ + count, data_.size());
    }
    // Skips a chain of sub-blocks up to its terminator.
    void SkipBlocks() {
        for (quint8 size = U8(); size != 0 && !ended_; size = U8()) Skip(size);
    }
    bool ended() const { return ended_; }
    const uchar* At() const { return reinterpret_cast<const uchar*>(data_.constData()) + at_; }

private:
    QByteArray data_;
    qsizetype at_ = 0;
    bool ended_ = false;
};

using Palette = std::array<std::array<uchar, 3>, 256>;

void ReadPalette(Bytes& in, int count, Palette* palette) {
    for (int i = 0; i < count; ++i) {
        for (int c = 0; c < 3; ++c) (*palette)[i][c] = in.U8();
    }
}

// Decodes the LZW stream of a frame into indices, in the frame's storage order; returns how
// many indices it produced and, when it stopped early, why.
qint64 DecodeLzw(Bytes& in, int minimumCodeSize, uchar* out, qint64 wanted, std::string* why) {
    constexpr int kMaxCodes = 4096;
    const int clear = 1 << minimumCodeSize;
    const int end = clear + 1;
    std::vector<quint16> prefix(kMaxCodes);
    std::vector<uchar> suffix(kMaxCodes);
    std::vector<uchar> stack(kMaxCodes + 1);
    int codeSize = minimumCodeSize + 1;
    int next = clear + 2;
    int previous = -1;
    uchar first = 0;
    quint32 bits = 0;
    int bitCount = 0;
    qint64 written = 0;
    for (int i = 0; i < clear; ++i) suffix[i] = uchar(i);
    quint8 blockLeft = in.U8();
    for (;;) {
        while (bitCount < codeSize) {
            if (blockLeft == 0) {
                *why = written < wanted ? "the image data ends early" : "";
                return written;
            }
            bits |= quint32(in.U8()) << bitCount;
            bitCount += 8;
            if (--blockLeft == 0) blockLeft = in.U8();
            if (in.ended()) {
                *why = "the file ends inside the image data";
                return written;
            }
        }
        const int code = int(bits & ((1u << codeSize) - 1));
        bits >>= codeSize;
        bitCount -= codeSize;
        if (code == clear) {
            codeSize = minimumCodeSize + 1;
            next = clear + 2;
            previous = -1;
            continue;
        }
        if (code == end) {
            while (blockLeft != 0 && !in.ended()) {  // the rest of the chain
                in.Skip(blockLeft);
                blockLeft = in.U8();
            }
            if (written < wanted) *why = "the image data ends early";
            return written;
        }
        int sp = 0;
        int current = code;
        if (previous < 0) {
            if (code >= clear) {
                *why = "the image data does not decode";
                return written;
            }
            first = uchar(code);
            if (written < wanted) out[written++] = first;
            previous = code;
            continue;
        }
        if (code > next || (code == next && next >= kMaxCodes)) {
            *why = "the image data does not decode";
            return written;
        }
        if (code == next) {
            stack[sp++] = first;
            current = previous;
        }
        while (current >= clear) {
            stack[sp++] = suffix[current];
            current = prefix[current];
        }
        first = uchar(current);
        stack[sp++] = first;
        while (sp > 0 && written < wanted) out[written++] = stack[--sp];
        if (next < kMaxCodes) {
            prefix[next] = quint16(previous);
            suffix[next] = first;
            ++next;
            if (next == (1 << codeSize) && codeSize < 12) ++codeSize;
        }
        previous = code;
    }
}

}  // namespace

VImage DecodeGifFrame(const QString& file, bool tolerant, QString* damage) {
    damage->clear();
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) {
        throw LeadError("cannot read the file", LeadError::Kind::Unreadable);
    }
    Bytes bytes(in.readAll());
    bytes.Skip(6);
    int width = bytes.U16();
    int height = bytes.U16();
    const quint8 flags = bytes.U8();
    bytes.Skip(2);  // background colour, aspect
    if (bytes.ended() || width == 0 || height == 0 || width > kMaxImageSide * 8 ||
        height > kMaxImageSide * 8) {
        throw LeadError("the screen descriptor is damaged", LeadError::Kind::Unreadable);
    }
    Palette global{};
    if (flags & 0x80) ReadPalette(bytes, 2 << (flags & 7), &global);
    int transparent = -1;
    for (;;) {
        const quint8 introducer = bytes.U8();
        if (bytes.ended() || introducer == 0x3B) {
            throw LeadError("the file holds no image", LeadError::Kind::Unreadable);
        }
        if (introducer == 0x21) {  // an extension
            const quint8 label = bytes.U8();
            if (label == 0xF9 && bytes.Has(6)) {  // graphic control: the transparent index
                const uchar* p = bytes.At();
                if (p[0] == 4 && (p[1] & 1)) transparent = p[4];
            }
            bytes.SkipBlocks();
            continue;
        }
        if (introducer != 0x2C) {
            throw LeadError("the file's blocks are damaged", LeadError::Kind::Unreadable);
        }
        break;
    }
    const int left = bytes.U16();
    const int top = bytes.U16();
    const int frameWidth = bytes.U16();
    const int frameHeight = bytes.U16();
    const quint8 frameFlags = bytes.U8();
    Palette palette = global;
    if (frameFlags & 0x80) ReadPalette(bytes, 2 << (frameFlags & 7), &palette);
    const int minimumCodeSize = bytes.U8();
    if (bytes.ended() || minimumCodeSize < 1 || minimumCodeSize > 11) {
        throw LeadError("the image descriptor is damaged", LeadError::Kind::Unreadable);
    }
    const bool interlaced = (frameFlags & 0x40) != 0;
    // A frame that reaches past the logical screen enlarges it, as the library's reader
    // (and so the size the import checked) has it.
    if (frameWidth == 0 || frameHeight == 0 || left + frameWidth > kMaxImageSide * 8 ||
        top + frameHeight > kMaxImageSide * 8) {
        throw LeadError("the image descriptor is damaged", LeadError::Kind::Unreadable);
    }
    width = std::max(width, left + frameWidth);
    height = std::max(height, top + frameHeight);
    // The screen, one byte a pixel, owned by the library image made from it. A frame that
    // fills the screen in row order is decoded straight into it.
    const size_t screenSize = size_t(width) * size_t(height);
    auto* screen = static_cast<uchar*>(g_try_malloc(screenSize));
    if (!screen) throw LeadError("out of memory for a GIF", LeadError::Kind::OutOfMemory);
    const bool direct =
        left == 0 && top == 0 && frameWidth == width && frameHeight == height && !interlaced;
    std::vector<uchar> indices(direct ? 0 : size_t(frameWidth) * size_t(frameHeight));
    uchar* frame = direct ? screen : indices.data();
    std::string why;
    const qint64 decoded =
        DecodeLzw(bytes, minimumCodeSize, frame, qint64(frameWidth) * frameHeight, &why);
    if (!why.empty() && (!tolerant || decoded == 0)) {
        g_free(screen);
        throw LeadError(why, LeadError::Kind::Unreadable);
    }
    *damage = QString::fromStdString(why);
    // Black (outside the frame, not decoded, transparent) needs a colour of the table: the
    // transparent index, else one the frame does not use.
    std::array<bool, 256> used{};
    for (qint64 i = 0; i < decoded; ++i) used[frame[i]] = true;
    int black = transparent;
    for (int i = 255; black < 0 && i >= 0; --i) {
        if (!used[size_t(i)]) black = i;
    }
    if (black < 0) black = 0;  // every index used and none transparent: rare enough
    Palette colours = palette;
    colours[size_t(black)] = {0, 0, 0};
    if (direct) {
        std::fill(screen + decoded, screen + screenSize, uchar(black));
    } else {
        std::fill(screen, screen + screenSize, uchar(black));
        // Interlaced frames store rows 0, 8, 16, ..., then 4, 12, ..., then 2, 6, ..., then
        // 1, 3, ...
        const int starts[] = {0, 4, 2, 1};
        const int steps[] = {8, 8, 4, 2};
        qint64 from = 0;
        for (int pass = 0; pass < (interlaced ? 4 : 1); ++pass) {
            for (int y = interlaced ? starts[pass] : 0; y < frameHeight;
                 y += interlaced ? steps[pass] : 1, from += frameWidth) {
                if (top + y >= height) continue;
                const int count = std::max(0, std::min(frameWidth, width - left));
                uchar* to = screen + size_t(top + y) * width + left;
                for (int x = 0; x < count && from + x < decoded; ++x) to[x] = indices[from + x];
            }
        }
    }
    indices = {};
    VipsImage* pixels =
        vips_image_new_from_memory(screen, screenSize, width, height, 1, VIPS_FORMAT_UCHAR);
    if (!pixels) {
        g_free(screen);
        throw LeadError("out of memory for a GIF", LeadError::Kind::OutOfMemory);
    }
    g_signal_connect(pixels, "postclose", G_CALLBACK(+[](VipsImage*, void* data) { g_free(data); }),
                     screen);
    std::array<uchar, 256 * 3> table{};
    for (int i = 0; i < 256; ++i) {
        for (int c = 0; c < 3; ++c) table[size_t(i * 3 + c)] = colours[size_t(i)][size_t(c)];
    }
    VipsImage* lut =
        vips_image_new_from_memory_copy(table.data(), table.size(), 256, 1, 3, VIPS_FORMAT_UCHAR);
    const VImage screenImage(pixels);
    if (!lut) throw LeadError("out of memory for a GIF", LeadError::Kind::OutOfMemory);
    return screenImage.maplut(VImage(lut))
        .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
}

}  // namespace imaging
