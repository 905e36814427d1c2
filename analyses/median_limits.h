// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Distribution-free confidence limits for the median group size: order
// statistics whose coverage of the median is exact, from the binomial
// distribution with p = 1/2 (the sign test's). Group sizes are whole numbers
// with many ties, so exact 90, 95 or 99 % intervals rarely exist: for each
// level the shortest interval whose coverage exceeds it is chosen, and its
// exact coverage is given with it.

#include <optional>
#include <span>
#include <vector>

#include "analysis.h"

namespace tsk::analyses {

// Candidate limits: truncated order statistics with the one-sided coverage
// each can have (the probability that the median lies above a lower, or
// below an upper, candidate).
struct Candidates {
  std::vector<int> lower, upper;
  std::vector<float> lowerCoverage, upperCoverage;
};

// Candidates from an ascending sample x[0..n-1]: the values at the positions
// i whose P(X <= i-1) lies in the window 4.999e-05 .. 0.1 (X binomial(n, 1/2)),
// each with the coverage of the outermost position that holds it. Every
// value must fit a 32-bit integer when truncated.
Candidates candidates(const std::vector<float>& x);

// The shortest pair whose coverage exceeds a level.
struct Interval {
  int lo = 0;
  int hi = 0;
  float coverage = 0.0f;  // 0: none chosen
};

// Chooses the interval for `level` among the candidates, keeping `chosen`
// when no pair qualifies. Pairs 10000 or more apart are never chosen.
void choose(const Candidates& c, float level, Interval& chosen);

struct MedianLevel {
  float level = 0.0f;  // as asked, in single precision
  bool found = false;  // false: the sample is too small for this level
  Interval interval;
};

struct MedianLimits {
  int groups = 0;
  std::optional<float> median;  // none for an empty sample
  // TooFewGroups: four groups or fewer, no limits at any level.
  std::optional<Failure> noLimits;
  Candidates candidates;
  std::vector<MedianLevel> levels;  // in the order asked, each chosen alone
};

// The median and its limits at each of `levels` (each in (0, 1)) for the
// sample `sizes`, in any order. Failures: BadLevel, SizeOutOfRange.
Result<MedianLimits> medianLimits(Sizes sizes, std::span<const double> levels);

// SizeOutOfRange for a size whose whole part does not fit 32 bits (or that
// is no number), which cannot become a limit; engines check each size as
// they read it.
std::optional<Failure> checkLimitSize(float size);

}  // namespace tsk::analyses
