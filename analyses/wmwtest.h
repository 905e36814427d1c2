// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The Wilcoxon-Mann-Whitney test by the normal approximation, with the tie
// term of the variance of U and the continuity correction.

#include <span>

namespace tsk::analyses {

struct WmwResult {
  float u = 0.0f;  // pairs in which sample 2 is larger, ties as halves
  float z = 0.0f;
  float p = 1.0f;  // two-sided
  // False when every value of both samples is equal: U has no spread, z is
  // not defined, and p is set to 1 (every arrangement gives the same U).
  bool defined = true;
};

// Samples in any order. tiecorr, contcorr: 1 = apply the correction.
WmwResult wmwtest(std::span<const float> x1, std::span<const float> x2, int tiecorr = 1,
                  int contcorr = 1);

// n1 n2 S / N / (N - 1) / 12, S the single-precision sum of t^3 - t over the
// runs of equal values of both samples pooled in ascending order.
float ties(std::span<const float> x1, std::span<const float> x2);

}  // namespace tsk::analyses
