// JPEG: strictly through the library's loader, which libjpeg scales by 1/2, 1/4 or 1/8 while
// it decodes; tolerantly through libjpeg itself, which goes on where the loader stops: the
// loader gives up after a hundred of the decoder's warnings, though a camera file with broken
// restart markers can have thousands and yet decode nearly whole.
#include <cstdio>
// After cstdio, which it needs.
#include <jpeglib.h>
// After jpeglib.h, which it needs.
#include <jerror.h>

#include <QFile>
#include <algorithm>
#include <csetjmp>
#include <memory>

#include "imaging/ImagingConstants.h"
#include "imaging/LeadError.h"
#include "imaging/readers/DecodedRows.h"
#include "imaging/readers/Reader.h"

using vips::VImage;
using namespace imaging;

namespace {

struct Errors {
    jpeg_error_mgr manager;  // first: libjpeg casts the pointer back
    std::jmp_buf jump;
    std::string words;       // the first warning that cost pixels, or the error
    bool inHeader = true;    // before the first scan
    bool dataEnded = false;  // the file ended before the decoder had read it all
    long losses = 0;         // warnings that cost pixels
};

// The decoder's words go to the log as the library's own do (shown with --verbose), the
// first few only: a damaged file can have thousands.
constexpr long kLoggedWarnings = 20;

void OnError(j_common_ptr info) {
    auto* errors = reinterpret_cast<Errors*>(info->err);
    char text[JMSG_LENGTH_MAX];
    info->err->format_message(info, text);
    g_warning("%s", text);
    if (errors->words.empty()) errors->words = text;
    std::longjmp(errors->jump, 1);
}

// Warnings (level -1) are counted; the decoder goes on regardless. Bytes between the header's
// segments cost no pixel: libjpeg passes over them and the picture is whole.
void OnMessage(j_common_ptr info, int level) {
    if (level >= 0) return;
    auto* errors = reinterpret_cast<Errors*>(info->err);
    const int code = info->err->msg_code;
    if (code == JWRN_JPEG_EOF) errors->dataEnded = true;
    const bool loses = !(errors->inHeader && code == JWRN_EXTRANEOUS_DATA);
    if (info->err->num_warnings < kLoggedWarnings || (loses && errors->words.empty())) {
        char text[JMSG_LENGTH_MAX];
        info->err->format_message(info, text);
        if (info->err->num_warnings < kLoggedWarnings) g_warning("%s", text);
        if (loses && errors->words.empty()) errors->words = text;
    }
    ++info->err->num_warnings;
    if (loses) ++errors->losses;
}

struct Closer {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// What the decoding fills; it lives outside the frame a jump out of libjpeg skips.
struct Picture {
    int width = 0;
    int height = 0;
    int bands = 0;
    bool inverted = false;  // Adobe CMYK stores ink inverted
    // The rows the decoder gave, allocated as it gives them.
    std::shared_ptr<DecodedRows<JSAMPLE>> rows;
    QByteArray profile;
    bool headerRead = false;
};

// Once a file in one scan has ended, libjpeg goes on giving rows from no data at all (a
// 100-byte file would be given all 10,000 rows it claims). It decodes at most a row of blocks
// ahead of the rows it gives, 32 rows high at the most: the rows past the end of the data that
// may still hold some of it.
constexpr JDIMENSION kRowsPastTheEnd = 64;

void ChooseOutput(jpeg_decompress_struct* info, const ReadRequest& request, Picture* picture) {
    info->scale_num = 1;
    info->scale_denom = unsigned(ReductionFor(int(info->image_width), int(info->image_height),
                                              request.minWidth, request.minHeight));
    switch (info->jpeg_color_space) {
        case JCS_GRAYSCALE:
            info->out_color_space = JCS_GRAYSCALE;
            break;
        case JCS_CMYK:
        case JCS_YCCK:
            info->out_color_space = JCS_CMYK;
            picture->inverted = info->saw_Adobe_marker;
            break;
        default:
            info->out_color_space = JCS_RGB;
            break;
    }
}

bool Decode(jpeg_decompress_struct* info, Errors* errors, const ReadRequest& request,
            Picture* picture) {
    if (setjmp(errors->jump)) return false;
    jpeg_save_markers(info, JPEG_APP0 + 2, 0xFFFF);
    jpeg_read_header(info, TRUE);
    errors->inHeader = false;
    picture->headerRead = true;
    JOCTET* icc = nullptr;
    unsigned int iccLength = 0;
    if (jpeg_read_icc_profile(info, &icc, &iccLength) && icc) {
        picture->profile = QByteArray(reinterpret_cast<const char*>(icc), qsizetype(iccLength));
        std::free(icc);
    }
    ChooseOutput(info, request, picture);
    jpeg_start_decompress(info);
    picture->width = int(info->output_width);
    picture->height = int(info->output_height);
    picture->bands = info->output_components;
    picture->rows = std::make_shared<DecodedRows<JSAMPLE>>(
        picture->height, size_t(picture->width) * size_t(picture->bands));
    // A file of several scans is read whole before the first row: every row is then data.
    const bool oneScan = !jpeg_has_multiple_scans(info);
    JDIMENSION last = info->output_height;
    while (info->output_scanline < last) {
        JSAMPROW row = picture->rows->Row(int(info->output_scanline));
        jpeg_read_scanlines(info, &row, 1);
        if (oneScan && errors->dataEnded && last == info->output_height) {
            last = std::min(last, info->output_scanline + kRowsPastTheEnd);
        }
    }
    if (last < info->output_height) return false;  // the rest are black
    jpeg_finish_decompress(info);
    return true;
}

// Rows the decoder did not give are black: no light, or all of the black ink.
VImage Painted(const Picture& picture) {
    const int bands = picture.bands;
    const VipsInterpretation interpretation = bands == 1   ? VIPS_INTERPRETATION_B_W
                                              : bands == 4 ? VIPS_INTERPRETATION_CMYK
                                                           : VIPS_INTERPRETATION_sRGB;
    const auto paint = [rows = picture.rows, bands, inverted = picture.inverted](
                           int y, int left, int count, uchar* out) {
        const size_t samples = size_t(count) * size_t(bands);
        const JSAMPLE* row = rows->Find(y);
        if (!row) {
            std::fill_n(out, samples, uchar(0));
            if (bands == 4) {
                for (size_t i = 3; i < samples; i += 4) out[i] = 255;
            }
            return;
        }
        const JSAMPLE* from = row + size_t(left) * size_t(bands);
        for (size_t i = 0; i < samples; ++i) out[i] = inverted ? uchar(255 - from[i]) : from[i];
    };
    return WithProfile(PaintedImage(picture.width, picture.height, bands, interpretation, paint),
                       picture.profile);
}

// Decoded at once, at the reduction asked for: rows the decoder could not reach are black, and
// so are the rows of a file in one scan well past the end of its data.
ReadPicture ReadTolerantly(const ReadRequest& request) {
    std::unique_ptr<std::FILE, Closer> in(
        std::fopen(QFile::encodeName(request.file).constData(), "rb"));
    if (!in) throw LeadError("cannot read the file", LeadError::Kind::Unreadable);
    jpeg_decompress_struct info{};
    Errors errors{};
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = OnError;
    errors.manager.emit_message = OnMessage;
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, in.get());
    auto picture = std::make_unique<Picture>();
    bool complete = false;
    try {
        complete = Decode(&info, &errors, request, picture.get());
    } catch (...) {  // a row that could not be allocated
        jpeg_destroy_decompress(&info);
        throw;
    }
    jpeg_destroy_decompress(&info);
    if (!picture->headerRead || !picture->rows || picture->width == 0 || picture->height == 0) {
        throw LeadError(errors.words.empty() ? "the JPEG cannot be decoded" : errors.words,
                        LeadError::Kind::Unreadable);
    }
    const bool lost = !complete || errors.losses > 0;
    return {Painted(*picture), lost ? QString::fromStdString(errors.words) : QString(), true};
}

}  // namespace

ReadPicture ReadJpeg(const ReadRequest& request) {
    // A file decoded in several passes keeps every coefficient of the picture, whatever the
    // scale of the decode: one that would take more than the budget is not read at all.
    if (request.sniffed.coefficientBytes > kMaxCoefficientBytes) {
        throw LeadError(QStringLiteral("decoding it would hold %1 MB of coefficients, more than "
                                       "the %2 MB allowed")
                            .arg(request.sniffed.coefficientBytes >> 20)
                            .arg(kMaxCoefficientBytes >> 20)
                            .toStdString(),
                        LeadError::Kind::Unreadable);
    }
    if (request.tolerant && !request.headerOnly) return ReadTolerantly(request);
    const QByteArray name = QFile::encodeName(request.file);
    const VImage header = VImage::jpegload(name.constData(), LoadOptions(request));
    const int shrink =
        ReductionFor(header.width(), header.height(), request.minWidth, request.minHeight);
    if (shrink == 1) return {header, {}, false};
    return {
        VImage::jpegload(name.constData(), LoadOptions(request)->set("shrink", shrink)), {}, false};
}
