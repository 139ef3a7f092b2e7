// GIF: the first frame, as the reference decoders show it, through the library's loader. The
// loader draws a frame on its logical screen, and a screen may be far larger than its frame (a
// 55 KB file with a 1000 x 1000 frame on a 30000 x 30000 screen): the loader is given the
// file's bytes up to the end of the first frame, with the screen made the frame's size and the
// frame moved to its corner. The import's size check reads the same header, so the two agree.
#include <QFile>
#include <algorithm>

#include "imaging/LeadError.h"
#include "imaging/readers/Reader.h"

using vips::VImage;

namespace {

constexpr qint64 kScreenDescriptor = 6;

// Reads the file's blocks in order; a read past the end sets ended.
class Blocks {
public:
    explicit Blocks(QFile& file) : file_(file) {}
    int Byte() {
        char c = 0;
        if (!file_.getChar(&c)) ended_ = true;
        return uchar(c);
    }
    void Skip(qint64 count) {
        if (file_.skip(count) != count) ended_ = true;
    }
    // A colour table of the size its flags give, when they say there is one.
    void SkipTable(int flags) {
        if (flags & 0x80) Skip(3 << ((flags & 0x07) + 1));
    }
    // A chain of sub-blocks up to its terminator.
    void SkipSubBlocks() {
        for (int size = Byte(); size != 0 && !ended_; size = Byte()) Skip(size);
    }
    qint64 At() const { return file_.pos(); }
    bool ended() const { return ended_; }

private:
    QFile& file_;
    bool ended_ = false;
};

struct FirstFrame {
    qint64 descriptor = 0;  // where its image descriptor starts
    qint64 end = 0;         // where its data ends
    bool cut = false;       // the file ends inside the frame
};

FirstFrame FindFirstFrame(QFile& file) {
    Blocks in(file);
    in.Skip(kScreenDescriptor + 4);
    in.SkipTable(in.Byte());
    in.Skip(2);  // background colour, aspect
    while (!in.ended()) {
        const int introducer = in.Byte();
        if (introducer == 0x21) {  // an extension: its label, then its sub-blocks
            in.Byte();
            in.SkipSubBlocks();
        } else if (introducer == 0x2C) {
            FirstFrame frame;
            frame.descriptor = in.At() - 1;
            in.Skip(8);
            in.SkipTable(in.Byte());
            in.Byte();  // the minimum code size
            in.SkipSubBlocks();
            frame.cut = in.ended();
            frame.end = frame.cut ? file.size() : in.At();
            return frame;
        } else {
            break;
        }
    }
    throw LeadError("the file holds no picture", LeadError::Kind::Unreadable);
}

int FreeBuffer(void* data, void*) {
    g_free(data);
    return 0;
}

void Put16(char* at, int value) {
    at[0] = char(value & 0xFF);
    at[1] = char((value >> 8) & 0xFF);
}

}  // namespace

ReadPicture ReadGif(const ReadRequest& request) {
    QFile file(request.file);
    if (!file.open(QIODevice::ReadOnly)) {
        throw LeadError("cannot read the file", LeadError::Kind::Unreadable);
    }
    const FirstFrame frame = FindFirstFrame(file);
    // The bytes up to the end of the frame and a trailer, in a buffer the loader's blob owns.
    auto* bytes = static_cast<char*>(g_malloc(size_t(frame.end) + 1));
    file.seek(0);
    if (file.read(bytes, frame.end) != frame.end || frame.descriptor + 10 > frame.end) {
        g_free(bytes);
        throw LeadError("the file holds no picture", LeadError::Kind::Unreadable);
    }
    bytes[frame.end] = ';';
    // The screen is the frame: its size, and the frame at its corner.
    std::copy_n(bytes + frame.descriptor + 5, 4, bytes + kScreenDescriptor);
    Put16(bytes + frame.descriptor + 1, 0);
    Put16(bytes + frame.descriptor + 3, 0);
    VipsBlob* blob = vips_blob_new(FreeBuffer, bytes, size_t(frame.end) + 1);
    VImage image;
    try {
        image = VImage::gifload_buffer(blob, LoadOptions(request));
    } catch (...) {
        vips_area_unref(VIPS_AREA(blob));
        throw;
    }
    vips_area_unref(VIPS_AREA(blob));
    return {image, frame.cut ? QStringLiteral("the file ends before its pixels do") : QString(),
            false};
}
