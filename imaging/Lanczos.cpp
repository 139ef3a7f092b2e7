#include "imaging/Lanczos.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <numbers>
#include <vector>
#if defined(__x86_64__)
#include <immintrin.h>
#endif

using vips::VImage;

namespace {

// Weights are fixed point with this many fraction bits: 16-bit weights, 32-bit sums.
constexpr int kPrecision = 14;
constexpr int32_t kOne = 1 << kPrecision;
constexpr int32_t kHalf = kOne / 2;
// Source rows fetched per read beyond the ones the current output row needs.
constexpr int kStripRows = 32;

// Hand-written vector loops for x86 processors that have the instructions, chosen at run time.
#if defined(__GNUC__) && defined(__x86_64__)
#define VC_X86_VECTOR 1
#else
#define VC_X86_VECTOR 0
#endif

double Lanczos3(double x) {
    x = std::abs(x);
    if (x < 1e-9) return 1.0;
    if (x >= 3.0) return 0.0;
    const double pix = std::numbers::pi * x;
    return 3.0 * std::sin(pix) * std::sin(pix / 3.0) / (pix * pix);
}

// For each output position along one axis: the first source position it reads, how many, and
// their weights (stride apart, summing to exactly kOne so that flat colour stays flat). The
// stride is even and the unused weights are zero, so weights can be taken two at a time.
struct Taps {
    std::vector<int> first;
    std::vector<int> count;
    std::vector<int16_t> weights;
    int stride = 0;
};

// Pixel centres line up: output i covers source [i, i + 1) * in / out. Shrinking widens the
// kernel by the same ratio so it averages everything it passes over; at the edges the window
// is cut and its weights scaled back to a whole.
Taps MakeTaps(int inSize, int outSize) {
    const double ratio = double(inSize) / outSize;
    const double widen = std::max(ratio, 1.0);
    const double support = 3.0 * widen;
    Taps taps;
    taps.stride = int(std::ceil(support)) * 2 + 2;
    taps.first.resize(outSize);
    taps.count.resize(outSize);
    taps.weights.assign(size_t(outSize) * taps.stride, 0);
    std::vector<double> exact(taps.stride);
    for (int i = 0; i < outSize; ++i) {
        const double centre = (i + 0.5) * ratio;
        const int from = std::max(int(std::floor(centre - support + 0.5)), 0);
        const int to = std::min(int(std::floor(centre + support + 0.5)), inSize);
        const int count = std::clamp(to - from, 1, taps.stride);
        double sum = 0;
        for (int j = 0; j < count; ++j) {
            exact[j] = Lanczos3((from + j + 0.5 - centre) / widen);
            sum += exact[j];
        }
        int16_t* weights = &taps.weights[size_t(i) * taps.stride];
        int32_t total = 0;
        int largest = 0;
        for (int j = 0; j < count; ++j) {
            weights[j] = int16_t(std::lround(sum != 0 ? exact[j] / sum * kOne : j == 0 ? kOne : 0));
            total += weights[j];
            if (std::abs(weights[j]) > std::abs(weights[largest])) largest = j;
        }
        // Rounding leaves the sum a unit or two off; the largest weight takes the difference.
        weights[largest] = int16_t(weights[largest] + kOne - total);
        taps.first[i] = from;
        taps.count[i] = count;
    }
    return taps;
}

// A row of three-byte pixels copied out as four-byte ones, the last byte zero.
using SpreadLoop = void (*)(const uint8_t*, uint8_t*, int);

void SpreadPlain(const uint8_t* from, uint8_t* to, int width) {
    for (int x = 0; x < width; ++x, to += 4, from += 3) {
        to[0] = from[0];
        to[1] = from[1];
        to[2] = from[2];
        to[3] = 0;
    }
}

#if VC_X86_VECTOR
// Four pixels per step; a step reads sixteen bytes for twelve, so it stops short of the end.
__attribute__((target("ssse3"))) void SpreadPaired(const uint8_t* from, uint8_t* to, int width) {
    const __m128i spread = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    int x = 0;
    for (; x + 6 <= width; x += 4) {
        const __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 3 * x));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to + 4 * x), _mm_shuffle_epi8(in, spread));
    }
    SpreadPlain(from + 3 * x, to + 4 * x, width - x);
}
#endif

// Keeps the source rows that the current output row needs, reading ahead a strip at a time;
// a colour pixel is stored in four bytes, the last unused. Rows are asked for in increasing
// order, so a decoder reading in sequence is never sent back. Rows stay where they were read
// until the buffer is full; then the ones still needed move to its front, once per strip
// rather than once per output row.
class SourceRows {
public:
    SourceRows(const VImage& image, int windowRows, SpreadLoop spread)
        : region_(image.region()),
          spread_(spread),
          width_(image.width()),
          height_(image.height()),
          padded_(image.bands() == 3),
          rowBytes_(size_t(image.width()) * (padded_ ? 4 : 1)),
          capacity_(windowRows + kStripRows),
          buffer_(size_t(capacity_) * rowBytes_) {}

    const uint8_t* Row(int y) const { return buffer_.data() + size_t(y - base_) * rowBytes_; }

    // Holds rows [from, to) (to - from at most windowRows); from never decreases from one
    // call to the next.
    void Hold(int from, int to) {
        if (to <= end_) return;
        const int start = std::max(end_, from);  // the first row not read yet
        if (to - base_ > capacity_) {
            const int kept = std::max(end_ - from, 0);
            if (kept > 0) std::memmove(buffer_.data(), Row(from), size_t(kept) * rowBytes_);
            base_ = from;
        }
        const int fetchEnd = std::min(height_, base_ + capacity_);
        region_.prepare(0, start, width_, fetchEnd - start);
        for (int y = start; y < fetchEnd; ++y) {
            uint8_t* to = buffer_.data() + size_t(y - base_) * rowBytes_;
            const uint8_t* from = region_.addr(0, y);
            if (!padded_) {
                std::memcpy(to, from, rowBytes_);
                continue;
            }
            spread_(from, to, width_);
        }
        end_ = fetchEnd;
    }

private:
    vips::VRegion region_;
    SpreadLoop spread_;
    int width_;
    int height_;
    bool padded_;  // three bands held as four, so a pixel is one 32-bit word
    size_t rowBytes_;
    int capacity_;
    std::vector<uint8_t> buffer_;
    int base_ = 0;  // the row at the front of the buffer
    int end_ = 0;   // the rows read so far end here
};

// One row down: values [from, n) of the row, each from the same value in the window's rows.
// rows holds the window's rows, padded to an even count with a row of weight zero; sums is
// scratch space as long as the row.
void DownPlain(const uint8_t* const* rows, const int16_t* weights, int count, uint8_t* out,
               size_t from, size_t n, int32_t* sums) {
    std::fill(sums + from, sums + n, kHalf);
    for (int j = 0; j < count; j += 2) {
        const uint8_t* __restrict a = rows[j];
        const uint8_t* __restrict b = rows[j + 1];
        const int32_t wa = weights[j];
        const int32_t wb = weights[j + 1];
        for (size_t i = from; i < n; ++i) sums[i] += wa * a[i] + wb * b[i];
    }
    for (size_t i = from; i < n; ++i) {
        out[i] = uint8_t(std::clamp(sums[i] >> kPrecision, 0, 255));
    }
}

#if VC_X86_VECTOR
// The same, sixteen values at a time, the sums kept in registers across the whole window: the
// values of two rows are interleaved as 16-bit numbers and one multiply-add applies both
// rows' weights.
__attribute__((target("avx2"))) void DownPaired(const uint8_t* const* rows, const int16_t* weights,
                                                int count, uint8_t* out, size_t n, int32_t* sums) {
    const __m256i half = _mm256_set1_epi32(kHalf);
    size_t i = 0;
    for (; i + 16 <= n; i += 16) {
        __m256i low = half;
        __m256i high = half;
        for (int j = 0; j < count; j += 2) {
            int32_t both;
            std::memcpy(&both, weights + j, sizeof both);
            const __m256i pair = _mm256_set1_epi32(both);
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[j] + i));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[j + 1] + i));
            low = _mm256_add_epi32(
                low, _mm256_madd_epi16(_mm256_cvtepu8_epi16(_mm_unpacklo_epi8(a, b)), pair));
            high = _mm256_add_epi32(
                high, _mm256_madd_epi16(_mm256_cvtepu8_epi16(_mm_unpackhi_epi8(a, b)), pair));
        }
        low = _mm256_srai_epi32(low, kPrecision);
        high = _mm256_srai_epi32(high, kPrecision);
        // The packs work within 128-bit halves; the permute puts the values back in order.
        const __m256i words = _mm256_permute4x64_epi64(_mm256_packs_epi32(low, high), 0xD8);
        const __m128i bytes =
            _mm_packus_epi16(_mm256_castsi256_si128(words), _mm256_extracti128_si256(words, 1));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), bytes);
    }
    if (i < n) DownPlain(rows, weights, count, out, i, n, sums);
}
#endif

// One row across: each output pixel from its source pixels.
void AcrossColourPlain(const uint8_t* in, uint8_t* out, const Taps& taps, int outWidth) {
    for (int x = 0; x < outWidth; ++x) {
        const int16_t* weights = &taps.weights[size_t(x) * taps.stride];
        const uint8_t* p = in + size_t(taps.first[x]) * 4;
        int32_t sums[3] = {kHalf, kHalf, kHalf};
        for (int j = 0, count = taps.count[x]; j < count; ++j, p += 4) {
            for (int b = 0; b < 3; ++b) sums[b] += weights[j] * p[b];
        }
        for (int b = 0; b < 3; ++b) {
            out[size_t(x) * 3 + b] = uint8_t(std::clamp(sums[b] >> kPrecision, 0, 255));
        }
    }
}

#if VC_X86_VECTOR
// The same sums, two source pixels per step: their bands are paired up as 16-bit numbers and
// one multiply-add gives each band's two products summed. The step past an odd count reads
// the padding after the row with a zero weight.
__attribute__((target("ssse3"))) void AcrossColourPaired(const uint8_t* in, uint8_t* out,
                                                         const Taps& taps, int outWidth) {
    const __m128i pairUp = _mm_setr_epi8(0, -1, 4, -1, 1, -1, 5, -1, 2, -1, 6, -1, 3, -1, 7, -1);
    const __m128i half = _mm_set1_epi32(kHalf);
    for (int x = 0; x < outWidth; ++x) {
        const int16_t* weights = &taps.weights[size_t(x) * taps.stride];
        const uint8_t* p = in + size_t(taps.first[x]) * 4;
        __m128i sums = half;
        for (int j = 0, count = taps.count[x]; j < count; j += 2, p += 8) {
            int32_t both;
            std::memcpy(&both, weights + j, sizeof both);
            const __m128i pixels =
                _mm_shuffle_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)), pairUp);
            sums = _mm_add_epi32(sums, _mm_madd_epi16(pixels, _mm_set1_epi32(both)));
        }
        sums = _mm_srai_epi32(sums, kPrecision);
        // Saturating packs clamp to 0..255 on the way down to bytes.
        const __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(sums, sums), sums);
        const uint32_t pixel = uint32_t(_mm_cvtsi128_si32(bytes));
        out[size_t(x) * 3] = uint8_t(pixel);
        out[size_t(x) * 3 + 1] = uint8_t(pixel >> 8);
        out[size_t(x) * 3 + 2] = uint8_t(pixel >> 16);
    }
}
#endif

void AcrossGrey(const uint8_t* in, uint8_t* out, const Taps& taps, int outWidth) {
    for (int x = 0; x < outWidth; ++x) {
        const int16_t* weights = &taps.weights[size_t(x) * taps.stride];
        const uint8_t* p = in + taps.first[x];
        int32_t sum = kHalf;
        for (int j = 0, count = taps.count[x]; j < count; ++j) sum += weights[j] * p[j];
        out[x] = uint8_t(std::clamp(sum >> kPrecision, 0, 255));
    }
}

// The vector loops where the processor has them, else the plain ones.
struct Loops {
    void (*down)(const uint8_t* const*, const int16_t*, int, uint8_t*, size_t, int32_t*);
    void (*acrossColour)(const uint8_t*, uint8_t*, const Taps&, int);
    SpreadLoop spread;
};

void DownPlainWhole(const uint8_t* const* rows, const int16_t* weights, int count, uint8_t* out,
                    size_t n, int32_t* sums) {
    DownPlain(rows, weights, count, out, 0, n, sums);
}

Loops ChooseLoops(bool vectorLoops) {
    const Loops plain{DownPlainWhole, AcrossColourPlain, SpreadPlain};
    if (!vectorLoops) return plain;
#if VC_X86_VECTOR
    static const Loops chosen{
        __builtin_cpu_supports("avx2") ? DownPaired : DownPlainWhole,
        __builtin_cpu_supports("ssse3") ? AcrossColourPaired : AcrossColourPlain,
        __builtin_cpu_supports("ssse3") ? SpreadPaired : SpreadPlain};
    return chosen;
#else
    return plain;
#endif
}

}  // namespace

bool CanResampleLanczos3(const VImage& image) {
    return image.format() == VIPS_FORMAT_UCHAR && (image.bands() == 1 || image.bands() == 3);
}

VImage ResampleLanczos3(const VImage& image, int width, int height, bool vectorLoops) {
    const int bands = image.bands();
    const Taps down = MakeTaps(image.height(), height);
    const Taps across = MakeTaps(image.width(), width);
    const Loops loops = ChooseLoops(vectorLoops);
    SourceRows source(image, down.stride, loops.spread);

    // Down first, into one row at the source's width, then across into the output: each
    // source row is read once and the wide loop runs over whole rows.
    const size_t inRow = size_t(image.width()) * (bands == 3 ? 4 : 1);
    const size_t outRow = size_t(width) * bands;
    std::vector<int32_t> sums(inRow);
    std::vector<const uint8_t*> rows(down.stride);
    // Two spare pixels after the row: the paired loop may read one past a window's end.
    std::vector<uint8_t> column(inRow + 8, 0);
    const size_t size = outRow * height;
    auto* pixels = static_cast<uint8_t*>(g_malloc(size));
    try {
        for (int y = 0; y < height; ++y) {
            const int first = down.first[y];
            const int count = down.count[y];
            source.Hold(first, first + count);
            for (int j = 0; j < count; ++j) rows[j] = source.Row(first + j);
            const int paired = count + count % 2;
            if (paired > count) rows[count] = rows[0];  // its weight is zero
            loops.down(rows.data(), &down.weights[size_t(y) * down.stride], paired, column.data(),
                       inRow, sums.data());
            uint8_t* out = pixels + size_t(y) * outRow;
            if (bands == 3) {
                loops.acrossColour(column.data(), out, across, width);
            } else {
                AcrossGrey(column.data(), out, across, width);
            }
        }
    } catch (...) {
        g_free(pixels);
        throw;
    }
    VImage result =
        VImage::new_from_memory_steal(pixels, size, width, height, bands, VIPS_FORMAT_UCHAR);
    return result.copy(VImage::option()->set("interpretation", image.interpretation()));
}

VImage ResizeExact(const VImage& image, int width, int height, VipsKernel kernel) {
    if (image.width() == width && image.height() == height) return image;
    if (kernel == VIPS_KERNEL_LANCZOS3 && CanResampleLanczos3(image)) {
        return ResampleLanczos3(image, width, height);
    }
    VImage out = image.resize(
        double(width) / image.width(),
        VImage::option()->set("vscale", double(height) / image.height())->set("kernel", kernel));
    if (out.width() != width || out.height() != height) {
        // The resampler rounds its output size; absorb a pixel of difference.
        out = out.embed(0, 0, width, height, VImage::option()->set("extend", VIPS_EXTEND_COPY));
    }
    return out;
}
