#include "bench/BenchPictures.h"

#include <QFile>
#include <random>
#include <stdexcept>
#include <vector>

using vips::VImage;

namespace benchpictures {

VImage Srgb(const VImage& image) {
    return image.cast(VIPS_FORMAT_UCHAR)
        .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
}

// Noise on a coarse grid, enlarged smoothly: blotches about cell pixels across, in colour
// (three bands) or in brightness only (one band).
VImage Blotches(int width, int height, int cell, double sigma, int seed, int bandCount) {
    const int w = width / cell + 4;
    const int h = height / cell + 4;
    std::vector<VImage> bands;
    for (int band = 0; band < bandCount; ++band) {
        bands.push_back(VImage::gaussnoise(
            w, h,
            VImage::option()->set("mean", 0.0)->set("sigma", sigma)->set("seed", seed * 7 + band)));
    }
    const VImage big = VImage::bandjoin(bands).resize(
        double(cell), VImage::option()->set("kernel", VIPS_KERNEL_CUBIC));
    return big.crop(cell, cell, width, height);
}

// A tile repeated over width x height. Fine noise costs as much to make as to compress; a
// repeated tile of it compresses the same and is made in a fraction of the time. The tile's
// odd side keeps the repeats off the 8 x 8 block grid.
VImage Tiled(const VImage& tile, int width, int height) {
    const VImage memory = tile.copy_memory();
    return memory.replicate(width / memory.width() + 1, height / memory.height() + 1)
        .crop(0, 0, width, height);
}

// A photo-like picture: a sky-to-ground gradient, soft colour variation at several scales, a
// few hard-edged objects and luminance grain. At quality 90 it compresses like a photograph
// of a detailed scene.
VImage PhotoLike(int width, int height, int seed) {
    std::mt19937 random(unsigned(seed) * 2654435761u);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const VImage xy = VImage::xyz(width, height);
    const VImage x = xy.extract_band(0);
    const VImage y = xy.extract_band(1);

    const double tilt = (unit(random) - 0.5) * 0.3;
    const VImage t = (y + x * tilt) * (1.0 / height);  // 0 at the top, about 1 at the bottom
    const std::vector<double> top{90 + 80 * unit(random), 120 + 60 * unit(random),
                                  170 + 60 * unit(random)};
    const std::vector<double> bottom{40 + 90 * unit(random), 50 + 80 * unit(random),
                                     20 + 60 * unit(random)};
    std::vector<double> slope(3);
    for (int i = 0; i < 3; ++i) slope[i] = bottom[i] - top[i];
    const VImage sky = VImage::bandjoin({t, t, t}) * slope + top;

    constexpr int kTile = 1013;
    const VImage texture = Blotches(width, height, 48, 14, seed + 1000, 1) +
                           Tiled(Blotches(kTile, kTile, 6, 9, seed + 2000, 1) +
                                     VImage::gaussnoise(kTile, kTile,
                                                        VImage::option()
                                                            ->set("mean", 0.0)
                                                            ->set("sigma", 5.0)
                                                            ->set("seed", seed + 3000)),
                                 width, height);

    // Objects: discs and a horizon, darker or lighter than their surroundings, as a gain.
    VImage gain = VImage::black(width, height) + 1.0;
    for (int i = 0; i < 4; ++i) {
        const double cx = unit(random) * width;
        const double cy = unit(random) * height;
        const double r = (0.05 + 0.15 * unit(random)) * std::min(width, height);
        const VImage inside = ((x - cx) * (x - cx) + (y - cy) * (y - cy)) < r * r;
        gain = inside.ifthenelse(gain * (0.55 + 0.8 * unit(random)), gain);
    }
    const double horizon = (0.45 + 0.3 * unit(random)) * height;
    const VImage below = (y + x * (unit(random) - 0.5) * 0.2) > horizon;
    gain = below.ifthenelse(gain * 0.75, gain);

    const VImage colour = Blotches(width, height, std::max(width, height) / 6, 30, seed, 3);
    return Srgb((sky + colour + texture) * gain);
}

void MakeFile(const QString& path, const std::function<void(const QString&)>& save) {
    const QString partial = path + QStringLiteral(".part");
    QFile::remove(partial);
    save(partial);
    QFile::remove(path);
    if (!QFile::rename(partial, path))
        throw std::runtime_error("cannot rename " + path.toStdString());
}

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

}  // namespace benchpictures
