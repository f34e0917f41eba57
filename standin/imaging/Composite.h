// Mattes and compositing of the imaging core, on float images (values 0..1, not clamped).
#pragma once

#include "Geometry.h"
#include "Image.h"
#include "Result.h"

#include <vector>

namespace standin::imaging {

// How a foreground value f combines with the background value b before the matte mixes the
// result in: Normal f, Add b + f, Subtract b - f, Multiply b x f, Screen 1 - (1 - b)(1 - f).
enum class BlendMode { Normal, Add, Subtract, Multiply, Screen };

float fBlend(BlendMode mode, float background, float foreground);

// Composites the foreground onto the background, in place:
// b = b + matte x opacity x (blend(b, f) - b) for the colour channels, and an alpha channel of
// the background (2 or 4 channels) becomes a + m (1 - a) (with m = matte x opacity).
// The matte is one channel of the same size; when it is empty the foreground's own alpha
// (2 or 4 channels) serves, else the foreground is opaque. Foreground and background have the
// same size and colour channels (1 or 3, each with or without alpha).
Status stComposite(const ImageF& background, const ImageF& foreground, const ImageF& matte, BlendMode mode,
    float opacity = 1.0f, int threads = 0);

// A width x height matte of the polygon (closed, even-odd rule): each pixel is the share of
// its supersampling x supersampling sample points inside (1 gives a hard 0/1 matte of pixel
// centres).
ImageF imgRasterisePolygon(const std::vector<Point2>& polygon, int width, int height, int supersampling = 1);

// Soft edges: the matte's 0-to-1 step becomes a ramp about 2 x radius pixels wide, centred
// on the edge (a Gaussian of sigma radius / 2). Radius 0 copies.
ImageF imgFeatherMatte(const ImageF& matte, double radius, int threads = 0);

} // namespace standin::imaging
