// Image pyramids and gradients.
//
// A reduction smooths with the binomial [1 4 6 4 1] / 16 in each direction and keeps the
// even pixels, so pixel (i, j) of level l lies exactly at pixel (i * 2^l, j * 2^l) of level 0
// and coordinates scale by 1/2 per level with no offset. A level of a crop whose origin is a
// multiple of 2^l therefore lines up with the same level of the whole image.
#pragma once

#include "Image.h"

#include <vector>

namespace standin::imaging {

class WorkerPool;

// Half the size ((w + 1) / 2 by (h + 1) / 2), any number of channels; edges repeat the
// border pixel.
ImageF imgReduce(const ImageF& image, int threads = 1, WorkerPool* pPool = nullptr);

// levels images: [0] is the base itself (shared, not copied), each next one reduced; stops
// early when a level would be smaller than 2 x 2.
std::vector<ImageF> vecBuildPyramid(const ImageF& base, int levels, int threads = 1, WorkerPool* pPool = nullptr);

// Central differences of a one-channel image ((f(x + 1) - f(x - 1)) / 2; one-sided at the
// border), into gx and gy of the same size.
void vGradients(const ImageF& grey, ImageF& gx, ImageF& gy);

} // namespace standin::imaging
