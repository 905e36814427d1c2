// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A plain transcription of the stochastic-equality computations, kept apart
// from the engine as the reference for its tests and the baseline of its
// benchmark: all-pairs ranks and U, the merge of the tie count, the gap sort
// of all pairwise differences, and the standard library's MT19937 loaded
// with the multiplier-seeded words. Slow by design: (n1 + n2)^2 per ranking.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <sstream>
#include <vector>

#include "numerics.h"
#include "plain_ranks.h"
#include "tdist.h"

namespace plain {

using Vec = std::vector<float>;

struct Mt {
  std::mt19937 g;
  explicit Mt(int32_t seed) {
    std::stringstream s;
    uint32_t w = static_cast<uint32_t>(seed);
    for (int i = 0; i < 624; ++i, w *= 69069u) s << w << ' ';
    s << 624;
    s >> g;
  }
  double next() { return static_cast<double>(g()) / 4294967295.0; }
};

inline float f(double v) { return static_cast<float>(v); }

// Pooled midranks (start 1) with internal ones, or pooled minus one (start 0).
inline void ranks(const Vec& x1, const Vec& x2, Vec& r1, Vec& r2, Vec& q1, Vec& q2,
                  float start = 1) {
  tsk::test::allPairsRanks(x1, x2, r1, r2, q1, q2, start);
}

inline void stdev(const Vec& x, float& mean, float& sd) {
  float s = 0, ss = 0;
  for (float v : x) s = f(double(s) + v), ss = f(double(ss) + double(v) * v);
  const double n = double(x.size());
  mean = f(s / n);
  float var = f((double(ss) - double(mean) * mean * n) / (n - 1));
  if (var < 0) var = 0;
  sd = f(std::pow(double(var), 0.5));
}

// The tie term by merging two ascending samples.
inline float ties(const Vec& x1, const Vec& x2) {
  Vec z;
  size_t i = 0, j = 0;
  while (i < x1.size() || j < x2.size()) {
    if (i == x1.size() || (j < x2.size() && x1[i] - x2[j] > 0)) {
      z.push_back(x2[j++]);
    } else {
      z.push_back(x1[i++]);
    }
  }
  float s = 0;
  size_t run = 1;
  for (size_t k = 1; k <= z.size(); ++k) {
    if (k < z.size() && z[k] == z[k - 1]) {
      ++run;
      continue;
    }
    const double t = double(run);
    if (run >= 2) s = f(s + (t * t * t - t));
    run = 1;
  }
  const double n = double(z.size());
  return f(double(x1.size()) * double(x2.size()) * s / n / (n - 1) / 12);
}

struct Wmw {
  float u, z, p;
};

inline Wmw wmwtest(const Vec& x1, const Vec& x2) {
  float u = 0;
  for (float a : x1) {
    for (float b : x2) {
      if (b > a) u += 1;
      if (b == a) u += 0.5f;
    }
  }
  const double m = double(x1.size()) * double(x2.size());
  const float e = f(m * 0.5);
  float v = f(m * double(x1.size() + x2.size() + 1) / 12);
  v = f(double(v) - ties(x1, x2));
  const float s = f(std::pow(double(v), 0.5));
  const float z = f(std::max(std::fabs(double(u) - e) - 0.5, 0.0) / s);
  float p = f(2 * (1 - double(tsk::stncdf(z))));
  if (p > 1) p = f(2 * double(tsk::stncdf(z)));
  return {u, z, p};
}

struct Bm {
  float w = 0, f = 0;
};

inline Bm bmtest(const Vec& x1, const Vec& x2) {
  Vec r1, r2, q1, q2;
  ranks(x1, x2, r1, r2, q1, q2);
  const double n1 = double(x1.size()), n2 = double(x2.size());
  float a1 = 0, a2 = 0;
  for (float v : r1) a1 = f(double(a1) + v);
  for (float v : r2) a2 = f(double(a2) + v);
  a1 = f(a1 / n1), a2 = f(a2 / n2);
  float s1 = 0, s2 = 0;
  for (size_t k = 0; k < r1.size(); ++k) {
    const double d = double(r1[k]) - q1[k] - a1 + (n1 + 1) / 2;
    s1 = f(s1 + d * d);
  }
  for (size_t k = 0; k < r2.size(); ++k) {
    const double d = double(r2[k]) - q2[k] - a2 + (n2 + 1) / 2;
    s2 = f(s2 + d * d);
  }
  s1 = f(s1 / (n1 - 1)), s2 = f(s2 / (n2 - 1));
  const float v = f(n1 * s1 + n2 * s2);
  Bm r;
  if (v > 0) {
    r.w = f(n1 * n2 * (double(a2) - a1) / (n1 + n2) / double(f(std::sqrt(double(v)))));
    const float a = f(s1 / n2 + s2 / n1);
    const float b = f((s1 / n2) * (s1 / n2) / (n1 - 1) + (s2 / n1) * (s2 / n1) / (n2 - 1));
    r.f = f(double(a) * a / b);
  }
  return r;
}

// The shell sort with odd gaps of the shared sort routines.
inline void gapSort(Vec& x) {
  const long n = long(x.size());
  for (long m = n / 2; m > 0; m /= 2) {
    m |= 1;
    for (long i = m + 1; i <= n; ++i) {
      for (long j = i;;) {
        const long k = j - m;
        if (x[k - 1] > x[j - 1]) {
          std::swap(x[k - 1], x[j - 1]);
          if (k - m > 0) {
            j = k;
            continue;
          }
        }
        break;
      }
    }
  }
}

inline Vec adjuszt(const Vec& x1, const Vec& x2, float c, float* shift = nullptr) {
  Vec d;
  for (float a : x1) {
    for (float b : x2) d.push_back(f(double(b) - a));
  }
  gapSort(d);
  const size_t m = d.size();
  const float med = f((double(d[(m + 1) / 2 - 1]) + d[(m + 2) / 2 - 1]) / 2);
  if (shift) *shift = med;
  Vec y;
  for (float b : x2) y.push_back(f(double(c) * (double(b) - med)));
  return y;
}

inline Vec bootm(Mt& mt, const Vec& x) {
  const int n = int(x.size());
  Vec y;
  for (int i = 0; i < n; ++i) {
    const float u = f(mt.next());
    int k = int(double(u) * n + 1);
    if (k > n) k = n;
    y.push_back(x[size_t(k - 1)]);
  }
  return y;
}

inline float wmw2(const Vec& x1, const Vec& x2) {
  Vec p1, p2, unused1, unused2;
  ranks(x1, x2, p1, p2, unused1, unused2, 0);
  float m1, s1, m2, s2;
  stdev(p1, m1, s1);
  stdev(p2, m2, s2);
  return f((double(m1) - m2) /
           std::sqrt(double(s1) * s1 / double(x1.size()) + double(s2) * s2 / double(x2.size())));
}

// The bootstrap p-value; stats receives every replication's statistic.
inline float bootwmw(Mt& mt, const Vec& x1, const Vec& x2, int b, Vec* stats = nullptr) {
  const float t0 = wmw2(x1, x2);
  const Vec y = adjuszt(x1, x2, 1.0f);
  Vec t;
  for (int r = 0; r < b; ++r) {
    const Vec s1 = bootm(mt, x1);
    const Vec s2 = bootm(mt, y);
    t.push_back(wmw2(s1, s2));
  }
  long less = 0, equal = 0, greater = 0;
  for (float v : t) {
    if (v < t0) ++less;
    if (v == t0) ++equal;
    if (v > t0) ++greater;
  }
  if (stats) *stats = t;
  float p = f(2.0 * double(greater + equal) / b);
  const float q = f(2.0 * double(less + equal) / b);
  if (q < p) p = q;
  return std::min(p, 1.0f);
}

inline float bmPvalue(const Bm& bm) {
  return bm.f <= 0 ? -1.0f : tsk::tprob(std::fabs(bm.w), double(bm.f), 2);
}

}  // namespace plain
