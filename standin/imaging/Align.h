// Direct alignment of a region of a reference frame with later frames.
//
// PlanarAligner holds one reference: the frame's pixels inside a region (a matte), on an image
// pyramid. align() finds the homography H, limited to a motion model, that carries the
// reference region onto a frame (frame(H p) ~ gain x reference(p) + bias), coarse to fine from
// a seed the caller gives (for a track: the last frame's motion, or homPredictNext of the last
// two). Every frame is matched against the reference's own pixels, not chained frame to frame,
// so errors do not add up over a track. Robust weights let occluded or changed pixels drop
// out; the match is normalised for gain and bias. A result that falls below the confidence
// thresholds is a failure with its reason, never a silent drift.
//
// Coarse levels sample the frame bilinearly; the finest level samples cubic B-spline
// coefficients (bilinear sampling's phase-dependent smoothing would pull the answer by
// thousandths of a pixel) and takes Sobel gradients (which keep grain from slowing the steps).
//
// Coordinates are image pixels of the full-resolution frames, the top-left pixel's centre at
// (0, 0). One aligner serves one thread at a time.
#pragma once

#include "Filters.h"
#include "Geometry.h"
#include "Image.h"
#include "Result.h"

#include <memory>
#include <string>
#include <vector>

namespace standin::imaging {

enum class AlignSolver {
    // Efficient second-order minimisation: the mean of the reference's and the warped frame's
    // gradients, a forward compositional update. Reaches the answer from farther away.
    SecondOrder,
    // Inverse compositional: the reference's gradients only, the inverse update.
    InverseCompositional,
};

struct AlignParameters {
    MotionModel eModel = MotionModel::Perspective;
    AlignSolver eSolver = AlignSolver::SecondOrder;
    // Pyramid levels (1 = full resolution only); 0 chooses as many as keep the region's
    // smaller side at 16 pixels or more on the coarsest, at most 5.
    int iLevels = 0;
    // Steps on one level at most.
    int iMaxIterations = 30;
    // A level is done when a step moves no corner of the region by more than this (pixels of
    // the full-resolution frame on the finest level, or a fifth of the outline's uncertainty
    // when that is more; coarser levels stop at 0.05 of their own pixels).
    double dTolerance = 2e-4;
    // When above 0: before the gradient steps, every whole-pixel translation of the seed on the
    // coarsest level within this radius (full-resolution pixels) is tried and the best
    // correlated one kept; for motion the seed does not predict.
    double dSearchRadius = 0.0;
    // Pixels that do not fit lose weight: Tukey's biweight of the residuals' root mean square
    // over each pixel's 5 x 5 neighbourhood, cut at 3 times their median.
    bool bRobust = true;
    // Matches frame ~ gain x reference + bias rather than frame ~ reference.
    bool bGainBias = true;
    // A match is a failure when the normalised correlation of the pixels that count is below this,
    double dMinCorrelation = 0.75;
    // or the share of the region's pixels that count (robust weight above 0) is below this,
    double dMinInlierFraction = 0.5;
    // or less than this share of the region lies inside the frame.
    double dMinVisibleFraction = 0.5;
};

enum class AlignFailure {
    None,
    BadInput, // unusable images, parameters or seed
    TooLittleTexture, // the region's pixels do not fix the motion (flat, or lines all one way)
    LeftImage, // too little of the region lies inside the frame
    Diverged, // the motion became degenerate (folded, collapsed or sent to infinity)
    WeakMatch, // the correlation after alignment is below the threshold
    Occluded, // too few of the region's pixels fit
};

struct AlignResult {
    bool bOk = false;
    AlignFailure eFailure = AlignFailure::BadInput;
    // Why it failed, in words for a user; empty on success.
    std::string strReason;
    // Reference to frame, full-resolution pixels, scaled so that the region's centre has w = 1;
    // the last estimate also when it failed.
    Homography hom;
    // Normalised correlation of reference and aligned frame over the region's pixels that
    // count (robust weight above 0), and over every visible region pixel (-1 .. 1).
    double dCorrelation = 0.0;
    double dPlainCorrelation = 0.0;
    // Share of the region's pixels that count (robust weight above 0), and share inside the
    // frame (0 .. 1).
    double dInlierFraction = 0.0;
    double dVisibleFraction = 0.0;
    // frame ~ gain x reference + bias (0..1 values), when bGainBias is on.
    double dGain = 1.0;
    double dBias = 0.0;
    // The standard deviation of the region's outline that the residuals leave (pixels; from
    // the parameters' covariance on the finest level).
    double dUncertainty = 0.0;
    // Gradient steps taken over all levels.
    int iIterations = 0;
};

class PlanarAligner {
public:
    // threads counts the caller (1: no extra thread; 0: the machine's cores, at most 8).
    explicit PlanarAligner(int threads = 0);
    ~PlanarAligner();
    PlanarAligner(const PlanarAligner&) = delete;
    PlanarAligner& operator=(const PlanarAligner&) = delete;

    // The reference: a frame (grey, or colour made grey with the weights) and the region where
    // the matte (one channel, the frame's size) is at least 0.5. Of the frame only the region's
    // neighbourhood is read. Fails when the region is too small for the model or has too
    // little texture; the aligner then has no reference.
    Status stSetReference(const ImageF& frame, const ImageF& regionMatte, const AlignParameters& parameters,
        const GreyWeights& weights = {});
    Status stSetReference(const Image8& frame, const ImageF& regionMatte, const AlignParameters& parameters,
        const GreyWeights& weights = {});
    // The same with the region given as a polygon (pixel centres inside it).
    Status stSetReference(const ImageF& frame, const std::vector<Point2>& region, const AlignParameters& parameters,
        const GreyWeights& weights = {});
    Status stSetReference(const Image8& frame, const std::vector<Point2>& region, const AlignParameters& parameters,
        const GreyWeights& weights = {});

    bool hasReference() const;
    const AlignParameters& parameters() const;
    // The bounding box of the region in the reference frame; the pyramid levels in use; the
    // region pixels matched on the finest level.
    Rect regionBounds() const;
    int levels() const;
    int samples() const;

    // Aligns a frame of the reference's size or another; the seed maps the reference region
    // near its place in the frame (a seed outside the motion model is brought into it).
    // Only the part of the frame around the seeded region is read.
    AlignResult align(const ImageF& frame, const Homography& seed, const GreyWeights& weights = {});
    AlignResult align(const Image8& frame, const Homography& seed, const GreyWeights& weights = {});

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace standin::imaging
