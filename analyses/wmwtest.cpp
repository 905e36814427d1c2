// SPDX-License-Identifier: GPL-3.0-or-later
#include "wmwtest.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "numerics.h"

namespace tsk::analyses {

namespace {

std::vector<float> sorted(std::span<const float> x) {
  std::vector<float> s(x.begin(), x.end());
  std::sort(s.begin(), s.end());
  return s;
}

// 2U by one pass over both sorted samples instead of all n1 x n2 pairs.
int64_t twiceU(const std::vector<float>& s1, const std::vector<float>& s2) {
  int64_t twice = 0;
  size_t below = 0, upTo = 0;  // s2 values < and <= the current s1 value
  for (float v : s1) {
    while (below < s2.size() && s2[below] < v) ++below;
    if (upTo < below) upTo = below;
    while (upTo < s2.size() && s2[upTo] <= v) ++upTo;
    const int64_t greater = static_cast<int64_t>(s2.size() - upTo);
    const int64_t equal = static_cast<int64_t>(upTo - below);
    twice += 2 * greater + equal;
  }
  return twice;
}

float tieTerm(const std::vector<float>& s1, const std::vector<float>& s2) {
  std::vector<float> z;
  z.reserve(s1.size() + s2.size());
  std::merge(s1.begin(), s1.end(), s2.begin(), s2.end(), std::back_inserter(z));
  float sum = 0.0f;
  for (size_t i = 0; i < z.size();) {
    size_t j = i + 1;
    while (j < z.size() && z[j] == z[i]) ++j;
    // t^3 - t in floating point: long runs overflow 32-bit integers.
    const double t = static_cast<double>(j - i);
    if (j - i >= 2) sum = static_cast<float>(sum + (t * t * t - t));
    i = j;
  }
  const double n1 = static_cast<double>(s1.size()), n2 = static_cast<double>(s2.size());
  const double n = n1 + n2;
  return static_cast<float>(n1 * n2 * sum / n / (n - 1) / 12);
}

}  // namespace

float ties(std::span<const float> x1, std::span<const float> x2) {
  return tieTerm(sorted(x1), sorted(x2));
}

WmwResult wmwtest(std::span<const float> x1, std::span<const float> x2, int tiecorr, int contcorr) {
  const std::vector<float> s1 = sorted(x1), s2 = sorted(x2);
  WmwResult r;
  // Exact: U is a whole number or a half below 2^22.
  r.u = static_cast<float>(static_cast<double>(twiceU(s1, s2)) / 2);

  const double n1 = static_cast<double>(s1.size()), n2 = static_cast<double>(s2.size());
  // In floating point: m (n1 + n2 + 1) passes 2^31 at the largest sizes, and
  // an integer division by 12 would cut the fraction.
  const double m = n1 * n2;
  const float e = static_cast<float>(m * 0.5);
  float v = static_cast<float>(m * (n1 + n2 + 1) / 12);
  float t = 0.0f;
  if (tiecorr == 1) t = tieTerm(s1, s2);
  v = static_cast<float>(static_cast<double>(v) - t);

  const bool allEqual = !s1.empty() && !s2.empty() && s1.front() == s1.back() &&
                        s2.front() == s2.back() && s1.front() == s2.front();
  if (allEqual || !(v > 0.0f)) {
    r.defined = false;
    r.z = 0.0f;
    r.p = 1.0f;
    return r;
  }
  const float s = static_cast<float>(std::pow(static_cast<double>(v), 0.5));
  r.z = static_cast<float>((static_cast<double>(r.u) - e) / s);
  if (contcorr == 1) {
    // The half step of the correction stops at zero: it never turns U = E,
    // or U within half a step of E, into evidence against H0.
    const double shrunk = std::max(std::fabs(static_cast<double>(r.u) - e) - 0.5, 0.0);
    r.z = static_cast<float>(shrunk / s);
  }
  const double phi = tsk::stncdf(r.z);
  r.p = static_cast<float>(2 * (1 - phi));
  if (r.p > 1.0f) r.p = static_cast<float>(2 * phi);
  return r;
}

}  // namespace tsk::analyses
