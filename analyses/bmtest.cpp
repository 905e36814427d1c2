// SPDX-License-Identifier: GPL-3.0-or-later
#include "bmtest.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "ranks.h"

namespace tsk::analyses {

namespace {

// Sum of squares of R - Q - mean + (n + 1)/2 over one sample, divided by n - 1.
float rankVariance(const std::vector<float>& r, const std::vector<float>& q, float mean) {
  const double n = static_cast<double>(r.size());
  float sum = 0.0f;
  for (size_t k = 0; k < r.size(); ++k) {
    const double d = static_cast<double>(r[k]) - q[k] - mean + (n + 1) / 2;
    sum = static_cast<float>(sum + d * d);
  }
  return static_cast<float>(sum / (n - 1));
}

float meanOf(const std::vector<float>& r) {
  float sum = 0.0f;
  for (float v : r) sum = static_cast<float>(static_cast<double>(sum) + v);
  return static_cast<float>(static_cast<double>(sum) / static_cast<double>(r.size()));
}

}  // namespace

BmResult bmtest(std::span<const float> x1, std::span<const float> x2) {
  const int n1 = static_cast<int>(x1.size()), n2 = static_cast<int>(x2.size());
  std::vector<float> r1(x1.size()), r2(x2.size()), q1(x1.size()), q2(x2.size());
  tsk::ranks(x1.data(), n1, x2.data(), n2, r1.data(), r2.data(), q1.data(), q2.data());
  const float mean1 = meanOf(r1), mean2 = meanOf(r2);
  const float s1 = rankVariance(r1, q1, mean1), s2 = rankVariance(r2, q2, mean2);
  const float v = static_cast<float>(static_cast<double>(n1) * s1 + static_cast<double>(n2) * s2);

  BmResult r;
  if (!(v > 0.0f)) return r;  // also 0/0 from a sample of one group
  const float root = static_cast<float>(std::sqrt(static_cast<double>(v)));
  r.w = static_cast<float>(static_cast<double>(n1) * n2 * (static_cast<double>(mean2) - mean1) /
                           (n1 + n2) / root);
  const float a = static_cast<float>(static_cast<double>(s1) / n2 + static_cast<double>(s2) / n1);
  const double a1 = static_cast<double>(s1) / n2, a2 = static_cast<double>(s2) / n1;
  const float b = static_cast<float>(a1 * a1 / (n1 - 1) + a2 * a2 / (n2 - 1));
  r.f = static_cast<float>(static_cast<double>(a) * a / b);
  return r;
}

BmUndefined whyUndefined(std::span<const float> x1, std::span<const float> x2, float f) {
  if (f > 0.0f) return BmUndefined::Defined;
  if (x1.size() < 2 || x2.size() < 2) return BmUndefined::OneGroup;
  const auto [min1, max1] = std::minmax_element(x1.begin(), x1.end());
  const auto [min2, max2] = std::minmax_element(x2.begin(), x2.end());
  if (*min1 == *max1 && *min2 == *max2 && *min1 == *min2) return BmUndefined::AllEqual;
  if (*max1 < *min2 || *max2 < *min1) return BmUndefined::Separated;
  return BmUndefined::ZeroVariance;
}

}  // namespace tsk::analyses
