// Resampling with bilinear filtering: by homography, or by any mapping (lens models).
// Pixel centres sit at integer coordinates.
#pragma once

#include "Geometry.h"
#include "Image.h"
#include "Result.h"

#include <functional>

namespace standin::imaging {

// What a sample outside the source reads: zero, or the nearest border pixel. Either way the
// coverage (the bilinear weight of the source pixels that exist) falls to 0 outside.
enum class Border { Zero, Clamp };

// Channel c of the image at (x, y), bilinear.
float fSampleBilinear(const ImageF& image, double x, double y, int channel = 0, Border border = Border::Zero);

// For a destination pixel, where to read in the source; false when nothing is there.
using PixelMapping = std::function<bool(double x, double y, double& sourceX, double& sourceY)>;

// A mapping evaluated once for every pixel of a width x height destination: two channels,
// source x and y, NaN where the mapping gave nothing. Lets one mapping serve many frames.
ImageF imgBuildMap(int width, int height, const PixelMapping& mapping, int threads = 0);

// Each destination pixel reads the source where the map says. pCoverage, when given,
// receives a one-channel image of how much of each pixel came from inside the source.
// Fails when the map is not a two-channel image or the source is empty.
Result<ImageF> imgRemap(const ImageF& source, const ImageF& map, Border border = Border::Zero,
    ImageF* pCoverage = nullptr, int threads = 0);
Result<Image8> imgRemap(const Image8& source, const ImageF& map, Border border = Border::Zero,
    ImageF* pCoverage = nullptr, int threads = 0);

// The same with the mapping evaluated on the fly.
Result<ImageF> imgWarp(const ImageF& source, const PixelMapping& destinationToSource, int width, int height,
    Border border = Border::Zero, ImageF* pCoverage = nullptr, int threads = 0);
Result<Image8> imgWarp(const Image8& source, const PixelMapping& destinationToSource, int width, int height,
    Border border = Border::Zero, ImageF* pCoverage = nullptr, int threads = 0);

// A width x height image in which the source appears moved by sourceToDestination
// (destination(H p) = source(p)). Fails when H cannot be inverted or the size is not valid.
Result<ImageF> imgWarpHomography(const ImageF& source, const Homography& sourceToDestination, int width, int height,
    Border border = Border::Zero, ImageF* pCoverage = nullptr, int threads = 0);
Result<Image8> imgWarpHomography(const Image8& source, const Homography& sourceToDestination, int width, int height,
    Border border = Border::Zero, ImageF* pCoverage = nullptr, int threads = 0);

} // namespace standin::imaging
