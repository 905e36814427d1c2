#include "gsmidlim.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <random>

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
    gsmidlim::Candidates c;
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
    gsmidlim::Interval chosen;
    gsmidlim::choose(c.c, c.level, chosen);
    EXPECT_EQ(chosen.lo, c.lo) << c.name;
    EXPECT_EQ(chosen.hi, c.hi) << c.name;
  }
  // A choice made at one level stands when a later level adds nothing.
  gsmidlim::Interval kept{1, 9, 0.999f};
  gsmidlim::choose({{2}, {5}, {0.4f}, {0.4f}}, 0.90f, kept);
  EXPECT_EQ(kept.lo, 1);
  EXPECT_EQ(kept.hi, 9);
}

// Candidates against binomial tails summed from exact coefficients (long
// double), on random ascending samples of every size from 5 to 120.
TEST(Gsmidlim, CandidatesMatchBinomialTails) {
  std::mt19937 gen(12345);
  for (int n = 5; n <= 120; ++n) {
    std::vector<float> x(static_cast<size_t>(n));
    std::uniform_int_distribution<int> size(1, 12);
    for (float& v : x) v = static_cast<float>(size(gen));
    std::sort(x.begin(), x.end());

    gsmidlim::Candidates expected;
    int lastL = 0, lastU = 0;
    long double coef = 1, cum = 0;  // C(n, k) and P(X <= k - 1)
    for (int i = 1; i <= n / 2; ++i) {
      cum += coef * std::pow(0.5L, n);
      coef = coef * (n - i + 1) / i;
      if (cum > 4.999e-05L && cum <= 0.1L) {
        float cov = static_cast<float>(0.5L - cum);
        int v = static_cast<int>(x[static_cast<size_t>(i - 1)]);
        int w = static_cast<int>(x[static_cast<size_t>(n - i)]);
        if (v != lastL) expected.lower.push_back(lastL = v), expected.lowerCoverage.push_back(cov);
        if (w != lastU) expected.upper.push_back(lastU = w), expected.upperCoverage.push_back(cov);
      }
    }
    gsmidlim::Candidates got = gsmidlim::candidates(x);
    EXPECT_EQ(got.lower, expected.lower) << n;
    EXPECT_EQ(got.upper, expected.upper) << n;
    ASSERT_EQ(got.lowerCoverage.size(), expected.lowerCoverage.size()) << n;
    for (size_t k = 0; k < got.lowerCoverage.size(); ++k) {
      EXPECT_NEAR(got.lowerCoverage[k], expected.lowerCoverage[k], 1e-7f) << n;
    }
  }
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
  const std::string command =
      "cd '" + dir.path().string() + "' && '" + tskrun.string() + "' gsmidlim terns.dat > out.txt";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  EXPECT_TRUE(sameText(crlf(fullReport("    Sample median group size:    3.0",
                                       {"          99%      from   1  to   8         99.8%",
                                        "          95%      from   1  to   6         98.8%",
                                        "          90%      from   1  to   5         94.4%"})),
                       readFile(dir / "out.txt")));
  EXPECT_EQ(readFile(dir / tsk::kStatusFile), " finished: gsmidlim\r\n");
}

}  // namespace
