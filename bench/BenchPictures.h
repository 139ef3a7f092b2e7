#pragma once

#include <QString>
#include <chrono>
#include <functional>
#include <vips/vips8>

// Pictures the benchmarks make: photograph-like scenes that compress at quality 90 as a
// detailed photograph does. Any thread.
namespace benchpictures {

vips::VImage Srgb(const vips::VImage& image);
// Noise on a coarse grid, enlarged smoothly: blotches about cell pixels across.
vips::VImage Blotches(int width, int height, int cell, double sigma, int seed, int bandCount);
// A tile repeated over width x height.
vips::VImage Tiled(const vips::VImage& tile, int width, int height);
// A sky-to-ground gradient, soft colour variation at several scales, a few hard-edged objects
// and luminance grain.
vips::VImage PhotoLike(int width, int height, int seed);

// Writes a file through a temporary name, so that an interrupted run leaves no half file
// behind: save writes the file it is given. Throws std::runtime_error when the rename fails.
void MakeFile(const QString& path, const std::function<void(const QString&)>& save);

// Seconds of the steady clock since a point in time.
double Seconds(std::chrono::steady_clock::time_point since);

}  // namespace benchpictures
