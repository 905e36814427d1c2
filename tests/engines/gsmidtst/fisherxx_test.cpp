// SPDX-License-Identifier: GPL-3.0-or-later
#include "fisherxx.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "fisher_plain.h"

namespace {

using tsk::analyses::canonicalTable;
using tsk::analyses::exactPValue;
using tsk::analyses::fisherxx;

// Exact binomial coefficient for the small arguments below.
double choose(int n, int r) {
  double c = 1.0;
  for (int i = 1; i <= r; ++i) c = c * (n - r + i) / i;
  return c;
}

TEST(Hipgeo, AgreesWithTheBinomialRatio) {
  struct Case {
    int N, K, m, c;
  };
  // Both branches (K above and at most half of N), empty and full draws.
  const Case cases[] = {{20, 10, 10, 10}, {20, 10, 10, 0}, {20, 15, 8, 6},   {20, 3, 8, 1},
                        {11, 5, 7, 4},    {11, 6, 7, 4},   {30, 30, 12, 12}, {30, 0, 12, 0},
                        {50, 26, 25, 13}, {7, 1, 0, 0},    {9, 4, 9, 4}};
  for (const Case& c : cases) {
    const double expected = choose(c.K, c.c) * choose(c.N - c.K, c.m - c.c) / choose(c.N, c.m);
    EXPECT_NEAR(tsk::analyses::hipgeo(c.N, c.K, c.m, c.c), expected, 1e-13 * expected)
        << c.N << " " << c.K << " " << c.m << " " << c.c;
  }
}

// From two samples of about 2000 values on, the running products of the
// textbook recursion leave the double range; the values must not.
TEST(Hipgeo, LargeArgumentsStayFinite) {
  struct Case {
    int N, K, m, c;
    double expected;  // exact rational in big integers, rounded
  };
  const Case cases[] = {{4000, 2000, 2000, 960, 0.0010290598867107891},
                        {4000, 1500, 2000, 700, 0.00012578734282294514}};
  for (const Case& c : cases) {
    EXPECT_NEAR(tsk::analyses::hipgeo(c.N, c.K, c.m, c.c), c.expected, 1e-12 * c.expected)
        << c.N << " " << c.K;
  }
}

TEST(Fisherxx, KnownPValues) {
  struct Case {
    const char* name;
    std::vector<int> le, n;
    double expected;  // exact rational by enumeration in fractions
  };
  const Case cases[] = {
      {"two by two", {4, 3}, {5, 6}, 6.0 / 11},
      // The classic dieting table 1 9 / 11 3.
      {"textbook two by two", {1, 11}, {10, 14}, 41.0 / 14858},
      {"complete separation", {10, 0}, {10, 10}, 1.0 / 92378},
      {"six rows", {3, 2, 0, 2, 0, 1}, {3, 2, 4, 2, 2, 3}, 1.0 / 165},
      // One column empty: a single table.
      {"all values equal", {3, 4, 5}, {3, 4, 5}, 1.0},
      {"all values above", {0, 0}, {7, 2}, 1.0},
      {"two samples of 2000", {960, 1040}, {2000, 2000}, 0.012472992882828333},
      {"three rows of hundreds", {170, 110, 95}, {300, 250, 200}, 0.009095171953214127},
  };
  for (const Case& c : cases) {
    const int k = static_cast<int>(c.n.size());
    EXPECT_NEAR(fisherxx(k, c.le.data(), c.n.data()), c.expected,
                1e-12 + 1e-12 * c.expected)
        << c.name;
    // The plain transcription overflows on the large tables.
    if (c.n[0] < 1000) {
      EXPECT_NEAR(gsmidtst::plain::fisherxx(k, c.le.data(), c.n.data()), c.expected,
                  1e-12 + 1e-12 * c.expected)
          << c.name;
    }
  }
}

// A table counts when its probability is at most P0 (1 + 1e-7). With large
// samples ordinary tables lie far below any absolute tolerance, so the
// relative rule is what keeps small p-values small. Expected: exact sums in
// python3 integers over every table (C(n1, t1) ... C(nk, tk) compared with
// the observed product times 1 + 1e-7), divided by C(N, A). The search takes
// the share of whole groups of counted tables as one less the rest, which
// holds to about 1e-13 absolute: tolerance 1e-12 plus a relative 1e-9.
TEST(Fisherxx, RelativeToleranceOnSmallProbabilities) {
  struct Case {
    std::vector<int> le, n;
    double expected, p0;
  };
  const Case cases[] = {
      {{1200, 800}, {2000, 2000}, 9.890213152118478e-37, 2.7581105212354754e-37},
      {{1100, 900}, {2000, 2000}, 3.0148872515049136e-10, 5.079227150214091e-11},
      {{14, 14, 0, 0, 7, 7},
       {14, 14, 14, 14, 14, 14},
       7.679217436475552e-15,
       7.015635495002471e-18},
      {{12, 11, 3, 2, 9, 5},
       {14, 14, 14, 14, 14, 14},
       6.390663228492133e-05,
       2.6193055102822776e-09},
  };
  for (const Case& c : cases) {
    const int k = static_cast<int>(c.n.size());
    const double p = fisherxx(k, c.le.data(), c.n.data());
    EXPECT_NEAR(p, c.expected, 1e-12 + 1e-9 * c.expected) << c.le[0];
    EXPECT_GE(p, c.p0) << c.le[0];  // the observed table is always counted
    if (k > 2) {
      EXPECT_NEAR(gsmidtst::plain::fisherxx(k, c.le.data(), c.n.data()), c.expected,
                  1e-9 * c.expected);
    }
  }
}

TEST(Fisherxx, GuardsTheNumberOfRows) {
  const int le[7] = {1, 1, 1, 1, 1, 1, 1}, n[7] = {2, 2, 2, 2, 2, 2, 2};
  EXPECT_EQ(fisherxx(7, le, n), -1.0);
  EXPECT_EQ(fisherxx(1, le, n), -1.0);
}

TEST(Fisherxx, CanonicalTableExchangesColumnsAndOrdersRows) {
  // Column totals 9 and 4: exchanged. Totals 2, 5, 2, 4 in that order; the
  // exchange sort moves the first 2 behind the second.
  const int le[4] = {2, 3, 1, 3}, n[4] = {2, 5, 2, 4};
  const auto tb = canonicalTable(4, le, n);
  EXPECT_EQ(tb.A, 4);
  EXPECT_EQ(tb.N, 13);
  const std::vector<int> rows(tb.n.begin(), tb.n.begin() + 4),
      first(tb.a.begin(), tb.a.begin() + 4);
  EXPECT_EQ(rows, (std::vector<int>{5, 4, 2, 2}));
  EXPECT_EQ(first, (std::vector<int>{2, 1, 1, 0}));
}

// Random tables with heavy ties: few distinct row totals and counts at the
// ends or the middle of each row, so that many tables share the observed
// probability. Every split of the rows between the two listed sides must give
// the p-value of the plain enumeration, and the power bound lie above it.
TEST(Fisherxx, FastSearchMatchesFullEnumeration) {
  std::mt19937 rng(20261207);
  int compared = 0;
  for (int round = 0; round < 600; ++round) {
    const int k = 2 + static_cast<int>(rng() % 5);
    const int sizes[2] = {1 + static_cast<int>(rng() % 12), 1 + static_cast<int>(rng() % 12)};
    std::vector<int> n(k), le(k);
    double tables = 1.0;
    for (int i = 0; i < k; ++i) {
      n[i] = sizes[rng() % 2];
      tables *= n[i] + 1;
    }
    if (tables > 1.0e5) continue;
    for (int i = 0; i < k; ++i) {
      switch (rng() % 4) {
        case 0:
          le[i] = 0;
          break;
        case 1:
          le[i] = n[i];
          break;
        case 2:
          le[i] = n[i] / 2;
          break;
        default:
          le[i] = static_cast<int>(rng() % (n[i] + 1));
          break;
      }
    }
    const double expected = gsmidtst::plain::fisherxx(k, le.data(), n.data());
    // Without tolerance the tables tied with the observed one lie exactly at
    // the cut, where the rounding of each product decides, as it does in the
    // plain enumeration.
    const double atCut = gsmidtst::plain::fisherxx(k, le.data(), n.data(), nullptr, 0.0);
    const auto tb = canonicalTable(k, le.data(), n.data());
    for (int head = 0; head <= k; ++head) {
      EXPECT_NEAR(exactPValue(tb, head), expected, 1e-12 + 1e-10 * expected)
          << "round " << round << " head " << head;
      EXPECT_NEAR(exactPValue(tb, head, 0.0), atCut, 1e-12 + 1e-10 * atCut)
          << "round " << round << " head " << head << " without tolerance";
    }
    EXPECT_GE(tsk::analyses::powerBound(tb), expected * (1 - 1e-9)) << "round " << round;
    EXPECT_NEAR(fisherxx(k, le.data(), n.data()), expected, 1e-12 + 1e-10 * expected);
    ++compared;
  }
  EXPECT_GT(compared, 400);
}

// Larger tables, where many sums are decided whole and the lists are swept:
// equal totals (the symmetric case of the timing target), unequal
// ones, and counts from the centre to the extremes.
TEST(Fisherxx, FastSearchMatchesFullEnumerationOnLargerTables) {
  struct Case {
    std::vector<int> le, n;
  };
  const Case cases[] = {
      {{7, 7, 7, 7, 7, 7}, {14, 14, 14, 14, 14, 14}},
      {{10, 9, 3, 4, 8, 2}, {14, 14, 14, 14, 14, 14}},
      {{14, 14, 0, 0, 7, 7}, {14, 14, 14, 14, 14, 14}},
      {{2, 12, 5, 6, 1}, {20, 18, 15, 9, 4}},
      {{30, 2, 9, 0}, {30, 25, 22, 11}},
      {{12, 20, 0}, {40, 35, 30}},
  };
  for (const Case& c : cases) {
    const int k = static_cast<int>(c.n.size());
    long long count = 0;
    const double expected = gsmidtst::plain::fisherxx(k, c.le.data(), c.n.data(), &count);
    const auto tb = canonicalTable(k, c.le.data(), c.n.data());
    for (int head = 0; head < k; ++head) {
      EXPECT_NEAR(exactPValue(tb, head), expected, 1e-12 + 1e-10 * expected)
          << "case " << (&c - cases) << " head " << head << " of " << count << " tables";
    }
  }
}

// Six samples of 300, far too many tables to enumerate: the rows split in
// another order list other partial tables, and must give the same p-value.
// It lies between the observed table's probability and the power bound,
// which stays within a few hundred times it once the samples differ.
TEST(Fisherxx, LargeTablesAgreeAcrossSplitsAndLieWithinTheirBound) {
  const std::vector<int> n(6, 300);
  const std::vector<std::vector<int>> firstColumns = {{165, 155, 150, 150, 145, 135},
                                                      {175, 160, 150, 150, 140, 125},
                                                      {185, 165, 150, 150, 135, 115},
                                                      {195, 170, 150, 150, 130, 105}};
  for (const std::vector<int>& le : firstColumns) {
    const auto tb = canonicalTable(6, le.data(), n.data());
    const double p = exactPValue(tb, 3);
    auto mixed = tb;
    for (int i = 0; i < 6; ++i) mixed.a[i] = tb.a[(i * 5) % 6];  // rows 0 5 4 3 2 1
    EXPECT_NEAR(exactPValue(mixed, 3), p, 1e-14 + 1e-10 * p) << le[0];
    const double p0 = tsk::analyses::probab(6, tb.a.data(), tb.n.data(), tb.A, tb.N);
    const double bound = tsk::analyses::powerBound(tb);
    EXPECT_GE(p, p0) << le[0];
    EXPECT_GE(bound, p) << le[0];
    if (p < 1e-3) {
      EXPECT_LT(bound, 1000 * p) << le[0];
    }
  }
}

// Beyond the precision of the search the bound is the answer: a p-value so
// small is zero to every printed digit, and is never above the bound.
TEST(Fisherxx, ProvenTinyPValuesAreGivenAsTheirBound) {
  const std::vector<int> n(6, 300), le{200, 175, 150, 150, 125, 100};
  const auto tb = canonicalTable(6, le.data(), n.data());
  const double p = fisherxx(6, le.data(), n.data());
  EXPECT_LE(p, 1e-14);
  EXPECT_GE(p, tsk::analyses::probab(6, tb.a.data(), tb.n.data(), tb.A, tb.N));
  EXPECT_DOUBLE_EQ(p, tsk::analyses::powerBound(tb));
}

}  // namespace
