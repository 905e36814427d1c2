// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The bootstrap two-sample t-test of the mean group size (B. Efron and
// R. J. Tibshirani 1993, An Introduction to the Bootstrap, section 16.2):
// the unequal-variance t of the two samples, against the t of resamples
// drawn from both samples shifted to their pooled mean.

#include <cstdint>
#include <vector>

#include "analysis.h"
#include "mtrand.h"

namespace tsk::analyses {

// Means and standard deviations (divisor n - 1) that st delivers beside t.
struct Moments {
  float m1 = 0, m2 = 0, s1 = 0, s2 = 0;
};

struct MeanTest {
  int groups[2] = {0, 0};
  Moments moments;
  float t = 0.0f;
  int replications = 0;
  int64_t within = 0;  // replications whose |t*| is below |t|
  float p = 0.0f;      // two-sided: 1 - within / replications
};

// The fewest groups a sample needs: one group has no spread.
inline constexpr int kMeanTestMinGroups = 2;

// The test of `first` against `second` (each resampled in the order given)
// with `replications` (>= 1) resamples. Failures: TooFewGroups,
// BadReplications.
Result<MeanTest> meanTest(Sizes first, Sizes second, int replications, Seed seed);

// The steps of the test.

// The unequal-variance t statistic from the single-precision sums and sums of
// squares of two samples of n1 and n2 values (n1, n2 >= 2).
float tFromSums(int n1, int n2, float sa, float qa, float sb, float qb, Moments& moments);

// The routine st: the t statistic of a[0..n1-1] and b[0..n2-1].
float st(int n1, int n2, const float* a, const float* b, Moments& moments);

// Both samples shifted to their pooled mean, each keeping its spread.
void centre(const std::vector<float>& x1, const std::vector<float>& x2, const Moments& moments,
            std::vector<float>& y1, std::vector<float>& y2);

// Number of the B replications whose |t*| is below |t|: each replication
// resamples y1 and then y2 with grnd draws from `mt`, which is advanced past
// all B * (n1 + n2) draws. Every draw and every sum is the one of the plain
// loop; the replications are only computed several at a time. Sample sizes
// of 2 or more.
int64_t bootstrapCount(const std::vector<float>& y1, const std::vector<float>& y2, float t,
                       int64_t b, MtBlock& mt);

}  // namespace tsk::analyses
