// SPDX-License-Identifier: GPL-3.0-or-later
#include "gsmeanci.h"

#include <gtest/gtest.h>

#include "bootstrap_helpers.h"

namespace {

using namespace bootstrap_test;
using baseline::Kind;
using tsk::test::splitLines;

constexpr const char* kPar = "gsmeanci.par";

const std::vector<std::string> kTitle = {
    "", "Bootstrap (BCa) confidence limits for the mean group size", " "};

std::vector<std::string> titleAnd(std::vector<std::string> body) {
  std::vector<std::string> lines = kTitle;
  lines.insert(lines.end(), body.begin(), body.end());
  return lines;
}

// The report of a normal run, from the plain transcription of the loops.
std::string expectedReport(const std::vector<float>& x, int B, tsk::TimeOfDay t = {13, 5, 9}) {
  baseline::Generator g = generatorAt(t);
  auto r = baseline::oneSample(x, B, Kind::Mean, g, {0.90f, 0.95f, 0.99f});
  return report(baseline::oneSampleReport(Kind::Mean, static_cast<int>(x.size()), B, r));
}

TEST(Gsmeanci, WholeReportsAgreeWithThePlainLoops) {
  const struct {
    const char* name;
    std::vector<float> x;
    int B;
    tsk::TimeOfDay time;
  } cases[] = {
      {"skewed 60 groups", herd(60, 1), 2000, {13, 5, 9}},
      {"two groups", {1, 5}, 500, {9, 0, 0}},
      {"fractional sizes", {1.5f, 2.25f, 3, 7.75f, 2, 1}, 999, {23, 59, 59}},
      // 20000 replications: eight side by side with none left over, 1000
      // groups: the small build's largest sample less one.
      {"full store", herd(998, 2), 20000, {6, 30, 1}},
      // 13 replications: one group of eight and five single ones.
      {"odd count", herd(25, 3), 13, {12, 0, 0}},
      // Midnight runs with the replacement seed, not a frozen generator.
      {"midnight", herd(40, 4), 1000, {0, 0, 0}},
  };
  for (const auto& c : cases) {
    TempDir dir;
    Outcome o =
        runAt(gsmeanci::run, dir, block(c.x), kPar, parameters(std::to_string(c.B)), 999, c.time);
    EXPECT_TRUE(sameText(expectedReport(c.x, c.B, c.time), o.report)) << c.name;
    EXPECT_EQ(o.status, " finished: gsmeanci\r\n") << c.name;
  }
}

TEST(Gsmeanci, IndicesAndWarningsOfACentredSample) {
  // A symmetric sample: with B = 2000 the indices sit near 100/1900, 50/1950
  // and 10/1990; with B = 100 every level warns (ku above 92 already at 90 %).
  std::vector<float> x;
  for (int v = 1; v <= 9; ++v)
    for (int k = 0; k < 9 - std::abs(5 - v); ++k) x.push_back(static_cast<float>(v));
  TempDir dir;
  Outcome o = runAt(gsmeanci::run, dir, block(x), kPar, parameters("2000"), 5000);
  EXPECT_TRUE(sameText(expectedReport(x, 2000), o.report));
  baseline::Generator g = generatorAt(13, 5, 9);
  auto r = baseline::oneSample(x, 2000, Kind::Mean, g, {0.90f, 0.95f, 0.99f});
  const int near[3][2] = {{100, 1900}, {50, 1950}, {10, 1990}};
  for (int i = 0; i < 3; ++i) {
    EXPECT_NEAR(r.levels[i].kl, near[i][0], 0.5 * near[i][0]) << i;
    EXPECT_NEAR(r.levels[i].ku, near[i][1], 60) << i;
  }

  o = runAt(gsmeanci::run, dir, block(x), kPar, parameters("100"), 5000);
  EXPECT_TRUE(sameText(expectedReport(x, 100), o.report));
  for (const char* level : {"90", "95", "99"}) {
    EXPECT_NE(o.report.find(std::string("      WARNING: ") + level +
                            "% limits are uncertain, increase the number of replications!\r\n"),
              std::string::npos)
        << level;
  }
}

TEST(Gsmeanci, ParameterFile) {
  const std::vector<float> x = herd(30, 5);
  const std::string warning[] = {
      "   WARNING: Error reading file gsmeanci.par, check data and format. Number of",
      "            bootstrap replications is set to 2000.", " "};
  const struct {
    const char* name;
    std::string par;
    int B;
    bool warns;
  } cases[] = {
      {"above the store", parameters("50000"), 20000, false},
      {"two lines only", "one\r\ntwo\r\n", 2000, true},
      {"not a number", parameters("many"), 2000, true},
      {"not an integer", parameters("2000.5"), 2000, true},
      {"zero", parameters("0"), 2000, true},
      {"negative", parameters("-5"), 2000, true},
      {"rest of line ignored", parameters("300 replications"), 300, false},
  };
  for (const auto& c : cases) {
    TempDir dir;
    Outcome o = runAt(gsmeanci::run, dir, block(x), kPar, c.par, 5000);
    std::vector<std::string> lines = splitLines(expectedReport(x, c.B));
    if (c.warns) lines.insert(lines.begin() + 3, std::begin(warning), std::end(warning));
    EXPECT_TRUE(sameText(crlf(lines), o.report)) << c.name;
    EXPECT_EQ(o.status, " finished: gsmeanci\r\n") << c.name;
  }
}

TEST(Gsmeanci, MessagesEndTheReport) {
  const std::vector<float> ten = herd(10, 6);
  const std::vector<float> eleven = herd(11, 6);
  const struct {
    const char* name;
    std::string data;
    std::optional<std::string> par;
    int capacity;
    std::vector<std::string> body;
  } cases[] = {
      {"no values", "3\r\n9\r\n", parameters("100"), 5000, {"  Sample size = 0, check data!"}},
      {"empty file", "", parameters("100"), 5000, {"  Sample size = 0, check data!"}},
      {"count says 12, 11 follow",
       block(eleven, 12),
       parameters("100"),
       5000,
       {"  ", "  ***** STOP: inconsistent data"}},
      {"one value too many",
       block(ten, 9),
       parameters("100"),
       5000,
       {"  ", "  ***** STOP: inconsistent data"}},
      {"invalid size",
       "2\r\n3\r\n1\r\nabc\r\n",
       parameters("100"),
       5000,
       {"    ERROR: invalid data"}},
      {"invalid count", "x\r\n3\r\n1\r\n", parameters("100"), 5000, {"    ERROR: invalid data"}},
      {"small build, 1000 values",
       block(herd(1000, 7)),
       parameters("100"),
       999,
       {"    ERROR: max. sample size is 999"}},
      {"large build, 5001 values",
       block(herd(5001, 7)),
       parameters("100"),
       5000,
       {"    ERROR: max. sample size is 5000"}},
      {"missing parameter file",
       block(ten),
       std::nullopt,
       5000,
       {"     ERROR: cannot open file gsmeanci.par"}},
      {"one group",
       block({7}),
       parameters("100"),
       5000,
       {"    Sample mean group size =     7.00", "    Number of groups in the sample =    1",
        "    ERROR: one group only, no confidence limits"}},
      {"equal groups",
       block({3, 3, 3, 3}),
       parameters("100"),
       5000,
       {"    Sample mean group size =     3.00", "    Number of groups in the sample =    4",
        "    ERROR: all groups have the same size, no confidence limits"}},
  };
  for (const auto& c : cases) {
    TempDir dir;
    Outcome o = runAt(gsmeanci::run, dir, c.data, kPar, c.par, c.capacity);
    EXPECT_TRUE(sameText(report(titleAnd(c.body)), o.report)) << c.name;
    EXPECT_EQ(o.status, " finished: gsmeanci\r\n") << c.name;
  }
}

TEST(Gsmeanci, CapacityIsInclusive) {
  for (int capacity : {999, 5000}) {
    const std::vector<float> x = herd(capacity, 8);
    TempDir dir;
    Outcome o = runAt(gsmeanci::run, dir, block(x), kPar, parameters("16"), capacity);
    EXPECT_TRUE(sameText(expectedReport(x, 16), o.report)) << capacity;
  }
}

TEST(Gsmeanci, MissingExchangeFile) {
  TempDir dir;
  tsk::EngineContext context{dir.path(), tsk::fixedClock(13, 5, 9)};
  gsmeanci::run(context, 5000);
  EXPECT_TRUE(sameText(report({"     ERROR: cannot open file TSKDAT.TMP"}),
                       readFile(dir / tsk::kReportFile)));
  EXPECT_EQ(readFile(dir / tsk::kStatusFile), " finished: gsmeanci\r\n");
}

TEST(Gsmeanci, SameSecondSameLimitsNextSecondOthers) {
  const std::vector<float> x = herd(200, 9);
  TempDir dir;
  std::string first =
      runAt(gsmeanci::run, dir, block(x), kPar, parameters("2000"), 5000, {10, 11, 12}).report;
  std::string again =
      runAt(gsmeanci::run, dir, block(x), kPar, parameters("2000"), 5000, {10, 11, 12}).report;
  std::string later =
      runAt(gsmeanci::run, dir, block(x), kPar, parameters("2000"), 5000, {10, 11, 13}).report;
  EXPECT_EQ(first, again);
  EXPECT_NE(first, later);
}

TEST(Gsmeanci, BothBuildsRunThroughTskrun) {
  for (const char* program : {"gsmeanci", "gsmeanc9"}) {
    TempDir dir;
    const std::vector<float> x = herd(80, 10);
    writeFile(dir / "herd.dat", datFile(x));
    writeFile(dir / kPar, parameters("700"));
    tsk::TimeOfDay before, after;
    auto out = tskrun(dir, std::string(program) + " herd.dat", before, after);
    if (!out) GTEST_SKIP() << "tskrun not built";
    EXPECT_EQ(readFile(dir / tsk::kStatusFile), " finished: gsmeanci\r\n");
    // The engine's seed is one of the seconds the run spanned.
    auto samples = exchangeSamples(dir / tsk::kDataFile);
    ASSERT_EQ(samples.size(), 1u);
    EXPECT_TRUE(reportOfSomeSecond(*out, before, after, [&](tsk::TimeOfDay t) {
      return expectedReport(samples[0], 700, t);
    })) << *out;
  }
}

}  // namespace
