// SPDX-License-Identifier: GPL-3.0-or-later
// The BCa steps shared by the bootstrap engines, against the plain
// transcription of the loops and hand calculations.
#include "bca.h"

#include <gtest/gtest.h>

#include <cmath>

#include "bootstrap_helpers.h"

namespace {

using namespace tsk::bca;
using bootstrap_test::herd;

TEST(Bca, BootstrapValuesAreThoseOfThePlainLoop) {
  // Every bootstrap value, the count below the statistic and where the
  // generator is left, for replication counts around the eight that run side
  // by side, small and capacity-sized samples, both statistics.
  const struct {
    int n, B;
    int32_t seed;
  } cases[] = {{1, 3, 5},       {2, 1, 1},     {3, 7, 130509},     {5, 8, 235959},    {17, 9, 4357},
               {100, 2000, 42}, {999, 333, 7}, {5000, 24, 120000}, {64, 5000, 240000}};
  for (const auto& c : cases) {
    const std::vector<float> x = herd(c.n, static_cast<unsigned>(c.n));
    for (Statistic kind : {Statistic::Mean, Statistic::Crowding}) {
      baseline::Generator g(c.seed);
      auto expected = baseline::oneSample(
          x, c.B, kind == Statistic::Mean ? baseline::Kind::Mean : baseline::Kind::Crowding, g, {});
      tsk::MtBlock mt;
      tsk::sgrnd(mt, c.seed);
      std::vector<float> b(static_cast<size_t>(c.B));
      const float statistic = statisticOf(x.data(), c.n, kind);
      EXPECT_EQ(statistic, expected.statistic);
      Bootstrap result = bootstrap(mt, x.data(), c.n, c.B, kind, statistic, b.data());
      EXPECT_EQ(result.count, expected.count) << c.n << " " << c.B;
      EXPECT_EQ(result.z0, expected.z0);
      EXPECT_EQ(b, expected.sorted) << c.n << " " << c.B;
      EXPECT_EQ(tsk::grnd(mt), g.next()) << c.n << " " << c.B;
      if (c.n > 1) {
        EXPECT_EQ(accelerationOf(x.data(), c.n, kind), expected.a);
      }
    }
  }
}

// The check that a short-cycled or correlated generator fails: at n = 5000
// and B = 20000 the spread of the bootstrap means is the standard error
// s / sqrt(n) of the mean (s with divisor n, the plug-in estimate), within
// 3 %. Its sampling error at B = 20000 is about 1 / sqrt(2 B) = 0.5 %.
TEST(Bca, SpreadOfBootstrapMeansIsTheStandardError) {
  const int n = 5000, B = 20000;
  const std::vector<float> x = herd(n, 21);
  double mean = 0;
  for (float v : x) mean += v;
  mean /= n;
  double ss = 0;
  for (float v : x) ss += (v - mean) * (v - mean);
  const double standardError = std::sqrt(ss / n) / std::sqrt(double{n});
  std::vector<float> b(static_cast<size_t>(B));
  for (tsk::TimeOfDay t : {tsk::TimeOfDay{0, 0, 0}, tsk::TimeOfDay{0, 0, 1},
                           tsk::TimeOfDay{9, 41, 7}, tsk::TimeOfDay{23, 59, 59}}) {
    tsk::MtBlock mt;
    tsk::sgrnd(mt, tsk::clockSeed(t));
    const float m = statisticOf(x.data(), n, Statistic::Mean);
    bootstrap(mt, x.data(), n, B, Statistic::Mean, m, b.data());
    double bm = 0;
    for (float v : b) bm += v;
    bm /= B;
    double bss = 0;
    for (float v : b) bss += (v - bm) * (v - bm);
    const double spread = std::sqrt(bss / (B - 1));
    EXPECT_NEAR(spread / standardError, 1.0, 0.03) << tsk::hhmmss(t);
    EXPECT_NEAR(bm, mean, 4 * standardError / std::sqrt(double{B})) << tsk::hhmmss(t);
  }
}

TEST(Bca, HandCalculations) {
  // Jackknife values 1, 2, 3, 10: mean 4, deviations -3, -2, -1, 6, S2 = 50,
  // S3 = 180, a = -(180 / 50^1.5) / 6 = -0.0848528.
  const float j[] = {1, 2, 3, 10};
  EXPECT_NEAR(acceleration(j, 4), -0.0848528f, 1e-7);
  const float equal[] = {2, 2, 2};
  EXPECT_FALSE(std::isfinite(acceleration(equal, 3)));
  // Sample 1, 1, 1, 5: mean 2, mean crowding (1 + 1 + 1 + 25) / 8 = 3.5;
  // without the 5 the crowding is 3 / 3 = 1, without a 1 it is 27 / 7.
  const float x[] = {1, 1, 1, 5};
  EXPECT_EQ(statisticOf(x, 4, Statistic::Mean), 2.0f);
  EXPECT_EQ(statisticOf(x, 4, Statistic::Crowding), 3.5f);
  float jc[4];
  jackknifeCrowding(x, 4, 8, 28, jc);
  EXPECT_EQ(jc[3], 1.0f);
  EXPECT_EQ(jc[0], static_cast<float>(27.0 / 7.0));
  float jmean[4];
  jackknifeMeans(x, 4, 8, jmean);
  EXPECT_EQ(jmean[3], 1.0f);
  EXPECT_EQ(jmean[0], static_cast<float>(7.0 / 3.0));

  EXPECT_STREQ(undefinedLimits(x, 1), kOneGroup);
  EXPECT_STREQ(undefinedLimits(equal, 3), kEqualGroups);
  EXPECT_EQ(undefinedLimits(x, 4), nullptr);
}

TEST(Bca, LimitIndicesAtTheEnds) {
  std::vector<float> b(100);
  for (int i = 0; i < 100; ++i) b[i] = static_cast<float>(i + 1);
  const struct {
    const char* name;
    float z0, a;
    UpperIndex rule;
    int kl, ku;
    bool uncertain;
  } cases[] = {
      // Every replication below the statistic: z0 = 12.727922, pl = pu = 1,
      // so B pu = B; the upper index stays B under both rules and warns.
      {"all below, mean", 12.727922f, 0.0f, UpperIndex::Truncated, 100, 100, true},
      {"all below, crowding", 12.727922f, 0.0f, UpperIndex::OneAbove, 100, 100, true},
      // None below: z0 = -12.727922, pl = pu = 0: index 0 reads b(1); the
      // crowding rule lifts the upper index to 1.
      {"none below, mean", -12.727922f, 0.0f, UpperIndex::Truncated, 0, 0, true},
      {"none below, crowding", -12.727922f, 0.0f, UpperIndex::OneAbove, 0, 1, true},
      // Centred, B = 100 at 95 %: pl = 0.025 and pu = 0.975 (hand
      // calculation: Phi(-1.959964) = 0.025), so kl = 2, ku = 97 or 98.
      {"centred, mean", 0.0f, 0.0f, UpperIndex::Truncated, 2, 97, true},
      {"centred, crowding", 0.0f, 0.0f, UpperIndex::OneAbove, 2, 98, true},
      // An undefined acceleration never indexes outside the store.
      {"NaN acceleration", 0.0f, NAN, UpperIndex::OneAbove, 0, 1, true},
  };
  for (const auto& c : cases) {
    Limits l = limits(b.data(), 100, c.z0, c.a, 0.95f, c.rule);
    EXPECT_EQ(l.kl, c.kl) << c.name;
    EXPECT_EQ(l.ku, c.ku) << c.name;
    EXPECT_EQ(l.lower, b[c.kl == 0 ? 0 : c.kl - 1]) << c.name;
    EXPECT_EQ(l.upper, b[c.ku == 0 ? 0 : c.ku - 1]) << c.name;
    EXPECT_EQ(l.uncertain, c.uncertain) << c.name;
  }
  // B = 2000 centred: 50 and 1950 (1951 for crowding) at 95 %, no warning;
  // 99 %: 10 and 1990, no warning; the bound is kl < 10 or ku >= 1992.
  std::vector<float> big(2000, 1.0f);
  Limits m95 = limits(big.data(), 2000, 0, 0, 0.95f, UpperIndex::Truncated);
  Limits c95 = limits(big.data(), 2000, 0, 0, 0.95f, UpperIndex::OneAbove);
  Limits m99 = limits(big.data(), 2000, 0, 0, 0.99f, UpperIndex::Truncated);
  EXPECT_EQ(m95.kl, 50);
  EXPECT_NEAR(m95.ku, 1950, 1);
  EXPECT_EQ(c95.ku, m95.ku + 1);
  EXPECT_NEAR(m99.kl, 10, 1);
  EXPECT_NEAR(m99.ku, 1990, 1);
  EXPECT_FALSE(m95.uncertain);
}

}  // namespace
