#include "imaging/JpegDc.h"

#include <QFile>
#include <algorithm>
#include <array>
#include <climits>
#include <memory>
#include <vector>

#include "imaging/CLead.h"
#include "imaging/DecodedRows.h"
#include "imaging/ImagingConstants.h"

using vips::VImage;

namespace imaging {
namespace {

struct Component {
    int id = 0;
    int h = 1;
    int v = 1;
    int table = 0;  // quantisation table
    int quant = 0;  // its DC entry, as it stood when the component's first scan began
    bool latched = false;
    int blocksWide = 0;
    int blocksHigh = 0;
    // One coefficient a block, quantised, as libjpeg keeps it (16 bits), in block rows
    // allocated as the scans reach them.
    std::shared_ptr<DecodedRows<qint16>> dc;
};

// A DC Huffman table: the codes of each length and the values they stand for.
struct Huffman {
    std::array<int, 17> counts{};
    std::vector<uchar> values;
    bool defined = false;
};

class DamagedData : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads entropy-coded bits, undoing the stuffed zero after 0xFF; stops at a marker.
class Bits {
public:
    Bits(const uchar* data, qsizetype size, qsizetype at) : data_(data), size_(size), at_(at) {}
    int Bit() {
        if (count_ == 0) Fill();
        --count_;
        return (byte_ >> count_) & 1;
    }
    int Take(int n) {
        int value = 0;
        for (int i = 0; i < n; ++i) value = (value << 1) | Bit();
        return value;
    }
    int Decode(const Huffman& table) {
        if (!table.defined) throw DamagedData("a scan uses an undefined Huffman table");
        int code = 0;
        int first = 0;
        int index = 0;
        for (int length = 1; length <= 16; ++length) {
            code = (code << 1) | Bit();
            const int count = table.counts[size_t(length)];
            if (code - first < count) return table.values[size_t(index + code - first)];
            index += count;
            first = (first + count) << 1;
        }
        throw DamagedData("a Huffman code that no table has");
    }
    // At a restart marker: drops the bits left and steps over the marker.
    void Restart() {
        count_ = 0;
        while (at_ + 1 < size_ &&
               !(data_[at_] == 0xFF && data_[at_ + 1] >= 0xD0 && data_[at_ + 1] <= 0xD7)) {
            ++at_;
        }
        if (at_ + 1 >= size_) throw DamagedData("the file ends inside a scan");
        at_ += 2;
    }
    // Where the scan's data ends: the next marker other than a restart.
    qsizetype End() const {
        qsizetype at = at_;
        while (at + 1 < size_ && !(data_[at] == 0xFF && data_[at + 1] != 0 &&
                                   !(data_[at + 1] >= 0xD0 && data_[at + 1] <= 0xD7))) {
            ++at;
        }
        return at;
    }

private:
    // The next byte of data. A marker or the end of the file where the scan still needs bits
    // ends its reading: the blocks it did not reach keep what earlier scans gave them (every
    // bit needed past the data would cost no input, and a crafted header asks for millions).
    void Fill() {
        if (at_ >= size_ || (data_[at_] == 0xFF && at_ + 1 >= size_)) {
            throw DamagedData("the file ends inside a scan");
        }
        byte_ = data_[at_];
        if (byte_ == 0xFF) {
            if (data_[at_ + 1] != 0) throw DamagedData("a scan's data ends early");
            ++at_;  // the stuffed zero
        }
        ++at_;
        count_ = 8;
    }

    const uchar* data_;
    qsizetype size_;
    qsizetype at_;
    int byte_ = 0;
    int count_ = 0;
};

int Extend(int value, int bits) {
    return bits == 0 ? 0 : (value < (1 << (bits - 1)) ? value - (1 << bits) + 1 : value);
}

}  // namespace

std::optional<VImage> DecodeProgressiveDc(const QString& file, bool tolerant, QString* damage) {
    damage->clear();
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) {
        throw LeadError("cannot read the file", LeadError::Kind::Unreadable);
    }
    const QByteArray bytes = in.readAll();
    const auto* p = reinterpret_cast<const uchar*>(bytes.constData());
    const qsizetype size = bytes.size();
    std::array<std::array<int, 64>, 4> quant{};
    std::array<Huffman, 4> dcTables;
    std::vector<Component> components;
    int width = 0;
    int height = 0;
    int hMax = 1;
    int vMax = 1;
    int restartInterval = 0;
    int adobeTransform = -1;
    bool progressive = false;
    bool ended = false;
    std::string why;  // the first damage found
    qsizetype at = 2;
    try {
        while (at + 2 <= size) {
            if (p[at] != 0xFF) {
                ++at;  // stray bytes, as libjpeg skips them
                continue;
            }
            const int marker = p[at + 1];
            if (marker == 0xFF) {
                ++at;
                continue;
            }
            if (marker == 0xD9) {
                ended = true;
                break;
            }
            // Markers without a length: a restart outside a scan, a second start of image.
            if ((marker >= 0xD0 && marker <= 0xD8) || marker == 0x01) {
                at += 2;
                continue;
            }
            if (at + 4 > size) break;
            const int length = (p[at + 2] << 8) | p[at + 3];
            if (length < 2 || at + 2 + length > size)
                throw DamagedData("a segment runs past the end");
            const uchar* s = p + at + 4;
            const int n = length - 2;
            switch (marker) {
                case 0xC0:
                case 0xC1:
                case 0xC3:
                case 0xC5:
                case 0xC6:
                case 0xC7:
                case 0xC9:
                case 0xCA:
                case 0xCB:
                case 0xCD:
                case 0xCE:
                case 0xCF:
                    if (progressive) throw DamagedData("a second frame header");
                    return std::nullopt;  // not progressive Huffman: libjpeg's
                case 0xC2: {
                    if (progressive) throw DamagedData("a second frame header");
                    if (n < 6 || s[0] != 8) return std::nullopt;
                    height = (s[1] << 8) | s[2];
                    width = (s[3] << 8) | s[4];
                    const int count = s[5];
                    if ((count != 1 && count != 3) || n < 6 + 3 * count || width == 0 ||
                        height == 0) {
                        return std::nullopt;
                    }
                    for (int c = 0; c < count; ++c) {
                        Component component;
                        component.id = s[6 + 3 * c];
                        component.h = s[7 + 3 * c] >> 4;
                        component.v = s[7 + 3 * c] & 15;
                        component.table = s[8 + 3 * c] & 3;
                        if (component.h < 1 || component.h > 4 || component.v < 1 ||
                            component.v > 4) {
                            return std::nullopt;
                        }
                        hMax = std::max(hMax, component.h);
                        vMax = std::max(vMax, component.v);
                        components.push_back(component);
                    }
                    for (Component& c : components) {
                        // The grid of an interleaved scan: whole MCUs.
                        const int mcusWide = (width + 8 * hMax - 1) / (8 * hMax);
                        const int mcusHigh = (height + 8 * vMax - 1) / (8 * vMax);
                        c.blocksWide = mcusWide * c.h;
                        c.blocksHigh = mcusHigh * c.v;
                        c.dc = std::make_shared<DecodedRows<qint16>>(c.blocksHigh,
                                                                     size_t(c.blocksWide));
                    }
                    progressive = true;
                    break;
                }
                case 0xC4: {
                    int k = 0;
                    while (k + 17 <= n) {
                        const int tableClass = s[k] >> 4;
                        const int id = s[k] & 3;
                        Huffman table;
                        int total = 0;
                        for (int l = 1; l <= 16; ++l) total += table.counts[size_t(l)] = s[k + l];
                        if (k + 17 + total > n)
                            throw DamagedData("a Huffman table runs past its segment");
                        table.values.assign(s + k + 17, s + k + 17 + total);
                        table.defined = true;
                        if (tableClass == 0) dcTables[size_t(id)] = table;
                        k += 17 + total;
                    }
                    break;
                }
                case 0xDB: {
                    int k = 0;
                    while (k < n) {
                        const int precision = s[k] >> 4;
                        const int id = s[k] & 3;
                        if (k + 1 + 64 * (precision + 1) > n) break;
                        quant[size_t(id)][0] = precision ? (s[k + 1] << 8) | s[k + 2] : s[k + 1];
                        k += 1 + 64 * (precision + 1);
                    }
                    break;
                }
                case 0xDD:
                    if (n >= 2) restartInterval = (s[0] << 8) | s[1];
                    break;
                case 0xEE:
                    if (n >= 12 && std::equal(s, s + 5, "Adobe")) adobeTransform = s[11];
                    break;
                case 0xDA: {
                    if (!progressive) return std::nullopt;
                    const int count = n >= 1 ? s[0] : 0;
                    if (count < 1 || n < 1 + 2 * count + 3)
                        throw DamagedData("a damaged scan header");
                    std::vector<Component*> scan;
                    std::vector<int> tableOf;
                    for (int i = 0; i < count; ++i) {
                        auto it =
                            std::find_if(components.begin(), components.end(),
                                         [&](const Component& c) { return c.id == s[1 + 2 * i]; });
                        if (it == components.end()) throw DamagedData("a scan names no component");
                        scan.push_back(&*it);
                        tableOf.push_back(s[2 + 2 * i] >> 4);
                    }
                    const int ss = s[1 + 2 * count];
                    const int ah = s[3 + 2 * count] >> 4;
                    const int al = s[3 + 2 * count] & 15;
                    // libjpeg's limit: a larger shift leaves no room in 16 bits.
                    if (ah > 13 || al > 13) throw DamagedData("a scan's shifts are out of range");
                    Bits bits(p, size, at + 2 + length);
                    if (ss == 0) {
                        // libjpeg takes a component's quantisation table as its first scan
                        // begins; a table defined later is for the later scans.
                        for (Component* c : scan) {
                            if (!c->latched) c->quant = quant[size_t(c->table)][0];
                            c->latched = true;
                        }
                        try {
                            std::vector<int> predictor(scan.size(), 0);
                            const bool interleaved = scan.size() > 1;
                            const int mcusWide =
                                interleaved ? (width + 8 * hMax - 1) / (8 * hMax)
                                            : (((width * scan[0]->h + hMax - 1) / hMax) + 7) / 8;
                            const int mcusHigh =
                                interleaved ? (height + 8 * vMax - 1) / (8 * vMax)
                                            : (((height * scan[0]->v + vMax - 1) / vMax) + 7) / 8;
                            int untilRestart = restartInterval;
                            for (int my = 0; my < mcusHigh; ++my) {
                                for (int mx = 0; mx < mcusWide; ++mx) {
                                    if (restartInterval != 0 && untilRestart == 0) {
                                        bits.Restart();
                                        std::fill(predictor.begin(), predictor.end(), 0);
                                        untilRestart = restartInterval;
                                    }
                                    --untilRestart;
                                    for (size_t c = 0; c < scan.size(); ++c) {
                                        Component& comp = *scan[c];
                                        const int bw = interleaved ? comp.h : 1;
                                        const int bh = interleaved ? comp.v : 1;
                                        for (int by = 0; by < bh; ++by) {
                                            for (int bx = 0; bx < bw; ++bx) {
                                                const int x = mx * bw + bx;
                                                const int y = my * bh + by;
                                                int value = 0;
                                                if (ah == 0) {
                                                    const int t = bits.Decode(
                                                        dcTables[size_t(tableOf[c] & 3)]);
                                                    if (t > 11)
                                                        throw DamagedData(
                                                            "a DC difference too large");
                                                    const int difference = Extend(bits.Take(t), t);
                                                    // As libjpeg: a sum past an int is
                                                    // damage, a coefficient past 16 bits
                                                    // wraps.
                                                    if ((predictor[c] > 0 &&
                                                         difference > INT_MAX - predictor[c]) ||
                                                        (predictor[c] < 0 &&
                                                         difference < INT_MIN - predictor[c])) {
                                                        throw DamagedData(
                                                            "a DC coefficient out of range");
                                                    }
                                                    predictor[c] += difference;
                                                    value = qint16(
                                                        quint16(quint32(predictor[c]) << al));
                                                } else {
                                                    value = bits.Bit() << al;
                                                }
                                                if (x < comp.blocksWide && y < comp.blocksHigh) {
                                                    qint16& dc = comp.dc->Row(y)[x];
                                                    dc = qint16(ah == 0 ? value : (dc | value));
                                                }
                                            }
                                        }
                                    }
                                }
                            }
                        } catch (const DamagedData& error) {
                            // The blocks the scan did not reach keep what earlier scans gave
                            // them; the later scans are still read.
                            if (why.empty()) why = error.what();
                        }
                    }
                    at = bits.End();  // AC scans are stepped over unread
                    continue;
                }
                default:
                    break;
            }
            at += 2 + length;
        }
        if (!progressive) return std::nullopt;
        if (!ended) throw DamagedData("the file ends before its last scan");
    } catch (const DamagedData& error) {
        if (!progressive || components.empty()) {
            throw LeadError(error.what(), LeadError::Kind::Unreadable);
        }
        if (why.empty()) why = error.what();
    }
    if (!why.empty()) {
        if (!tolerant) throw LeadError(why, LeadError::Kind::Unreadable);
        *damage = QString::fromStdString(why);
    }
    // One pixel a block, painted as the pipeline asks: the DC coefficient is eight times the
    // block's mean level.
    const int outWidth = (width + 7) / 8;
    const int outHeight = (height + 7) / 8;
    const int bands = int(components.size());
    const bool ycc = bands == 3 && adobeTransform != 0;
    return PaintedImage(
        outWidth, outHeight, bands, bands == 1 ? VIPS_INTERPRETATION_B_W : VIPS_INTERPRETATION_sRGB,
        [components, hMax, vMax, ycc](int y, int left, int count, uchar* out) {
            const size_t bands = components.size();
            std::array<const qint16*, 3> rows{};
            for (size_t c = 0; c < bands; ++c) {
                const Component& comp = components[c];
                rows[c] = comp.dc->Find(std::min(y * comp.v / vMax, comp.blocksHigh - 1));
            }
            for (int x = left; x < left + count; ++x, out += bands) {
                std::array<double, 3> level{};
                for (size_t c = 0; c < bands; ++c) {
                    const Component& comp = components[c];
                    const int bx = std::min(x * comp.h / hMax, comp.blocksWide - 1);
                    const int dc = rows[c] ? rows[c][bx] : 0;
                    level[c] = dc * comp.quant / 8.0 + 128;
                }
                if (ycc) {
                    const double yy = level[0];
                    const double cb = level[1] - 128;
                    const double cr = level[2] - 128;
                    level = {yy + 1.402 * cr, yy - 0.344136 * cb - 0.714136 * cr, yy + 1.772 * cb};
                }
                for (size_t c = 0; c < bands; ++c) {
                    out[c] = uchar(std::clamp(int(std::lround(level[c])), 0, 255));
                }
            }
        });
}

}  // namespace imaging
