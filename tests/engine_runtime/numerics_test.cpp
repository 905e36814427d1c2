// SPDX-License-Identifier: GPL-3.0-or-later
#include "numerics.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace tsk {
namespace {

TEST(Stncdf, QuotedPointsAndTails) {
  // Quoted values (7 decimals) of the routine, and its exact 0 and 1 tails.
  struct Case {
    float z;
    float expected;
    float tolerance;
  } cases[] = {
      {0.0f, 0.5f, 0.0f},   {1.96f, 0.9750021f, 1e-7f}, {-1.0f, 0.1586552f, 1e-7f},
      {20.0f, 1.0f, 0.0f},  {-20.0f, 0.0f, 0.0f},       {13.2f, 1.0f, 0.0f},
      {-13.2f, 0.0f, 0.0f},
  };
  for (const auto& c : cases) EXPECT_NEAR(stncdf(c.z), c.expected, c.tolerance) << c.z;
  EXPECT_TRUE(std::isnan(stncdf(std::numeric_limits<float>::quiet_NaN())));
}

TEST(Stncdf, AgreesWithTheLibraryErrorFunction) {
  // Independent computation: 0.5 erfc(-z / sqrt 2) in double. In the lower
  // tail a relative tolerance of 2e-6, widened by 2e-7 z^2 for the argument
  // |z| / sqrt 2 rounded to single precision (relative error of the tail
  // about z^2 times that of its argument); above the median absolute 1e-6,
  // where 0.5 + erf / 2 is stored.
  for (double z = -9.0; z <= 9.0; z += 0.01) {
    float zf = static_cast<float>(z);
    float got = stncdf(zf);
    double refAtZf = 0.5 * std::erfc(-static_cast<double>(zf) / std::sqrt(2.0));
    if (zf < 0) {
      EXPECT_NEAR(got / refAtZf, 1.0, 2e-6 + 2e-7 * z * z) << z;
    } else {
      EXPECT_NEAR(got, refAtZf, 1e-6) << z;
    }
  }
}

TEST(Stnicdf, QuotedPointsAndOutsideTheUnitInterval) {
  struct Case {
    float p;
    float expected;
  } cases[] = {
      {0.975f, 1.959964f}, {0.05f, -1.644854f},  {0.0f, -12.727922f},
      {1.0f, 12.727922f},  {-0.5f, -12.727922f}, {1.5f, 12.727922f},
  };
  // Quoted values to 7 significant digits: within 1e-6 of them.
  for (const auto& c : cases) EXPECT_NEAR(stnicdf(c.p), c.expected, 1e-6) << c.p;
  float half = stnicdf(0.5f);
  EXPECT_EQ(half, 0.0f);
  EXPECT_TRUE(std::signbit(half));
}

TEST(Stnicdf, ExactTableEntriesNeedNoIteration) {
  // p = erfc(k) / 2 exactly as the table holds erfc(k) gives -k sqrt 2, the
  // single-precision power 2**0.5 times k (hand calculation), for k = 1..9.
  const float table[] = {0.1572992f,     0.004677735f,   2.2090497e-05f,
                         1.5417259e-08f, 1.5374598e-12f, 2.1519737e-17f,
                         4.1833827e-23f, 1.1224297e-29f, 4.1370317e-37f};
  const float sqrt2 = static_cast<float>(std::pow(2.0, 0.5));
  for (int k = 1; k <= 9; ++k) {
    float p = static_cast<float>(0.5 * table[k - 1]);
    EXPECT_EQ(stnicdf(p), -static_cast<float>(k * static_cast<double>(sqrt2))) << k;
    // The mirror point above the median: 1 - p is rounded, so only near,
    // and only while 1 - p still differs from 1.
    if (k <= 2) {
      EXPECT_NEAR(stnicdf(1.0f - p), k * sqrt2, 1e-5) << k;
    }
  }
}

TEST(Stnicdf, InvertsStncdf) {
  // Round trips across the range, relative 1e-5 of the probability.
  for (double p = 1e-6; p < 1.0; p = p < 0.01 ? p * 3 : p + 0.0137) {
    float pf = static_cast<float>(p);
    float z = stnicdf(pf);
    EXPECT_NEAR(stncdf(z) / pf, 1.0, 1e-5) << p;
    EXPECT_EQ(z < 0.0f, pf < 0.5f) << p;
  }
}

TEST(Sort, BothVariantsSortAscending) {
  std::mt19937 rng(42);
  for (int n : {0, 1, 2, 3, 7, 100, 101, 1000, 20000}) {
    for (int spread : {3, 1000000}) {  // many ties, few ties
      std::vector<float> x(n);
      std::uniform_int_distribution<int> pick(0, spread);
      for (auto& v : x) v = static_cast<float>(pick(rng)) / 7.0f;
      std::vector<float> expected = x;
      std::stable_sort(expected.begin(), expected.end());
      std::vector<float> a = x, b = x;
      sort(a.data(), n);
      sortGap(b.data(), n);
      ASSERT_EQ(a, expected) << n;
      ASSERT_EQ(b, expected) << n;
    }
  }
  // Descending and already ascending input, both variants.
  std::vector<float> down(501);
  for (int i = 0; i < 501; ++i) down[i] = static_cast<float>(500 - i);
  std::vector<float> up = down;
  std::reverse(up.begin(), up.end());
  for (auto f : {&sort, &sortGap}) {
    std::vector<float> d = down, u = up;
    f(d.data(), 501);
    f(u.data(), 501);
    EXPECT_EQ(d, up);
    EXPECT_EQ(u, up);
  }
}

TEST(Sort, NaNDoesNotBreakTheSort) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  std::vector<float> x = {3, nan, 1, 2, nan, 0};
  sort(x.data(), static_cast<int>(x.size()));
  // Exchange sort: the NaNs stay in place, the finite values around them
  // are ordered among the comparisons that hold (hand trace).
  EXPECT_EQ(x[0], 0.0f);
  EXPECT_TRUE(std::isnan(x[1]));
  EXPECT_TRUE(std::isnan(x[4]));
  EXPECT_EQ(x[2], 1.0f);
  EXPECT_EQ(x[3], 2.0f);
  EXPECT_EQ(x[5], 3.0f);
}

}  // namespace
}  // namespace tsk
