// PNG: through the library's loader, but for an interlaced picture that is to be made smaller
// or read past damage. Such a picture is stored in seven passes, and the first ones together
// are the picture at 1/8, 1/4 or 1/2 of its size; the library's loader holds a whole interlaced
// picture in memory (800 MB for a 10,000 x 10,000 16-bit one, 51 MB through this reader), and
// gives up at the first error. This reader keeps only the passes a reduction needs, 8 bits a
// sample, and still reads every pass so that damage anywhere in the file is found.
#include <png.h>

#include <QFile>
#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <memory>
#include <vector>

#include "imaging/LeadError.h"
#include "imaging/readers/DecodedRows.h"
#include "imaging/readers/Reader.h"

using vips::VImage;

namespace {

// The state the decoder's callbacks reach; the jump back lands in Read's frame.
struct Reading {
    std::jmp_buf jump;
    std::string words;  // the decoder's first complaint
};

void OnError(png_structp png, png_const_charp message) {
    auto* reading = static_cast<Reading*>(png_get_error_ptr(png));
    if (reading->words.empty()) reading->words = message;
    std::longjmp(reading->jump, 1);
}

// Warnings (a profile the decoder finds odd, a damaged ancillary chunk) leave the pixels
// sound, as the library's own reader treats them.
void OnWarning(png_structp, png_const_charp) {}

struct Closer {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// Passes 1 to 1, 3, 5 or 7 make the picture at 1/8, 1/4, 1/2 or full size.
int PassesFor(int factor) {
    return factor == 8 ? 1 : factor == 4 ? 3 : factor == 2 ? 5 : 7;
}

// Where the decoding's results go; it lives outside the frame a jump out of libpng skips.
struct Picture {
    int width = 0;  // reduced
    int height = 0;
    int channels = 0;
    int factor = 1;
    // The reduced picture's rows, allocated as the passes reach them: a file that ends early
    // costs the rows its data reached.
    std::shared_ptr<DecodedRows<png_byte>> pixels;
    std::vector<png_byte> row;
    QByteArray profile;
};

// Decodes every pass, keeping the first ones. False when the decoder stopped at an error.
bool Read(png_structp png, png_infop info, int factor, Picture* picture, Reading* reading) {
    if (setjmp(reading->jump)) return false;
    png_read_info(png, info);
    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    png_charp name = nullptr;
    int compression = 0;
    png_bytep data = nullptr;
    png_uint_32 length = 0;
    if (png_get_iCCP(png, info, &name, &compression, &data, &length) != 0 && length > 0) {
        picture->profile = QByteArray(reinterpret_cast<const char*>(data), qsizetype(length));
    }
    png_set_expand(png);
    png_set_strip_16(png);
    png_read_update_info(png, info);
    picture->channels = png_get_channels(png, info);
    picture->factor = factor;
    picture->width = int((width + factor - 1) / factor);
    picture->height = int((height + factor - 1) / factor);
    picture->pixels = std::make_shared<DecodedRows<png_byte>>(
        picture->height, size_t(picture->width) * size_t(picture->channels));
    picture->row.assign(png_get_rowbytes(png, info), 0);
    const int kept = PassesFor(factor);
    for (int pass = 0; pass < 7; ++pass) {
        const png_uint_32 columns = PNG_PASS_COLS(width, pass);
        const png_uint_32 rows = PNG_PASS_ROWS(height, pass);
        if (columns == 0 || rows == 0) continue;
        for (png_uint_32 y = 0; y < rows; ++y) {
            png_read_row(png, picture->row.data(), nullptr);
            if (pass >= kept) continue;  // read for its checks, not kept
            const png_uint_32 fullY = PNG_ROW_FROM_PASS_ROW(y, pass);
            png_byte* to = picture->pixels->Row(int(fullY / factor));
            for (png_uint_32 x = 0; x < columns; ++x) {
                const png_uint_32 fullX = PNG_COL_FROM_PASS_COL(x, pass);
                std::copy_n(picture->row.data() + size_t(x) * picture->channels, picture->channels,
                            to + size_t(fullX / factor) * picture->channels);
            }
        }
    }
    png_read_end(png, nullptr);
    return true;
}

// The passes of the picture at 1/factor: one to four bands, 8 bits a sample, with its embedded
// colour profile. Strict: an error of the decoder fails the read. Tolerant: what was read is
// kept, the rest is black, and the damage is the decoder's words.
ReadPicture ReadPasses(const ReadRequest& request, int factor) {
    std::unique_ptr<std::FILE, Closer> in(
        std::fopen(QFile::encodeName(request.file).constData(), "rb"));
    if (!in) throw LeadError("cannot read the file", LeadError::Kind::Unreadable);
    Reading reading;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &reading, OnError, OnWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        throw LeadError("out of memory for a PNG reader", LeadError::Kind::OutOfMemory);
    }
    png_init_io(png, in.get());
    auto picture = std::make_unique<Picture>();
    bool complete = false;
    try {
        complete = Read(png, info, factor, picture.get(), &reading);
    } catch (...) {  // a row that could not be allocated
        png_destroy_read_struct(&png, &info, nullptr);
        throw;
    }
    png_destroy_read_struct(&png, &info, nullptr);
    const bool started = picture->channels > 0 && picture->pixels;
    if ((!complete && !request.tolerant) || !started) {
        throw LeadError(reading.words.empty() ? "the PNG cannot be decoded" : reading.words,
                        LeadError::Kind::Unreadable);
    }
    // Rows no pass reached are black (and transparent, which is black once composed).
    VImage image =
        PaintedImage(picture->width, picture->height, picture->channels,
                     picture->channels <= 2 ? VIPS_INTERPRETATION_B_W : VIPS_INTERPRETATION_sRGB,
                     [pixels = picture->pixels, channels = size_t(picture->channels)](
                         int y, int left, int count, uchar* out) {
                         const png_byte* row = pixels->Find(y);
                         const size_t bytes = size_t(count) * channels;
                         if (row) {
                             std::copy_n(row + size_t(left) * channels, bytes, out);
                         } else {
                             std::fill_n(out, bytes, uchar(0));
                         }
                     });
    return {WithProfile(image, picture->profile),
            complete ? QString() : QString::fromStdString(reading.words), true};
}

}  // namespace

ReadPicture ReadPng(const ReadRequest& request) {
    const VImage header =
        VImage::pngload(QFile::encodeName(request.file).constData(), LoadOptions(request));
    const bool interlaced =
        header.get_typeof("interlaced") != 0 && header.get_int("interlaced") != 0;
    if (!interlaced || request.headerOnly) return {header, {}, false};
    // The reduced picture stays at least twice the size asked for: the passes are samples, not
    // averages, and the resampler after them smooths what they leave out.
    const int factor =
        ReductionFor(header.width(), header.height(), 2 * request.minWidth, 2 * request.minHeight);
    if (factor == 1 && !request.tolerant) return {header, {}, false};
    return ReadPasses(request, factor);
}
