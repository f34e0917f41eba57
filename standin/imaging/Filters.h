// Simple filters of the imaging core. Every channel is filtered alike; edges repeat the
// border pixel. threads: 0 means iDefaultThreads().
#pragma once

#include "Image.h"

namespace standin::imaging {

// Luma weights of red, green and blue (Rec. 709 by default).
struct GreyWeights {
    float fRed = 0.2126f;
    float fGreen = 0.7152f;
    float fBlue = 0.0722f;
};

// One channel of 0..1 values: grey (and grey-alpha) images give their grey channel, RGB and
// RGBA the weighted sum (alpha is not used).
ImageF imgToGrey(const ImageF& image, const GreyWeights& weights = {}, int threads = 1);
ImageF imgToGrey(const Image8& image, const GreyWeights& weights = {}, int threads = 1);

// Mean over a (2 radius + 1) square; radius 0 copies.
ImageF imgBoxBlur(const ImageF& image, int radius, int threads = 0);
// Gaussian of the given standard deviation (pixels), cut at 3 sigma; 0 copies.
ImageF imgGaussianBlur(const ImageF& image, double sigma, int threads = 0);
// image + amount x (image - blurred), where |image - blurred| is above the threshold.
ImageF imgUnsharpMask(const ImageF& image, double sigma, double amount, double threshold = 0.0, int threads = 0);

} // namespace standin::imaging
