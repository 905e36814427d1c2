// SPDX-License-Identifier: GPL-3.0-or-later
#include "gsmidlim.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <random>

#include "median_limits.h"
#include "test_support.h"

namespace {

using tsk::test::crlf;
using tsk::test::readFile;
using tsk::test::sameText;
using tsk::test::writeFile;

const std::string kClose(tsk::kClosingLine);
const std::vector<std::string> kTitle = {"  ", "Exact confidence limits for the median group size"};
const std::vector<std::string> kTable = {
    "",
    "    Due to discretness of the data, it is not always possible",
    "    to construct exactly 90% , 95% or 99% confidence limits. In",
    "    such cases usually the shortest interval is chosen of those",
    "    which have at least the desired confidence level.",
    "",
    "    For the present data:",
    "",
    "        Desired       Confidence       Actual (exact)",
    "         level          limits        confidence level",
    "        -------    ----------------   ----------------",
};
const std::vector<std::string> kAdvice = {
    "",
    "    When reporting the confidence limits, always report the",
    "    exact confidence level rather than the desired one.",
};
const std::string kTooSmall =
    "  Sample size too small - can't reach even the 90% confidence level!";

std::string block(const std::vector<double>& sizes, int groups = -1) {
  std::string b = std::to_string(groups < 0 ? static_cast<int>(sizes.size()) : groups) + "\r\n";
  double sum = 0;
  for (double s : sizes) sum += s;
  b += std::to_string(static_cast<long>(sum)) + "\r\n";
  for (double s : sizes) b += tsk::formatF(s, 6, s == std::floor(s) ? 0 : 2) + "\r\n";
  return b + " \r\n";
}

std::string runOn(const tsk::test::TempDir& dir, const std::string& data, int capacity = 999) {
  writeFile(dir / tsk::kDataFile, data);
  writeFile(dir / tsk::kStatusFile, "before start\r\n");
  tsk::EngineContext ctx{dir.path()};
  gsmidlim::run(ctx, capacity);
  EXPECT_EQ(readFile(dir / tsk::kStatusFile), " finished: gsmidlim\r\n");
  return readFile(dir / tsk::kReportFile);
}

std::vector<std::string> report(const std::vector<std::string>& body) {
  std::vector<std::string> lines = kTitle;
  lines.insert(lines.end(), body.begin(), body.end());
  lines.push_back(kClose);
  return lines;
}

// A report through the table: median line, table, the three level lines, advice.
std::vector<std::string> fullReport(const std::string& median,
                                    const std::vector<std::string>& levels) {
  std::vector<std::string> body = {"", median};
  body.insert(body.end(), kTable.begin(), kTable.end());
  body.insert(body.end(), levels.begin(), levels.end());
  body.insert(body.end(), kAdvice.begin(), kAdvice.end());
  return report(body);
}

TEST(Gsmidlim, WholeReports) {
  struct Case {
    const char* name;
    std::string data;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      // Worked example: cum = 1/1024, 11/1024, 56/1024 in the window.
      {"ten groups", block({1, 1, 2, 2, 3, 3, 4, 5, 6, 8}),
       fullReport("    Sample median group size:    3.0",
                  {"          99%      from   1  to   8         99.8%",
                   "          95%      from   1  to   6         98.8%",
                   "          90%      from   1  to   5         94.4%"})},
      // Worked example: only i = 1 (cum 1/32), coverage 1 - 2/32 = 0.9375.
      {"five groups", block({1, 2, 2, 3, 5}),
       fullReport("    Sample median group size:    2.0",
                  {"          99%     Sample too small for 99% limits!",
                   "          95%     Sample too small for 95% limits!",
                   "          90%      from   1  to   5         93.8%"})},
      // Worked example: the pair 1 to 6 covers 1 - 2/64 = 0.96875.
      {"six groups", block({1, 2, 3, 4, 5, 6}),
       fullReport("    Sample median group size:    3.5",
                  {"          99%     Sample too small for 99% limits!",
                   "          95%      from   1  to   6         96.9%",
                   "          90%      from   1  to   6         96.9%"})},
      // One candidate per side (later equal values are not appended): 1 - 2/1024.
      {"all equal", block(std::vector<double>(10, 3)),
       fullReport("    Sample median group size:    3.0",
                  {"          99%      from   3  to   3         99.8%",
                   "          95%      from   3  to   3         99.8%",
                   "          90%      from   3  to   3         99.8%"})},
      // 54 groups: the value 3 fills positions 10 to 19 and the value 6
      // positions 32 to 36; P(10 <= B <= 35) = 0.990082 for B binomial(54,
      // 1/2) (python3, math.comb). The window admits positions 14 to 22 from
      // each end: coverage taken from position 14, where 3 enters, would be
      // P(14 <= B <= 35) = 0.989995, below 99 %, and give [3, 7].
      {"ties across the window",
       block({1, 1, 2, 2, 2, 2, 2, 2, 2, 3, 3,  3,  3,  3,  3,  3,  3,  3,
              3, 4, 4, 4, 4, 4, 5, 5, 5, 5, 5,  5,  5,  6,  6,  6,  6,  6,
              7, 7, 7, 7, 8, 8, 8, 9, 9, 9, 10, 10, 10, 10, 12, 12, 12, 12}),
       fullReport("    Sample median group size:    5.0",
                  {"          99%      from   3  to   6         99.0%",
                   "          95%      from   4  to   6         97.0%",
                   "          90%      from   4  to   6         97.0%"})},
      // Sizes truncate to whole numbers in the limits; the median keeps its fraction.
      {"fractional sizes", block({1.5, 1.5, 2.25, 2.5, 2.75, 3.5, 4.5, 5.5, 6.5, 8.75}),
       fullReport("    Sample median group size:    3.1",
                  {"          99%      from   1  to   8         99.8%",
                   "          95%      from   1  to   6         98.8%",
                   "          90%      from   1  to   5         94.4%"})},
      // Unsorted values give the report of the sorted sample.
      {"unsorted", block({8, 1, 6, 2, 3, 1, 5, 4, 3, 2}),
       fullReport("    Sample median group size:    3.0",
                  {"          99%      from   1  to   8         99.8%",
                   "          95%      from   1  to   6         98.8%",
                   "          90%      from   1  to   5         94.4%"})},
      {"four groups", block({1, 2, 4, 9}),
       report({"", "    Sample median group size:    3.0", "", kTooSmall})},
      {"one group", block({7}),
       report({"", "    Sample median group size:    7.0", "", kTooSmall})},
      {"no groups", "0\r\n0\r\n \r\n",
       report({"", "    Sample median group size:   none", "", kTooSmall})},
      {"count above the values", block({1, 2, 3, 4, 5}, 6),
       report({"  ", "    ERROR: inconsistent data"})},
      {"second sample read as sizes", block({1, 2, 3, 4, 5}) + block({2, 3}),
       report({"  ", "    ERROR: inconsistent data"})},
      {"empty file", "", report({"    ERROR: unexpected end of data"})},
      {"no animal count", "5\r\n", report({"    ERROR: unexpected end of data"})},
      {"invalid count", "five\r\n5\r\n", report({"    ERROR: invalid data"})},
      {"invalid size", "3\r\n6\r\n1\r\nx\r\n3\r\n", report({"    ERROR: invalid data"})},
  };
  for (const Case& c : cases) {
    tsk::test::TempDir dir;
    EXPECT_TRUE(sameText(crlf(c.expected), runOn(dir, c.data))) << c.name;
  }
}

TEST(Gsmidlim, CapacityIsInclusive) {
  tsk::test::TempDir dir;
  std::vector<double> sizes(999, 2);
  std::string text = runOn(dir, block(sizes));
  EXPECT_NE(text.find("          90%      from   2  to   2        100.0%"), std::string::npos)
      << text;
  sizes.push_back(2);
  EXPECT_TRUE(sameText(crlf(report({"    ", "    ERROR: max. sample size is 999"})),
                       runOn(dir, block(sizes))));
}

TEST(Gsmidlim, MissingExchangeFile) {
  tsk::test::TempDir dir;
  tsk::EngineContext ctx{dir.path()};
  gsmidlim::run(ctx);
  EXPECT_TRUE(sameText(crlf({" " + tsk::missingFileMessage("TSKDAT.TMP"), kClose}),
                       readFile(dir / tsk::kReportFile)));
  EXPECT_EQ(readFile(dir / tsk::kStatusFile), " finished: gsmidlim\r\n");
}

// Coverages compared strictly with the level, ties in width kept by the first pair.
TEST(Gsmidlim, Choice) {
  struct Case {
    const char* name;
    tsk::analyses::Candidates c;
    float level;
    int lo, hi;
  };
  // 0.475f + 0.475f is exactly 0.95f (doubling is exact).
  const Case cases[] = {
      {"coverage equal to the level", {{2}, {5}, {0.475f}, {0.475f}}, 0.95f, 0, 0},
      {"coverage just above", {{2}, {5}, {0.475f}, {0.4750001f}}, 0.95f, 2, 5},
      // Widths 3, 4, (2: coverage too low), 3.
      {"first of equal widths", {{2, 3}, {5, 6}, {0.49f, 0.47f}, {0.47f, 0.49f}}, 0.95f, 2, 5},
      {"narrower wins", {{2, 3}, {7, 5}, {0.49f, 0.48f}, {0.49f, 0.48f}}, 0.95f, 3, 5},
      {"none qualifies", {{2}, {5}, {0.4f}, {0.4f}}, 0.90f, 0, 0},
  };
  for (const Case& c : cases) {
    tsk::analyses::Interval chosen;
    tsk::analyses::choose(c.c, c.level, chosen);
    EXPECT_EQ(chosen.lo, c.lo) << c.name;
    EXPECT_EQ(chosen.hi, c.hi) << c.name;
  }
  // A choice made at one level stands when a later level adds nothing.
  tsk::analyses::Interval kept{1, 9, 0.999f};
  tsk::analyses::choose({{2}, {5}, {0.4f}, {0.4f}}, 0.90f, kept);
  EXPECT_EQ(kept.lo, 1);
  EXPECT_EQ(kept.hi, 9);
}

// The limits against a brute-force computation over all pairs of order
// statistics: the interval from x(i) to x(j), i < j, covers the median with
// probability P(i <= B <= j - 1), B binomial(n, 1/2), summed from exact
// coefficients in long double. A pair of limit values takes the largest
// coverage of any pair of positions that holds it. The values eligible as
// limits are those at the positions that the window 4.999e-05 < P(B <= i - 1)
// <= 0.1 admits; among them the narrowest pair whose coverage exceeds the
// level is chosen, the first in candidate order among equal widths.
TEST(Gsmidlim, LimitsMatchAllPairsOfOrderStatistics) {
  std::mt19937 gen(12345);
  int compared = 0;
  for (int round = 0; round < 400; ++round) {
    const int n = 5 + static_cast<int>(gen() % (round < 300 ? 120 : 995));
    // Few distinct values, so that ties straddle the window's edges.
    const int spread = 2 + static_cast<int>(gen() % 14);
    std::vector<float> x(static_cast<size_t>(n));
    for (float& v : x) v = static_cast<float>(1 + gen() % spread);
    std::sort(x.begin(), x.end());

    // below[k] = P(B <= k - 1).
    std::vector<long double> below(static_cast<size_t>(n) + 2, 0.0L);
    long double coef = 1.0L;  // C(n, k)
    const long double scale = std::pow(0.5L, n);
    for (int k = 0; k <= n; ++k) {
      below[static_cast<size_t>(k) + 1] = below[static_cast<size_t>(k)] + coef * scale;
      coef = coef * (n - k) / (k + 1);
    }
    std::vector<int> lowerValues, upperValues;
    for (int i = 1; i <= n / 2; ++i) {
      const long double cum = below[static_cast<size_t>(i)];
      if (!(cum > static_cast<long double>(4.999e-05f) && cum <= static_cast<long double>(0.1f))) {
        continue;
      }
      const int v = static_cast<int>(x[static_cast<size_t>(i - 1)]);
      const int w = static_cast<int>(x[static_cast<size_t>(n - i)]);
      if (lowerValues.empty() || lowerValues.back() != v) lowerValues.push_back(v);
      if (upperValues.empty() || upperValues.back() != w) upperValues.push_back(w);
    }
    const auto coverage = [&](int lo, int hi) {
      long double best = 0.0L;
      for (int i = 1; i <= n; ++i) {
        for (int j = i + 1; j <= n; ++j) {
          if (static_cast<int>(x[static_cast<size_t>(i - 1)]) != lo ||
              static_cast<int>(x[static_cast<size_t>(j - 1)]) != hi) {
            continue;
          }
          best = std::max(best, below[static_cast<size_t>(j)] - below[static_cast<size_t>(i)]);
        }
      }
      return best;
    };

    const tsk::analyses::Candidates c = tsk::analyses::candidates(x);
    ASSERT_EQ(c.lower, lowerValues) << "n " << n;
    ASSERT_EQ(c.upper, upperValues) << "n " << n;
    tsk::analyses::Interval chosen;
    int refLo = 0, refHi = 0;
    long double refCoverage = 0.0L;
    for (float level : {0.99f, 0.95f, 0.90f}) {
      long double bestWidth = 10000.0L;
      for (int lo : lowerValues) {
        for (int hi : upperValues) {
          const long double cov = coverage(lo, hi);
          if (cov > level && hi - lo < bestWidth) {
            refLo = lo, refHi = hi, refCoverage = cov, bestWidth = hi - lo;
          }
        }
      }
      tsk::analyses::choose(c, level, chosen);
      EXPECT_EQ(chosen.lo, refLo) << "n " << n << " level " << level;
      EXPECT_EQ(chosen.hi, refHi) << "n " << n << " level " << level;
      EXPECT_NEAR(chosen.coverage, static_cast<double>(refCoverage), 1e-6) << "n " << n;
    }
    ++compared;
  }
  EXPECT_EQ(compared, 400);
}

// Sizes whose whole part does not fit 32 bits cannot become limits: an ERROR
// line instead of undefined conversions, and the run finishes. 2147483647
// reads as 2^31 in single precision.
TEST(Gsmidlim, SizesBeyondThirtyTwoBits) {
  const std::vector<std::string> error =
      report({"    ERROR: invalid data (group size out of range)"});
  for (const std::string big : {"2147483648", "2147483647", "3e9", "-3e9", "1e30"}) {
    std::string data = "5\r\n15\r\n1\r\n2\r\n3\r\n4\r\n" + big + "\r\n \r\n";
    tsk::test::TempDir dir;
    EXPECT_TRUE(sameText(crlf(error), runOn(dir, data))) << big;
  }
  // The largest single-precision value below 2^31 is accepted. In the
  // ten-group worked example in place of the 8 it is too far out to be
  // chosen (widths start from 10000), and the inner limits stand.
  tsk::test::TempDir dir;
  EXPECT_TRUE(sameText(crlf(fullReport("    Sample median group size:    3.0",
                                       {"          99%     Sample too small for 99% limits!",
                                        "          95%      from   1  to   6         98.8%",
                                        "          90%      from   1  to   5         94.4%"})),
                       runOn(dir,
                             "10\r\n0\r\n1\r\n1\r\n2\r\n2\r\n3\r\n3\r\n4\r\n5\r\n6\r\n"
                             "2147483520\r\n \r\n")));
}

// The program through the command-line runner, on a sample file in a
// temporary directory: the ten-group worked example.
TEST(Gsmidlim, EndToEnd) {
  const auto tskrun = tsk::test::binDir() / "tskrun";
  if (!std::filesystem::exists(tskrun) ||
      !std::filesystem::exists(tsk::test::binDir() / "gsmidlim")) {
    GTEST_SKIP() << "tskrun or gsmidlim not built";
  }
  tsk::test::TempDir dir;
  writeFile(dir / "terns.dat", "10\r\n35\r\n1\r\n1\r\n2\r\n2\r\n3\r\n3\r\n4\r\n5\r\n6\r\n8\r\n");
  const std::string command = "cd '" + dir.path().string() + "' && '" + tskrun.string() +
                              "' --report-only gsmidlim terns.dat > out.txt";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  EXPECT_TRUE(sameText(crlf(fullReport("    Sample median group size:    3.0",
                                       {"          99%      from   1  to   8         99.8%",
                                        "          95%      from   1  to   6         98.8%",
                                        "          90%      from   1  to   5         94.4%"})),
                       readFile(dir / "out.txt")));
  EXPECT_EQ(readFile(dir / tsk::kStatusFile), " finished: gsmidlim\r\n");
}

}  // namespace
