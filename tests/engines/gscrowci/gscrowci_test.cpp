// SPDX-License-Identifier: GPL-3.0-or-later
#include "gscrowci.h"

#include <gtest/gtest.h>

#include "bootstrap_helpers.h"

namespace {

using namespace bootstrap_test;
using baseline::Kind;
using tsk::test::splitLines;

constexpr const char* kPar = "crowreps.par";

std::string expectedReport(const std::vector<float>& x, int B, tsk::TimeOfDay t = {13, 5, 9}) {
  baseline::Generator g = generatorAt(t);
  auto r = baseline::oneSample(x, B, Kind::Crowding, g, {0.90f, 0.95f, 0.99f});
  return report(baseline::oneSampleReport(Kind::Crowding, static_cast<int>(x.size()), B, r));
}

TEST(Gscrowci, WholeReportsAgreeWithThePlainLoops) {
  const struct {
    const char* name;
    std::vector<float> x;
    int B;
    tsk::TimeOfDay time;
  } cases[] = {
      // Worked example: mean crowding (1 + 1 + 1 + 25) / 8 = 3.50.
      {"1, 1, 1, 5", {1, 1, 1, 5}, 2000, {13, 5, 9}},
      {"skewed 300 groups", herd(300, 11), 2000, {8, 15, 30}},
      {"few replications", herd(40, 12), 30, {17, 45, 0}},
      {"full store", herd(500, 13), 20000, {21, 0, 59}},
      {"fractional sizes", {0.5f, 1.25f, 3, 12.5f, 2, 2}, 1001, {0, 0, 0}},
  };
  for (const auto& c : cases) {
    TempDir dir;
    Outcome o =
        runAt(gscrowci::run, dir, block(c.x), kPar, parameters(std::to_string(c.B)), 999, c.time);
    EXPECT_TRUE(sameText(expectedReport(c.x, c.B, c.time), o.report)) << c.name;
    EXPECT_EQ(o.status, " finished: gscrowci\r\n") << c.name;
  }
  TempDir dir;
  Outcome o = runAt(gscrowci::run, dir, block({1, 1, 1, 5}), kPar, parameters("100"), 999);
  EXPECT_EQ(splitLines(o.report)[3], "    Sample mean crowding =   3.50");
}

TEST(Gscrowci, ParameterFileAndMessages) {
  const std::vector<float> x = herd(30, 14);
  const std::vector<std::string> title = {
      "", "Bootstrap (BCa) confidence limits for the mean crowding", " "};
  auto titleAnd = [&](std::vector<std::string> body) {
    std::vector<std::string> lines = title;
    lines.insert(lines.end(), body.begin(), body.end());
    return report(lines);
  };
  std::vector<std::string> warned = splitLines(expectedReport(x, 2000));
  warned.insert(warned.begin() + 3,
                {"   WARNING: Error reading file crowreps.par, check data and format. Number of",
                 "            bootstrap replications is set to 2000.", " "});
  const struct {
    const char* name;
    std::string data;
    std::optional<std::string> par;
    int capacity;
    std::string expected;
  } cases[] = {
      {"above the store", block(x), parameters("50000"), 5000, expectedReport(x, 20000)},
      {"unreadable", block(x), "only one line\r\n", 5000, crlf(warned)},
      {"zero", block(x), parameters("0"), 5000, crlf(warned)},
      {"missing", block(x), std::nullopt, 5000,
       titleAnd({"     ERROR: cannot open file crowreps.par"})},
      {"small build, 1000 values", block(herd(1000, 15)), parameters("10"), 999,
       titleAnd({"    ERROR: max. sample size is 999"})},
      {"small build, 999 values", block(herd(999, 15)), parameters("10"), 999,
       expectedReport(herd(999, 15), 10)},
      {"large build, 5001 values", block(herd(5001, 15)), parameters("10"), 5000,
       titleAnd({"    ERROR: max. sample size is 5000"})},
      {"large build, 5000 values", block(herd(5000, 15)), parameters("10"), 5000,
       expectedReport(herd(5000, 15), 10)},
      {"no values", "0\r\n0\r\n", parameters("10"), 5000,
       titleAnd({"  Sample size = 0, check data!"})},
      {"inconsistent", block(x, 31), parameters("10"), 5000,
       titleAnd({"  ", "  ***** STOP: inconsistent data"})},
      // A zero size would make the crowding of a resample 0 / 0.
      {"zero size", block({0, 2, 3}), parameters("10"), 5000,
       titleAnd({"    ERROR: group sizes must be positive"})},
      {"negative size", block({2, -1, 3}), parameters("10"), 5000,
       titleAnd({"    ERROR: group sizes must be positive"})},
      {"one group", block({6}), parameters("10"), 5000,
       titleAnd({"    Sample mean crowding =   6.00", "    Number of groups in the sample =    1",
                 "    ERROR: one group only, no confidence limits"})},
      {"equal groups", block({4, 4, 4}), parameters("10"), 5000,
       titleAnd({"    Sample mean crowding =   4.00", "    Number of groups in the sample =    3",
                 "    ERROR: all groups have the same size, no confidence limits"})},
  };
  for (const auto& c : cases) {
    TempDir dir;
    Outcome o = runAt(gscrowci::run, dir, c.data, kPar, c.par, c.capacity);
    EXPECT_TRUE(sameText(c.expected, o.report)) << c.name;
    EXPECT_EQ(o.status, " finished: gscrowci\r\n") << c.name;
  }
}

TEST(Gscrowci, BothBuildsRunThroughTskrun) {
  for (const char* program : {"gscrowci", "gscrowc9"}) {
    TempDir dir;
    writeFile(dir / "herd.dat", datFile(herd(120, 16)));
    writeFile(dir / kPar, parameters("900"));
    tsk::TimeOfDay before, after;
    auto out = tskrun(dir, std::string(program) + " herd.dat", before, after);
    if (!out) GTEST_SKIP() << "tskrun not built";
    EXPECT_EQ(readFile(dir / tsk::kStatusFile), " finished: gscrowci\r\n");
    auto samples = exchangeSamples(dir / tsk::kDataFile);
    ASSERT_EQ(samples.size(), 1u);
    EXPECT_TRUE(reportOfSomeSecond(*out, before, after, [&](tsk::TimeOfDay t) {
      return expectedReport(samples[0], 900, t);
    })) << *out;
  }
}

}  // namespace
