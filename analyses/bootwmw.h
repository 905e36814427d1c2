// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The bootstrap test of stochastic equality: sample 2 shifted to the null by
// the median of all pairwise differences, both samples resampled, and the
// Welch t statistic on pooled midranks (the rank-Welch statistic) compared
// with its value on the data.

#include <span>
#include <vector>

#include "mtrand.h"

namespace tsk::analyses {

inline constexpr int kMaxReplications = 20000;

// y = c (x2 - d), d the median of the n1 n2 differences x2(j) - x1(i). The
// median is selected, not sorted for. shift receives d.
std::vector<float> adjuszt(std::span<const float> x1, std::span<const float> x2, float c,
                           float* shift = nullptr);

// Position floor(u n + 1) in 1..n, u = grnd() in single precision; u = 1
// gives n.
int drawIndex(tsk::MtBlock& mt, int n);

// y[0..m-1] drawn with replacement from x[0..n-1].
void bootm(tsk::MtBlock& mt, std::span<const float> x, std::span<float> y);

struct Wmw2Result {
  float m1 = 0.0f, m2 = 0.0f, s1 = 0.0f, s2 = 0.0f;
  float t = 0.0f;  // not a number for 0/0
};

// The rank-Welch statistic of two samples in any order.
Wmw2Result wmw2(std::span<const float> x1, std::span<const float> x2);

struct BootResult {
  float p = 0.0f;
  // False when the statistic on the data is not a number (no replication
  // could be compared with it) or b < 1.
  bool defined = true;
  float t0 = 0.0f;
};

// The bootstrap p-value from b replications (1..kMaxReplications) drawn from
// mt: per replication n1 draws for sample 1, then n2 for the shifted sample 2.
// Each replication is ranked by counting over the distinct values instead of
// comparing all pairs; the draws and the single-precision sums in index order
// are those of the all-pairs form, so the results are the same.
// replications, when given, receives the b statistics in order.
BootResult bootwmw(tsk::MtBlock& mt, std::span<const float> x1, std::span<const float> x2,
                   std::span<const float> shifted, int b,
                   std::vector<float>* replications = nullptr);

}  // namespace tsk::analyses
