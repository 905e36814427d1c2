// SPDX-License-Identifier: GPL-3.0-or-later
#include "baseline.h"

#include <cmath>

#include "../plain_mt19937.h"

namespace gsmean2s_baseline {

namespace {

// Each stored value rounded to single, the arithmetic between in double.
float st(int n1, int n2, const std::vector<float>& a, const std::vector<float>& b, float& m1,
         float& m2, float& s1, float& s2) {
  float sa = 0, qa = 0, sb = 0, qb = 0;
  for (int i = 0; i < n1; ++i) {
    sa = static_cast<float>(static_cast<double>(sa) + a[i]);
    qa = static_cast<float>(static_cast<double>(qa) + static_cast<double>(a[i]) * a[i]);
  }
  for (int i = 0; i < n2; ++i) {
    sb = static_cast<float>(static_cast<double>(sb) + b[i]);
    qb = static_cast<float>(static_cast<double>(qb) + static_cast<double>(b[i]) * b[i]);
  }
  m1 = static_cast<float>(static_cast<double>(sa) / n1);
  float q1 = static_cast<float>((qa - static_cast<double>(m1) * m1 * n1) / (n1 - 1));
  if (q1 < 0) q1 = 0;
  s1 = static_cast<float>(std::sqrt(static_cast<double>(q1)));
  m2 = static_cast<float>(static_cast<double>(sb) / n2);
  float q2 = static_cast<float>((qb - static_cast<double>(m2) * m2 * n2) / (n2 - 1));
  if (q2 < 0) q2 = 0;
  s2 = static_cast<float>(std::sqrt(static_cast<double>(q2)));
  float se = static_cast<float>(
      std::sqrt(static_cast<double>(s1) * s1 / n1 + static_cast<double>(s2) * s2 / n2));
  if (se <= 0) se = 0.00001f;
  return static_cast<float>((static_cast<double>(m1) - m2) / se);
}

}  // namespace

Result run(const std::vector<float>& x1, const std::vector<float>& x2, int b, int32_t seed) {
  plain::Mt19937 g(seed);
  const int n1 = static_cast<int>(x1.size()), n2 = static_cast<int>(x2.size());
  Result r;
  r.t = st(n1, n2, x1, x2, r.m1, r.m2, r.s1, r.s2);
  const float pooled = static_cast<float>(
      (static_cast<double>(n1) * r.m1 + static_cast<double>(n2) * r.m2) / (n1 + n2));
  std::vector<float> y1(x1.size()), y2(x2.size()), z1(x1.size()), z2(x2.size());
  for (int i = 0; i < n1; ++i)
    y1[i] = static_cast<float>((static_cast<double>(x1[i]) - r.m1) + pooled);
  for (int j = 0; j < n2; ++j)
    y2[j] = static_cast<float>((static_cast<double>(x2[j]) - r.m2) + pooled);
  for (int rep = 1; rep <= b; ++rep) {
    for (int i = 0; i < n1; ++i) z1[i] = y1[g.draw(n1) - 1];
    for (int j = 0; j < n2; ++j) z2[j] = y2[g.draw(n2) - 1];
    float a, c, d, e;
    const float tStar = st(n1, n2, z1, z2, a, c, d, e);
    if (std::fabs(tStar) < std::fabs(r.t)) ++r.count;
  }
  r.p = static_cast<float>(1.0 - static_cast<double>(r.count) / b);
  r.next = g.next();
  return r;
}

}  // namespace gsmean2s_baseline
