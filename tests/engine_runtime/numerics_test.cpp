#include "numerics.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace tsk {
namespace {

// The generator step as the state record defines it, through the floating
// remainder; the independent reference for the integer forms.
float unif01ByRemainder(Ranseed& r) {
  double product = r.multiplier * r.state;
  r.state = product - r.modulus * std::floor(product / r.modulus);
  return static_cast<float>(r.state / r.modulus);
}

TEST(Unif01, SeedFromTimeOfDayAndFirstDraw) {
  // Worked example: 13:05:09 seeds 130509; 131061 * 130509 mod 524287 = 300961
  // (hand calculation), returned as 300961 / 524287 in single precision.
  Ranseed r;
  seedRanseed(r, TimeOfDay{13, 5, 9});
  EXPECT_EQ(r.state, 130509.0);
  EXPECT_EQ(unif01(r), 0.57403862f);
  EXPECT_EQ(r.state, 300961.0);
}

TEST(Unif01, MidnightDoesNotFreezeTheGenerator) {
  Ranseed r;
  seedRanseed(r, TimeOfDay{0, 0, 0});
  EXPECT_EQ(r.state, static_cast<double>(kMidnightSeed));
  float first = unif01(r);
  float second = unif01(r);
  EXPECT_GT(first, 0.0f);
  EXPECT_NE(first, second);
  // No time of day shares the replacement seed: the latest, 23:59:59, is
  // 235959 and the earliest after midnight is 1.
  seedRanseed(r, TimeOfDay{23, 59, 59});
  EXPECT_EQ(r.state, 235959.0);
  EXPECT_GT(kMidnightSeed, 235959u);
  EXPECT_LT(kMidnightSeed, kLehmerModulus);
}

TEST(Unif01, IntegerFormsWalkTheSameStatesAsTheRemainder) {
  for (int seed : {1, 130509, 235959, 524286, 7}) {
    Ranseed a, b;
    a.state = b.state = seed;
    uint32_t s = static_cast<uint32_t>(seed);
    for (int i = 0; i < 300000; ++i) {
      float u = unif01(a);
      ASSERT_EQ(u, unif01ByRemainder(b)) << "seed " << seed << " draw " << i;
      s = lehmerNext(s);
      ASSERT_EQ(s, ranseedState(a));
      ASSERT_EQ(unifValue(s), u);
      ASSERT_GT(u, 0.0f);
      ASSERT_LT(u, 1.0f);
    }
  }
}

TEST(Unif01, PeriodAndJumpAhead) {
  // 131061 has order 262143 modulo 524287: the cycle closes there, not before.
  uint32_t s = 130509;
  uint32_t t = s;
  for (uint32_t i = 1; i <= kLehmerPeriod; ++i) {
    t = lehmerNext(t);
    if (i < kLehmerPeriod) {
      ASSERT_NE(t, s) << i;
    }
  }
  EXPECT_EQ(t, s);

  // Jumps against the same number of single steps.
  uint32_t walked = 4711;
  uint64_t done = 0;
  for (uint64_t k : {0ull, 1ull, 2ull, 5000ull, 99999ull, 262142ull, 262143ull, 100000000ull}) {
    for (; done < k && done < 300000; ++done) walked = lehmerNext(walked);
    uint32_t expected = k <= 300000 ? walked : lehmerJump(lehmerJump(4711, k - 262143), 262143);
    EXPECT_EQ(lehmerJump(4711, k), expected) << k;
  }
  EXPECT_EQ(lehmerJump(0, 12345), 0u);
}

TEST(Unif01, IndexCycleGivesTheDrawsOfTheLoop) {
  for (int n : {1, 2, 3, 999, 5000}) {
    Ranseed r;
    r.state = 123456;
    IndexCycle cycle(ranseedState(r), n);
    ASSERT_EQ(cycle.period(), static_cast<int>(kLehmerPeriod));
    // Straight loop: k = int(u * n + 1), in double from the single u.
    for (uint64_t t = 0; t < 270000; ++t) {
      float u = unif01(r);
      int k = static_cast<int>(static_cast<double>(u) * n + 1.0);
      if (k > n) k = n;
      ASSERT_EQ(cycle.data()[cycle.offset(t)], k - 1) << "n " << n << " draw " << t;
    }
    // The stored tail repeats the cycle's start, so runs of n stay contiguous.
    for (int i = 0; i < n; ++i) ASSERT_EQ(cycle.data()[cycle.period() + i], cycle.data()[i]);
  }
  EXPECT_EQ(IndexCycle(0, 7).period(), 1);
  EXPECT_THROW(IndexCycle(5, 0), std::invalid_argument);
}

TEST(ResampleIndex, ProductInDoubleNotSingle) {
  // State 58091 gives u = 0.110799998 (58091 / 524287 in single precision);
  // u * 5000 = 553.99999 in double, index 554, but rounds to 554.0 in single,
  // which would give 555 (independent computation of both products).
  float u = unifValue(58091);
  EXPECT_EQ(u, 0.110799998f);
  EXPECT_EQ(static_cast<float>(u * 5000.0f), 554.0f);
  EXPECT_EQ(resampleIndex(u, 5000), 554);
  // The largest u below 1 stays at n; u = 0 is the first position.
  EXPECT_EQ(resampleIndex(std::nextafter(1.0f, 0.0f), 5000), 5000);
  EXPECT_EQ(resampleIndex(0.0f, 5000), 1);
}

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
