#pragma once
#include <cstdint>
#include <vector>

#include "frame.h"
#include "mtrand.h"

namespace gsmean2s {

inline constexpr int kCapacity = 5000;

// Means and standard deviations that st delivers beside the t statistic.
struct Moments {
  float m1 = 0, m2 = 0, s1 = 0, s2 = 0;
};

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
// loop; the replications are only computed several at a time.
// Sample sizes from 2 to tsk::kMaxDrawSample.
int64_t bootstrapCount(const std::vector<float>& y1, const std::vector<float>& y2, float t,
                       int64_t b, tsk::MtBlock& mt);

// Bootstrap two-sample t-test of the mean group size of the first two
// samples of tskdat.tmp; `capacity` groups at most per sample.
void run(const tsk::EngineContext& context, int capacity = kCapacity);

}  // namespace gsmean2s
