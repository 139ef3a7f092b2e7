#include "imaging/GifFrame.h"

#include <QFile>
#include <algorithm>
#include <array>
#include <memory>
#include <vector>

#include "imaging/CLead.h"
#include "imaging/DecodedRows.h"
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

// The frame's indices in storage order, each row allocated when the data reaches it.
class FrameRows {
public:
    FrameRows(int width, int height) : width_(width), rows_(height, size_t(width)) {}
    void Put(qint64 at, uchar index) {
        if (at % width_ == 0) row_ = rows_.Row(int(at / width_));
        row_[at % width_] = index;
    }
    const DecodedRows<>& rows() const { return rows_; }

private:
    int width_;
    DecodedRows<> rows_;
    uchar* row_ = nullptr;
};

// Decodes the LZW stream of a frame into its rows, in storage order; returns how many indices
// it produced and, when it stopped early, why.
qint64 DecodeLzw(Bytes& in, int minimumCodeSize, FrameRows* out, qint64 wanted, std::string* why) {
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
            if (written < wanted) out->Put(written++, first);
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
        while (sp > 0 && written < wanted) out->Put(written++, stack[--sp]);
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
    // A screen of no size takes its frame's, as the library's reader has it.
    if (bytes.ended() || width > kMaxImageSide * 8 || height > kMaxImageSide * 8) {
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
    auto palette = std::make_shared<Palette>(global);
    if (frameFlags & 0x80) ReadPalette(bytes, 2 << (frameFlags & 7), palette.get());
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
    // The frame's indices, one byte a pixel in the rows the data reaches; the screen is painted
    // from them as the pipeline asks for it.
    auto frame = std::make_shared<FrameRows>(frameWidth, frameHeight);
    std::string why;
    const qint64 decoded =
        DecodeLzw(bytes, minimumCodeSize, frame.get(), qint64(frameWidth) * frameHeight, &why);
    if (!why.empty() && (!tolerant || decoded == 0)) {
        throw LeadError(why, LeadError::Kind::Unreadable);
    }
    *damage = QString::fromStdString(why);
    // Interlaced frames store rows 0, 8, 16, ..., then 4, 12, ..., then 2, 6, ..., then 1, 3,
    // ...: the frame row y is stored as row storedRow(y).
    const int pass1 = (frameHeight + 7) / 8;
    const int pass2 = pass1 + (frameHeight + 3) / 8;
    const int pass3 = pass2 + (frameHeight + 1) / 4;
    const auto storedRow = [=](int y) {
        if (!interlaced) return y;
        if (y % 8 == 0) return y / 8;
        if (y % 8 == 4) return pass1 + y / 8;
        if (y % 4 == 2) return pass2 + y / 4;
        return pass3 + y / 2;
    };
    // Black: the screen outside the frame, what was not decoded, the transparent index.
    return PaintedImage(
        width, height, 3, VIPS_INTERPRETATION_sRGB, [=](int y, int from, int count, uchar* out) {
            std::fill_n(out, size_t(count) * 3, uchar(0));
            if (y < top || y >= top + frameHeight) return;
            const int stored = storedRow(y - top);
            const uchar* row = frame->rows().Find(stored);
            if (!row) return;
            const qint64 inRow =
                std::min<qint64>(frameWidth, decoded - qint64(stored) * frameWidth);
            const int first = std::max(from, left);
            const int last = int(std::min<qint64>(from + count, left + inRow));
            for (int x = first; x < last; ++x) {
                const int index = row[x - left];
                if (index != transparent) {
                    std::copy_n((*palette)[size_t(index)].data(), 3, out + size_t(x - from) * 3);
                }
            }
        });
}

}  // namespace imaging
