// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Mood's median test (A. M. Mood 1950, Introduction to the Theory of
// Statistics) for two to six samples: the counts of each sample at or below
// and above the pooled median, tested by R. A. Fisher's exact test on that
// k x 2 table (the Freeman-Halton extension for more than two rows).

#include <limits>
#include <optional>
#include <span>
#include <vector>

#include "analysis.h"
#include "fisherxx.h"

namespace tsk::analyses {

inline constexpr int kMedianTestMaxSamples = kMaxRows;

// Sorts x[0..n-1] ascending in place and returns its median, the mean of the
// two middle values (the middle value twice for odd n); n >= 1.
float amed(float* x, int n);

// Running time of the full enumeration on the reference machine: seconds
// (single precision) and whole minutes rounded half up. The minutes are kept
// in double so that an estimate beyond any integer field still compares.
struct Estimate {
  float seconds;
  double minutes;
};
Estimate estimate(int k, const int* n);

struct MedianTestSample {
  int groups = 0;
  float median = 0.0f;
  int le = 0;  // values at or below the pooled median
  int gt = 0;  // values above it
};

struct MedianTest {
  std::vector<MedianTestSample> samples;  // in the order given
  int groups = 0;                         // of all samples pooled
  float median = 0.0f;                    // of all samples pooled
  // TooFewSamples: one sample leaves nothing to compare; no test.
  std::optional<Failure> noTest;
  Estimate estimate{0.0f, 0.0};
  FisherTable table;        // the table as the exact test orders it
  std::optional<double> p;  // exact, two-sided; none without a test or over the limit
};

// The NoGroups failure of sample `sample` (1 to 6); engines check the count
// a file declares before they read the sizes.
Failure medianTestNoGroups(int sample);

// The test of 1 to kMedianTestMaxSamples samples, each in any order. The
// exact test runs when the estimated minutes are at most limitMinutes.
// Failures: NoGroups, TooManySamples (none given, or more than six). The
// counts are 32-bit; the exact test's work grows with the product of the
// row totals, but tables whose p-value is proven below 1e-14 are bounded
// instead (six samples of 2000 take up to a few seconds of CPU time, well
// under one when their sizes are equal).
Result<MedianTest> medianTest(std::span<const Sizes> samples,
                              double limitMinutes = std::numeric_limits<double>::infinity());

}  // namespace tsk::analyses
