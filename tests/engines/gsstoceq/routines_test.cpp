// SPDX-License-Identifier: GPL-3.0-or-later
// The engine's routines against worked examples and against the plain
// transcription on randomised samples with heavy ties.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "bmtest.h"
#include "bootwmw.h"
#include "plain_stoceq.h"
#include "wmwtest.h"

namespace {

using plain::Vec;

TEST(Routines, WorkedExamples) {
  // Brunner-Munzel worked example: W = 1.1161, f = 6 (p 0.3071).
  const tsk::analyses::BmResult bm = tsk::analyses::bmtest(Vec{1, 2, 3, 4}, Vec{2, 3, 4, 5});
  EXPECT_NEAR(bm.w, 1.1161, 5e-5);
  EXPECT_FLOAT_EQ(bm.f, 6.0f);
  // S1^2 = 4.5, S2^2 = 0: W = 0 and f = 1 exactly; the tail of t = 0 is 1.
  const tsk::analyses::BmResult one = tsk::analyses::bmtest(Vec{1, 5}, Vec{3, 3, 3});
  EXPECT_EQ(one.w, 0.0f);
  EXPECT_EQ(one.f, 1.0f);
  // Separation, all equal and a single group: no positive variance.
  for (const auto& [x1, x2] : {std::pair<Vec, Vec>{{1, 2, 3}, {4, 5, 6}},
                               {{3, 3, 3}, {3, 3, 3}},
                               {{5}, {2, 4, 6}},
                               {{1, 2}, {7}}}) {
    const tsk::analyses::BmResult r = tsk::analyses::bmtest(x1, x2);
    EXPECT_EQ(r.w, 0.0f);
    EXPECT_EQ(r.f, 0.0f);
  }

  // Shift and rank-Welch worked example: d = 1, y = 1..4, T0 = -1.0340 from
  // the pooled ranks minus one 0, 1.5, 3.5, 5.5 and 1.5, 3.5, 5.5, 7.
  float d = 0;
  EXPECT_EQ(tsk::analyses::adjuszt(Vec{1, 2, 3, 4}, Vec{2, 3, 4, 5}, 1.0f, &d), (Vec{1, 2, 3, 4}));
  EXPECT_EQ(d, 1.0f);
  EXPECT_NEAR(tsk::analyses::wmw2(Vec{1, 2, 3, 4}, Vec{2, 3, 4, 5}).t, -1.0340, 5e-5);
  // Heavy ties: d = 1, y = 0, 1, 1, 1 and U' / 16 = 0.28125 exactly.
  const Vec y = tsk::analyses::adjuszt(Vec{1, 1, 1, 2}, Vec{1, 2, 2, 2}, 1.0f);
  EXPECT_EQ(y, (Vec{0, 1, 1, 1}));
  EXPECT_EQ(tsk::analyses::wmwtest(Vec{1, 1, 1, 2}, y).u / 16, 0.28125f);
  // An even count of differences takes the mean of the two middle ones.
  EXPECT_EQ(tsk::analyses::adjuszt(Vec{0}, Vec{1, 4}, 2.0f, &d), (Vec{-3, 3}));
  EXPECT_EQ(d, 2.5f);

  // All values equal: p is 1, not the 0 that a zero variance would give.
  const tsk::analyses::WmwResult equal = tsk::analyses::wmwtest(Vec{2, 2}, Vec{2, 2, 2});
  EXPECT_FALSE(equal.defined);
  EXPECT_EQ(equal.p, 1.0f);
  EXPECT_EQ(equal.u, 3.0f);
}

// The continuity correction shrinks |U - E| by half a step and stops at
// zero. Hand values: V = n1 n2 (n1 + n2 + 1) / 12 without ties, z = (|U - E|
// - 0.5) / sqrt(V) or 0, p = erfc(z / sqrt 2) with math.erfc of python3.
TEST(Routines, ContinuityCorrectionStopsAtZero) {
  struct Case {
    const char* name;
    Vec x1, x2;
    float u, z;
    double p;
  };
  const Case cases[] = {
      // U = E = 2: the half step used to give z = -0.5 / 1.2909944 and p = 0.6985.
      {"U equal to E", {1, 4}, {2, 3}, 2.0f, 0.0f, 1.0},
      {"identical samples", {1, 2, 3, 4, 5}, {1, 2, 3, 4, 5}, 12.5f, 0.0f, 1.0},
      // U = 2.5, E = 2: exactly half a step away.
      {"half a step", {1, 3}, {2, 3}, 2.5f, 0.0f, 1.0},
      // U = 9, E = 4.5, V = 5.25: z = 4 / 2.2912878 = 1.7457431, p = 0.0808556.
      {"separated", {1, 2, 3}, {4, 5, 6}, 9.0f, 1.7457431f, 0.0808556},
      {"separated, exchanged", {4, 5, 6}, {1, 2, 3}, 0.0f, 1.7457431f, 0.0808556},
  };
  for (const Case& c : cases) {
    const tsk::analyses::WmwResult r = tsk::analyses::wmwtest(c.x1, c.x2);
    EXPECT_EQ(r.u, c.u) << c.name;
    EXPECT_NEAR(r.z, c.z, 1e-6) << c.name;
    EXPECT_NEAR(r.p, c.p, 2e-6 * c.p) << c.name;
  }
}

TEST(Routines, DrawIndexStaysInsideTheSample) {
  // Words chosen so that the tempered outputs are 0xFFFFFFFF (u = 1) and 0.
  auto untemper = [](uint32_t y) {
    y ^= y >> 18;
    y ^= (y << 15) & 0xEFC60000u;
    uint32_t t = y;
    for (int i = 0; i < 5; ++i) t = y ^ ((t << 7) & 0x9D2C5680u);
    y = t;
    for (int i = 0; i < 3; ++i) t = y ^ (t >> 11);
    return t;
  };
  tsk::MtBlock mt;
  mt.mti = 0;
  mt.mt[0] = untemper(0xFFFFFFFFu);
  mt.mt[1] = untemper(0);
  Vec out(2);
  tsk::analyses::bootm(mt, Vec{10, 20, 30}, out);
  EXPECT_EQ(out, (Vec{30, 10}));
}

struct Samples {
  Vec x1, x2;
};

// Ascending samples (as the front end writes them) with values from few
// levels, so that ties are the rule.
Samples randomSamples(std::mt19937& gen, int n1, int n2, int levels, float spread) {
  std::uniform_int_distribution<int> level(1, levels);
  Samples s{Vec(size_t(n1)), Vec(size_t(n2))};
  for (float& v : s.x1) v = float(level(gen));
  for (float& v : s.x2) v = float(level(gen)) * spread;
  std::sort(s.x1.begin(), s.x1.end());
  std::sort(s.x2.begin(), s.x2.end());
  return s;
}

struct Shape {
  int n1, n2, levels;
  float spread;
};
const Shape kShapes[] = {
    {1, 1, 3, 1},   {1, 6, 3, 1},        {2, 2, 2, 1},     {5, 3, 4, 1.5f},      {12, 9, 3, 1},
    {40, 60, 5, 1}, {100, 30, 8, 1.25f}, {150, 150, 2, 1}, {300, 200, 60, 0.7f}, {80, 80, 1, 1}};

TEST(Routines, FastAgreesWithPlainOnHeavyTies) {
  std::mt19937 gen(77);
  for (const Shape& shape : kShapes) {
    for (int round = 0; round < 4; ++round) {
      const Samples s = randomSamples(gen, shape.n1, shape.n2, shape.levels, shape.spread);
      const std::string where = std::to_string(shape.n1) + "x" + std::to_string(shape.n2);
      EXPECT_EQ(tsk::analyses::ties(s.x1, s.x2), plain::ties(s.x1, s.x2)) << where;
      const plain::Wmw w = plain::wmwtest(s.x1, s.x2);
      const tsk::analyses::WmwResult fast = tsk::analyses::wmwtest(s.x1, s.x2);
      EXPECT_EQ(fast.u, w.u) << where;
      if (fast.defined) {
        EXPECT_EQ(fast.z, w.z) << where;
        EXPECT_EQ(fast.p, w.p) << where;
      }
      const plain::Bm bm = plain::bmtest(s.x1, s.x2);
      const tsk::analyses::BmResult fastBm = tsk::analyses::bmtest(s.x1, s.x2);
      EXPECT_EQ(fastBm.w, bm.w) << where;
      EXPECT_EQ(fastBm.f, bm.f) << where;
      float d1 = 0, d2 = 0;
      EXPECT_EQ(tsk::analyses::adjuszt(s.x1, s.x2, 1.0f, &d1), plain::adjuszt(s.x1, s.x2, 1.0f, &d2))
          << where;
      EXPECT_EQ(d1, d2) << where;
      const float t = tsk::analyses::wmw2(s.x1, s.x2).t, tp = plain::wmw2(s.x1, s.x2);
      EXPECT_TRUE(t == tp || (std::isnan(t) && std::isnan(tp))) << where;
    }
  }
}

TEST(Routines, BootstrapReplicationsMatchThePlainDraws) {
  std::mt19937 gen(4242);
  int seed = 0;
  // Large samples, where the single-precision sums of squared ranks round,
  // with few replications: 11 fills one batch of eight and part of the next.
  // 4000 x 200, sample 1 the larger, takes the rank sums in index order, past 2^23.
  std::vector<std::pair<Shape, int>> shapes = {{{2000, 1000, 40, 1}, 11},
                                               {{2000, 1000, 3000, 0.5f}, 11},
                                               {{4000, 200, 30, 0.5f}, 2}};
  for (const Shape& shape : kShapes) {
    if (shape.n1 * shape.n2 <= 20000) shapes.push_back({shape, 60});  // the plain ranking is quadratic
  }
  for (const auto& [shape, b] : shapes) {
    for (int round = 0; round < 2; ++round, seed += 10101) {
      const Samples s = randomSamples(gen, shape.n1, shape.n2, shape.levels, shape.spread);
      const std::string where = std::to_string(shape.n1) + "x" + std::to_string(shape.n2);
      tsk::MtBlock mt;
      tsk::sgrnd(mt, seed);
      Vec fastStats;
      const tsk::analyses::BootResult fast =
          tsk::analyses::bootwmw(mt, s.x1, s.x2, tsk::analyses::adjuszt(s.x1, s.x2, 1.0f), b, &fastStats);
      plain::Mt pm(seed);
      Vec stats;
      const float p = plain::bootwmw(pm, s.x1, s.x2, b, &stats);
      if (!fast.defined) {
        EXPECT_TRUE(std::isnan(plain::wmw2(s.x1, s.x2))) << where;
        EXPECT_EQ(p, 0.0f) << where;  // the routine's own answer when T0 is 0/0
        continue;
      }
      ASSERT_EQ(fastStats.size(), stats.size());
      for (size_t i = 0; i < stats.size(); ++i) {
        ASSERT_TRUE(fastStats[i] == stats[i] || (std::isnan(fastStats[i]) && std::isnan(stats[i])))
            << where << " replication " << i;
      }
      EXPECT_EQ(fast.p, p) << where;
    }
  }
}

}  // namespace
