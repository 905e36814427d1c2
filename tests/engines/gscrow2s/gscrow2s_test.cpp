// SPDX-License-Identifier: GPL-3.0-or-later
#include "gscrow2s.h"

#include <gtest/gtest.h>

#include "bootstrap_helpers.h"

namespace {

using namespace bootstrap_test;
using tsk::test::splitLines;

constexpr const char* kPar = "crowreps.par";
const std::vector<std::string> kTitle = {"", "Two-sample comparison of mean crowding"};

std::string expectedReport(const std::vector<float>& x1, const std::vector<float>& x2, int B,
                           tsk::TimeOfDay t = {13, 5, 9}) {
  baseline::Generator g = generatorAt(t);
  return report(baseline::twoSampleReport(x1, x2, B, g));
}

std::string titleAnd(std::vector<std::string> body) {
  std::vector<std::string> lines = kTitle;
  lines.insert(lines.end(), body.begin(), body.end());
  return report(lines);
}

TEST(Gscrow2s, WholeReportsAgreeWithThePlainLoops) {
  const struct {
    const char* name;
    std::vector<float> x1, x2;
    int B;
    tsk::TimeOfDay time;
    const char* verdict;  // last line before the closing line
  } cases[] = {
      {"identical samples overlap",
       herd(80, 21),
       herd(80, 21),
       2000,
       {13, 5, 9},
       "    between the two samples is non-significant (p>0.05)."},
      {"different herds", herd(200, 22), herd(150, 23), 2000, {7, 7, 7}, nullptr},
      {"few replications warn", herd(50, 24), herd(60, 25), 100, {16, 20, 0}, nullptr},
      {"full store", herd(400, 26), herd(300, 27), 20000, {0, 0, 0}, nullptr},
  };
  for (const auto& c : cases) {
    TempDir dir;
    Outcome o = runAt(gscrow2s::run, dir, block(c.x1) + block(c.x2), kPar,
                      parameters(std::to_string(c.B)), 1999, c.time);
    const std::string expected = expectedReport(c.x1, c.x2, c.B, c.time);
    EXPECT_TRUE(sameText(expected, o.report)) << c.name;
    EXPECT_EQ(o.status, " finished: gscrow2s\r\n") << c.name;
    if (c.verdict) {
      auto lines = splitLines(o.report);
      EXPECT_EQ(lines[lines.size() - 2], c.verdict) << c.name;
    }
  }
  // Sizes raised by 30 in sample 2: the intervals lie far apart.
  std::vector<float> big = herd(150, 28);
  for (float& v : big) v += 30;
  TempDir dir;
  Outcome o =
      runAt(gscrow2s::run, dir, block(herd(200, 22)) + block(big), kPar, parameters("500"), 5000);
  EXPECT_TRUE(sameText(expectedReport(herd(200, 22), big, 500), o.report));
  auto lines = splitLines(o.report);
  EXPECT_EQ(lines[lines.size() - 3],
            "    As the above 97.5% confidence intervals do not overlap, the difference");
  EXPECT_EQ(lines[lines.size() - 2], "    between the two samples is significant (p<0.05).");
}

TEST(Gscrow2s, TouchingIntervalsOverlap) {
  // Resamples of 1, 2 have the crowding 1, 5/3 or 2 and those of 2, 3 the
  // crowding 2, 13/5 or 3, each end value with probability 1/4: sample 1's
  // upper limit (index near 0.83 B) and sample 2's lower limit (index near
  // 0) are both 2.00, whatever the seed. Touching intervals overlap.
  const std::vector<float> x1 = {1, 2}, x2 = {2, 3};
  for (tsk::TimeOfDay time : {tsk::TimeOfDay{13, 5, 9}, tsk::TimeOfDay{22, 40, 17}}) {
    TempDir dir;
    Outcome o =
        runAt(gscrow2s::run, dir, block(x1) + block(x2), kPar, parameters("2000"), 5000, time);
    EXPECT_TRUE(sameText(expectedReport(x1, x2, 2000, time), o.report));
    baseline::Generator g = generatorAt(time);
    auto r1 = baseline::oneSample(x1, 2000, baseline::Kind::Crowding, g, {0.975f});
    auto r2 = baseline::oneSample(x2, 2000, baseline::Kind::Crowding, g, {0.975f});
    EXPECT_EQ(r1.levels[0].upper, 2.0f);
    EXPECT_EQ(r2.levels[0].lower, 2.0f);
    auto lines = splitLines(o.report);
    EXPECT_EQ(lines[lines.size() - 3],
              "    As the above 97.5% confidence intervals overlap, the difference");
    EXPECT_EQ(lines[lines.size() - 2], "    between the two samples is non-significant (p>0.05).");
  }
}

TEST(Gscrow2s, FewReplicationsWarnAfterEachInterval) {
  TempDir dir;
  Outcome o = runAt(gscrow2s::run, dir, block(herd(50, 24)) + block(herd(60, 25)), kPar,
                    parameters("100"), 5000);
  size_t warnings = 0;
  for (const auto& line : splitLines(o.report)) {
    warnings +=
        line == "      WARNING: 97.5% limits are uncertain, increase the number of replications!";
  }
  EXPECT_EQ(warnings, 2u);
}

TEST(Gscrow2s, ReadingAndParameterMessages) {
  const std::vector<float> x = herd(20, 29);
  std::vector<std::string> warned = splitLines(expectedReport(x, x, 2000));
  warned.insert(warned.begin() + 2,
                {"   WARNING: Error reading file crowreps.par, check data and format. Number of",
                 "            bootstrap replications is set to 2000.", " "});
  const struct {
    const char* name;
    std::string data;
    std::optional<std::string> par;
    int capacity;
    std::string expected;
  } cases[] = {
      // Capacity checks use the declared count before any size is read.
      {"sample 1 too large", "5001\r\n9999\r\n", parameters("10"), 5000,
       titleAnd({"    ERROR: sample 1 too large (max=5000)"})},
      {"sample 1 too large, small build", "2000\r\n9999\r\n", parameters("10"), 1999,
       titleAnd({"    ERROR: sample 1 too large (max=1999)"})},
      {"sample 2 too large", block(x) + "2000\r\n9999\r\n", parameters("10"), 1999,
       titleAnd({"    ERROR: sample 2 too large (max=1999)"})},
      {"capacity accepted", block(herd(1999, 30)) + block(x), parameters("10"), 1999,
       expectedReport(herd(1999, 30), x, 10)},
      {"sample 1 cut short", "5\r\n10\r\n1\r\n2\r\n", parameters("10"), 5000,
       titleAnd({"    ERROR: unexpected end of data"})},
      {"no separator", "2\r\n3\r\n1\r\n2\r\n", parameters("10"), 5000,
       titleAnd({"    ERROR: unexpected end of data"})},
      {"no second sample", block(x), parameters("10"), 5000,
       titleAnd({"    ERROR: unexpected end of data"})},
      {"second counts only", block(x) + "3\r\n6\r\n", parameters("10"), 5000,
       titleAnd({"    ERROR: unexpected end of data"})},
      {"empty file", "", parameters("10"), 5000, titleAnd({"    ERROR: unexpected end of data"})},
      {"invalid size", "2\r\n3\r\n1\r\nzz\r\n \r\n" + block(x), parameters("10"), 5000,
       titleAnd({"    ERROR: invalid data"})},
      {"invalid count", "two\r\n3\r\n", parameters("10"), 5000,
       titleAnd({"    ERROR: invalid data"})},
      {"sample without groups", "0\r\n0\r\n \r\n" + block(x), parameters("10"), 5000,
       titleAnd({"    ERROR: sample 1 has no groups"})},
      {"zero size", block(x) + block({1, 0, 2}), parameters("10"), 5000,
       titleAnd({"    ERROR: group sizes must be positive"})},
      {"missing parameter file", block(x) + block(x), std::nullopt, 5000,
       titleAnd({"     ERROR: cannot open file crowreps.par"})},
      {"unreadable parameter file", block(x) + block(x), parameters("lots"), 5000, crlf(warned)},
      {"negative replications", block(x) + block(x), parameters("-1"), 5000, crlf(warned)},
  };
  for (const auto& c : cases) {
    TempDir dir;
    Outcome o = runAt(gscrow2s::run, dir, c.data, kPar, c.par, c.capacity);
    EXPECT_TRUE(sameText(c.expected, o.report)) << c.name;
    EXPECT_EQ(o.status, " finished: gscrow2s\r\n") << c.name;
  }
}

TEST(Gscrow2s, SampleWithoutLimitsKeepsTheOthersDraws) {
  // Sample 1 of equal groups has no limits, yet its B n1 draws are made, so
  // sample 2's interval is the one the full loop gives it.
  const std::vector<float> x1(7, 3.0f);
  const std::vector<float> x2 = herd(45, 31);
  const int B = 300;
  baseline::Generator g = generatorAt(13, 5, 9);
  for (int i = 0; i < B * 7; ++i) g.next();
  auto r = baseline::oneSample(x2, B, baseline::Kind::Crowding, g, {0.975f});
  const baseline::Level& l = r.levels[0];
  char limitsLine[128], crowding[64];
  std::snprintf(limitsLine, sizeof limitsLine,
                "    97.5%% confidence limits:%7.2f to%7.2f (bootst. indices:%6d ,%6d)", l.lower,
                l.upper, l.kl, l.ku);
  std::snprintf(crowding, sizeof crowding, "    Sample mean crowding =%7.2f", r.statistic);
  std::vector<std::string> body = {"",
                                   "  Sample 1:",
                                   "    Sample mean crowding =   3.00",
                                   "    Number of groups in the sample =    7",
                                   "    ERROR: all groups have the same size, no confidence limits",
                                   "",
                                   "  Sample 2:",
                                   crowding,
                                   "    Number of groups in the sample =   45",
                                   "  ",
                                   "    Number of bootstrap replications =   300",
                                   "     (to change edit the file crowreps.par)",
                                   "",
                                   limitsLine};
  if (l.warn) {
    body.push_back(
        "      WARNING: 97.5% limits are uncertain, increase the number of replications!");
  }
  body.insert(body.end(), {"", "Comparison based on confidence intervals:",
                           "    No comparison: a sample has no confidence interval."});
  TempDir dir;
  Outcome o = runAt(gscrow2s::run, dir, block(x1) + block(x2), kPar, parameters("300"), 5000);
  EXPECT_TRUE(sameText(titleAnd(body), o.report));
}

TEST(Gscrow2s, BothBuildsRunThroughTskrun) {
  for (const char* program : {"gscrow2s", "gscrow29"}) {
    TempDir dir;
    writeFile(dir / "a.dat", datFile(herd(90, 32)));
    writeFile(dir / "b.dat", datFile(herd(70, 33)));
    writeFile(dir / kPar, parameters("400"));
    tsk::TimeOfDay before, after;
    auto out = tskrun(dir, std::string(program) + " a.dat b.dat", before, after);
    if (!out) GTEST_SKIP() << "tskrun not built";
    EXPECT_EQ(readFile(dir / tsk::kStatusFile), " finished: gscrow2s\r\n");
    auto samples = exchangeSamples(dir / tsk::kDataFile);
    ASSERT_EQ(samples.size(), 2u);
    EXPECT_TRUE(reportOfSomeSecond(*out, before, after, [&](tsk::TimeOfDay t) {
      return expectedReport(samples[0], samples[1], 400, t);
    })) << *out;
  }
}

}  // namespace
