// Warp and curve maths: warp coefficients, Bezier evaluation, histograms.
#pragma once
