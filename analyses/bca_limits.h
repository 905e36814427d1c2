// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Bias-corrected and accelerated (BCa) bootstrap confidence limits of the
// mean group size and of the mean crowding (B. Efron 1987, JASA 82:
// 171-185), for one sample, and two samples compared by their intervals.

#include <optional>
#include <span>
#include <vector>

#include "analysis.h"
#include "bca.h"

namespace tsk::analyses {

using Statistic = tsk::bca::Statistic;

struct BcaLevel {
  float level = 0.0f;  // as asked, in single precision
  int kl = 0;          // bootstrap indices, 1-based
  int ku = 0;
  float lower = 0.0f;
  float upper = 0.0f;
  bool uncertain = false;  // kl < 10 or ku >= B - 8: too few replications in a tail
};

struct BcaLimits {
  float estimate = 0.0f;  // the mean group size or the mean crowding
  int groups = 0;
  int replications = 0;
  // OneGroup, EqualGroups or UndefinedAcceleration: no limits. The sample
  // still uses its draws, so that a second sample's limits do not change.
  std::optional<Failure> noLimits;
  float acceleration = 0.0f;
  float z0 = 0.0f;               // the bias correction
  int below = 0;                 // replications strictly below the estimate
  std::vector<BcaLevel> levels;  // in the order asked
};

// The checks that need only the sizes: NoGroups, and NotPositive for the
// crowding, which counts animals. Engines make them before they read their
// parameter file.
std::optional<Failure> checkSizes(Sizes sizes, Statistic kind);

// Limits at each of `levels` (each in (0, 1)) from `replications` (>= 1)
// resamples of `sizes`, which are resampled in the order given. Failures:
// BadLevel, BadReplications and those of checkSizes.
Result<BcaLimits> bcaLimits(Sizes sizes, Statistic kind, int replications,
                            std::span<const double> levels, Seed seed);

// Two samples' mean crowding, each with its BCa interval at `level`, the
// second sample's replications drawn after the first's from one generator.
// The samples differ when their intervals do not overlap; intervals that
// touch overlap.
struct CrowdingComparison {
  BcaLimits samples[2];
  std::optional<bool> apart;  // none when a sample has no limits
};

// Failures: BadLevel, BadReplications, NoGroups, NotPositive.
Result<CrowdingComparison> crowdingComparison(Sizes first, Sizes second, int replications,
                                              double level, Seed seed);

}  // namespace tsk::analyses
