#include "imaging/JpegTolerant.h"

#include <cstdio>
// After cstdio, which it needs.
#include <jpeglib.h>

#include <QFile>
#include <csetjmp>
#include <memory>
#include <vector>

#include "imaging/CLead.h"

using vips::VImage;

namespace imaging {
namespace {

struct Errors {
    jpeg_error_mgr manager;  // first: libjpeg casts the pointer back
    std::jmp_buf jump;
    std::string words;  // the first warning, or the error that stopped the decoder
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

// Warnings (level -1) are counted and the first is kept; the decoder goes on regardless.
void OnMessage(j_common_ptr info, int level) {
    if (level >= 0) return;
    auto* errors = reinterpret_cast<Errors*>(info->err);
    if (errors->words.empty() || info->err->num_warnings < kLoggedWarnings) {
        char text[JMSG_LENGTH_MAX];
        info->err->format_message(info, text);
        if (info->err->num_warnings < kLoggedWarnings) g_warning("%s", text);
        if (errors->words.empty()) errors->words = text;
    }
    ++info->err->num_warnings;
}

struct Closer {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// Plain data the decoding fills; a jump out of libjpeg skips nothing that needs destroying.
struct Picture {
    int width = 0;
    int height = 0;
    int bands = 0;
    bool inverted = false;  // Adobe CMYK stores ink inverted
    std::vector<JSAMPLE> pixels;
    QByteArray profile;
    bool headerRead = false;
};

bool Decode(jpeg_decompress_struct* info, Errors* errors, int shrink, Picture* picture) {
    if (setjmp(errors->jump)) return false;
    jpeg_save_markers(info, JPEG_APP0 + 2, 0xFFFF);
    jpeg_read_header(info, TRUE);
    picture->headerRead = true;
    JOCTET* icc = nullptr;
    unsigned int iccLength = 0;
    if (jpeg_read_icc_profile(info, &icc, &iccLength) && icc) {
        picture->profile = QByteArray(reinterpret_cast<const char*>(icc), qsizetype(iccLength));
        std::free(icc);
    }
    info->scale_num = 1;
    info->scale_denom = unsigned(shrink);
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
    jpeg_start_decompress(info);
    picture->width = int(info->output_width);
    picture->height = int(info->output_height);
    picture->bands = info->output_components;
    const size_t stride = size_t(picture->width) * picture->bands;
    picture->pixels.assign(stride * picture->height, 0);
    while (info->output_scanline < info->output_height) {
        JSAMPROW row = picture->pixels.data() + stride * info->output_scanline;
        jpeg_read_scanlines(info, &row, 1);
    }
    jpeg_finish_decompress(info);
    return true;
}

}  // namespace

VImage DecodeJpegTolerantly(const QString& file, int shrink, QString* damage) {
    damage->clear();
    std::unique_ptr<std::FILE, Closer> in(std::fopen(QFile::encodeName(file).constData(), "rb"));
    if (!in) throw LeadError("cannot read the file", LeadError::Kind::Unreadable);
    jpeg_decompress_struct info{};
    Errors errors{};
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = OnError;
    errors.manager.emit_message = OnMessage;
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, in.get());
    auto picture = std::make_unique<Picture>();
    const bool complete = Decode(&info, &errors, shrink, picture.get());
    jpeg_destroy_decompress(&info);
    if (!picture->headerRead || picture->pixels.empty()) {
        throw LeadError(errors.words.empty() ? "the JPEG cannot be decoded" : errors.words,
                        LeadError::Kind::Unreadable);
    }
    if (!complete || errors.manager.num_warnings > 0) {
        *damage = QString::fromStdString(errors.words);
    }
    if (picture->inverted) {
        for (JSAMPLE& sample : picture->pixels) sample = JSAMPLE(255 - sample);
    }
    VipsImage* made = vips_image_new_from_memory_copy(
        picture->pixels.data(), picture->pixels.size(), picture->width, picture->height,
        picture->bands, VIPS_FORMAT_UCHAR);
    if (!made) throw LeadError("out of memory for a JPEG", LeadError::Kind::OutOfMemory);
    const VipsInterpretation interpretation = picture->bands == 1   ? VIPS_INTERPRETATION_B_W
                                              : picture->bands == 4 ? VIPS_INTERPRETATION_CMYK
                                                                    : VIPS_INTERPRETATION_sRGB;
    VImage image = VImage(made).copy(VImage::option()->set("interpretation", interpretation));
    if (!picture->profile.isEmpty()) {
        vips_image_set_blob_copy(image.get_image(), VIPS_META_ICC_NAME,
                                 picture->profile.constData(), size_t(picture->profile.size()));
    }
    return image;
}

}  // namespace imaging
