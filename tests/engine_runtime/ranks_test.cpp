// SPDX-License-Identifier: GPL-3.0-or-later
#include "ranks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "plain_ranks.h"

namespace {

using Vec = std::vector<float>;


struct Ranked {
  Vec r1, r2, q1, q2, p1, p2;
};

Ranked fast(const Vec& x1, const Vec& x2) {
  Ranked r{Vec(x1.size()), Vec(x2.size()), Vec(x1.size()),
           Vec(x2.size()), Vec(x1.size()), Vec(x2.size())};
  const int n1 = static_cast<int>(x1.size()), n2 = static_cast<int>(x2.size());
  tsk::ranks(x1.data(), n1, x2.data(), n2, r.r1.data(), r.r2.data(), r.q1.data(), r.q2.data());
  tsk::ranks2(x1.data(), n1, x2.data(), n2, r.p1.data(), r.p2.data());
  return r;
}

TEST(Ranks, WorkedExamples) {
  // Worked example of the rank routines: 1..4 against 2..5.
  Ranked a = fast({1, 2, 3, 4}, {2, 3, 4, 5});
  EXPECT_EQ(a.r1, (Vec{1, 2.5f, 4.5f, 6.5f}));
  EXPECT_EQ(a.r2, (Vec{2.5f, 4.5f, 6.5f, 8}));
  EXPECT_EQ(a.q1, (Vec{1, 2, 3, 4}));
  EXPECT_EQ(a.q2, (Vec{1, 2, 3, 4}));
  EXPECT_EQ(a.p1, (Vec{0, 1.5f, 3.5f, 5.5f}));
  EXPECT_EQ(a.p2, (Vec{1.5f, 3.5f, 5.5f, 7}));
  // Equal values within a sample: every Q is (n + 1)/2; unsorted input.
  Ranked b = fast({7, 7, 7, 7, 7}, {9, 3});
  EXPECT_EQ(b.q1, Vec(5, 3.0f));
  EXPECT_EQ(b.r1, Vec(5, 4.0f));
  EXPECT_EQ(b.r2, (Vec{7, 1}));
  EXPECT_EQ(b.q2, (Vec{2, 1}));
}

TEST(Ranks, FastAgreesWithAllPairsOnHeavyTies) {
  std::mt19937 gen(20261207);
  struct Shape {
    int n1, n2, levels;  // values drawn from 1..levels: few levels, many ties
  };
  const Shape shapes[] = {{0, 3, 2},      {1, 1, 1},        {1, 5, 3},    {2, 2, 2},
                          {7, 3, 3},      {50, 40, 4},      {100, 1, 10}, {200, 150, 6},
                          {300, 700, 40}, {64, 64, 1000000}};
  for (const Shape& s : shapes) {
    for (int round = 0; round < 5; ++round) {
      std::uniform_int_distribution<int> level(1, s.levels);
      Vec x1(static_cast<size_t>(s.n1)), x2(static_cast<size_t>(s.n2));
      for (float& v : x1) v = static_cast<float>(level(gen)) * 0.5f;
      for (float& v : x2) v = static_cast<float>(level(gen)) * 0.5f;
      if (round == 4 && s.n1 > 0) x1[0] = -0.0f, x2[0] = 0.0f;  // -0 equals +0
      Ranked got = fast(x1, x2);
      Vec r1, r2, q1, q2, p1, p2, unused1, unused2;
      tsk::test::allPairsRanks(x1, x2, r1, r2, q1, q2, 1.0f);
      tsk::test::allPairsRanks(x1, x2, p1, p2, unused1, unused2, 0.0f);
      ASSERT_EQ(got.r1, r1) << s.n1 << "x" << s.n2;
      ASSERT_EQ(got.r2, r2) << s.n1 << "x" << s.n2;
      ASSERT_EQ(got.q1, q1) << s.n1 << "x" << s.n2;
      ASSERT_EQ(got.q2, q2) << s.n1 << "x" << s.n2;
      ASSERT_EQ(got.p1, p1) << s.n1 << "x" << s.n2;
      ASSERT_EQ(got.p2, p2) << s.n1 << "x" << s.n2;
    }
  }
}

TEST(Ranks, ValueThatIsNotANumberComparesWithNothing) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const Vec x1 = {3, nan, 1}, x2 = {nan, 2, 3};
  Ranked got = fast(x1, x2);
  Vec r1, r2, q1, q2;
  tsk::test::allPairsRanks(x1, x2, r1, r2, q1, q2, 1.0f);
  EXPECT_EQ(got.r1, r1);
  EXPECT_EQ(got.r2, r2);
  EXPECT_EQ(got.q1, q1);
  EXPECT_EQ(got.q2, q2);
}

TEST(MeanStd, HandCalculations) {
  struct Case {
    Vec x;
    float mean, sd;  // hand calculation
  };
  const Case cases[] = {
      // 44.75 - 2.625^2 x 4 = 17.1875, / 3 = 5.7291667, root 2.3935678.
      {{0, 1.5f, 3.5f, 5.5f}, 2.625f, 2.3935678f},
      {{1.5f, 3.5f, 5.5f, 7}, 4.375f, 2.3935678f},
      // Seven times 0.1: the rounded sums leave a variance of -7.9e-10
      // (independent computation), clamped to 0 rather than a root of a
      // negative number.
      {Vec(7, 0.1f), 0.1f, 0.0f},
      {Vec(3, 2.5f), 2.5f, 0.0f},
      {{2, 4}, 3, 1.4142135f},
  };
  for (const Case& c : cases) {
    float mean = 0, sd = 0;
    int flag = 0;
    tsk::meanStd(c.x.data(), static_cast<int>(c.x.size()), mean, sd, flag);
    EXPECT_FLOAT_EQ(mean, c.mean);
    EXPECT_FLOAT_EQ(sd, c.sd);
    EXPECT_EQ(flag, 1);
  }
  // One value: the variance is 0/0.
  float mean = 0, sd = 0;
  int flag = 0;
  const float one = 4.0f;
  tsk::meanStd(&one, 1, mean, sd, flag);
  EXPECT_EQ(mean, 4.0f);
  EXPECT_TRUE(std::isnan(sd));
}

}  // namespace
