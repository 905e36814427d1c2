// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Bias-corrected and accelerated (BCa) bootstrap confidence limits, as the
// one- and two-sample engines of mean group size and mean crowding compute
// them (B. Efron 1987, JASA 82: 171-185): jackknife acceleration, the
// resampling loops, the bias correction and the limits of one level.
//
// Every stored value is single precision; the arithmetic between two stores
// is done in double, and sums run in sample or draw order, so that the
// reports depend on nothing but the data and the seed.

#include "mtrand.h"
#include "numerics.h"

namespace tsk::bca {

// Sums in sample order, single precision: x(1) + ... + x(n), and of x(i)^2.
float sumOf(const float* x, int n);
float sumOfSquares(const float* x, int n);

// Jackknife values: the statistic with group i left out. Means: (s - x(i)) /
// (n - 1); mean crowding: (s2 - x(i)^2) / (s1 - x(i)). n >= 2.
void jackknifeMeans(const float* x, int n, float s, float* j);
void jackknifeCrowding(const float* x, int n, float s1, float s2, float* j);

// a = -(S3 / S2^1.5) / 6 over the deviations of j(1..n) from their mean.
// Not finite when the jackknife values are all equal.
float acceleration(const float* j, int n);

// z0 = stnicdf(count / B).
float biasCorrection(int count, int B);

// The upper index as the mean engine takes it (integer part of B pu) or as
// the crowding engines do (one more, at most B).
enum class UpperIndex { Truncated, OneAbove };

struct Limits {
  int kl = 0;  // bootstrap indices, 1-based as reported
  int ku = 0;
  float lower = 0.0f;
  float upper = 0.0f;
  // kl < 10 or ku >= B - 8: too few replications in a tail.
  bool uncertain = false;
};

// Limits at level c (single precision, e.g. 0.95f) from the ascending
// b[0..B-1]; index 0 stands for the first value.
Limits limits(const float* sorted, int B, float z0, float a, float c, UpperIndex rule);

enum class Statistic { Mean, Crowding };

// The statistic of x(1..n): the mean, or the mean crowding S2 / S1.
float statisticOf(const float* x, int n, Statistic kind);
// The jackknife acceleration of the statistic; n >= 2.
float accelerationOf(const float* x, int n, Statistic kind);

// B replications into b (ascending on return) and the bias correction. The
// draws come from r replication after replication and draw after draw, as
// the plain loop over grnd makes them; r is left after the last one.
// n >= 1.
struct Bootstrap {
  int count = 0;  // replications strictly below the statistic
  float z0 = 0.0f;
};
Bootstrap bootstrap(MtBlock& r, const float* x, int n, int B, Statistic kind, float statistic,
                    float* b);

// Messages for samples whose limits are undefined.
inline constexpr const char* kOneGroup = "   ERROR: one group only, no confidence limits";
inline constexpr const char* kEqualGroups =
    "   ERROR: all groups have the same size, no confidence limits";
inline constexpr const char* kNotPositive = "   ERROR: group sizes must be positive";
inline constexpr const char* kUndefinedAcceleration =
    "   ERROR: the jackknife acceleration is undefined, no confidence limits";

// kOneGroup or kEqualGroups when the sample has no defined limits, else null.
const char* undefinedLimits(const float* x, int n);

}  // namespace tsk::bca
