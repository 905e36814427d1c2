// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Midranks by their definition, every pair of values compared once: the
// reference that the fast ranking is checked against. Quadratic by design.

#include <vector>

namespace tsk::test {

using Vec = std::vector<float>;

// Pooled midranks r1, r2 and within-sample midranks q1, q2, each counted
// from `start` (1 for ranks, 0 for ranks minus one).
inline void allPairsRanks(const Vec& x1, const Vec& x2, Vec& r1, Vec& r2, Vec& q1, Vec& q2,
                          float start) {
  r1.assign(x1.size(), start);
  r2.assign(x2.size(), start);
  q1.assign(x1.size(), start);
  q2.assign(x2.size(), start);
  auto within = [](const Vec& x, Vec& r, Vec& q) {
    for (size_t i = 0; i < x.size(); ++i) {
      for (size_t j = i + 1; j < x.size(); ++j) {
        if (x[i] == x[j]) {
          r[i] += 0.5f, q[i] += 0.5f, r[j] += 0.5f, q[j] += 0.5f;
        } else if (x[i] > x[j]) {
          r[i] += 1, q[i] += 1;
        } else if (x[i] < x[j]) {
          r[j] += 1, q[j] += 1;
        }
      }
    }
  };
  within(x1, r1, q1);
  within(x2, r2, q2);
  for (size_t i = 0; i < x1.size(); ++i) {
    for (size_t j = 0; j < x2.size(); ++j) {
      if (x1[i] > x2[j]) r1[i] += 1;
      if (x1[i] < x2[j]) r2[j] += 1;
      if (x1[i] == x2[j]) r1[i] += 0.5f, r2[j] += 0.5f;
    }
  }
}

}  // namespace tsk::test
