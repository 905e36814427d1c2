// SPDX-License-Identifier: GPL-3.0-or-later
#include "gsmean2s.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <random>

#include "baseline.h"
#include "mean_test.h"
#include "test_support.h"

namespace {

using tsk::test::crlf;
using tsk::test::readFile;
using tsk::test::sameText;
using tsk::test::writeFile;

using Lines = std::vector<std::string>;

const std::string kClose(tsk::kClosingLine);
const Lines kTitle = {"", "Bootstrap 2-sample t-test for comparing mean group size", ""};
const Lines kWarning = {
    "",
    "   WARNING: Error reading file mean2reps.par, check data\" and format. Number",
    "            of bootstrap replications is set to 2000.",
};
const std::string kPar = "replications of the bootstrap\r\nthird line:\r\n";

std::string block(const std::vector<double>& sizes, int groups = -1) {
  std::string b = std::to_string(groups < 0 ? static_cast<int>(sizes.size()) : groups) + "\r\n";
  double sum = 0;
  for (double s : sizes) sum += s;
  b += std::to_string(static_cast<long>(sum)) + "\r\n";
  for (double s : sizes) b += tsk::formatF(s, 6, 0) + "\r\n";
  return b + " \r\n";
}

std::string runOn(const tsk::test::TempDir& dir, const std::string& data,
                  const std::optional<std::string>& par, int capacity = 5000,
                  tsk::Clock clock = tsk::fixedClock(13, 5, 9)) {
  writeFile(dir / tsk::kDataFile, data);
  writeFile(dir / tsk::kStatusFile, "before start\r\n");
  std::filesystem::remove(dir / "mean2reps.par");
  if (par) writeFile(dir / "mean2reps.par", *par);
  tsk::EngineContext ctx{dir.path(), clock};
  gsmean2s::run(ctx, capacity);
  EXPECT_EQ(readFile(dir / tsk::kStatusFile), " finished: gsmean2s\r\n");
  return readFile(dir / tsk::kReportFile);
}

Lines withTitle(const Lines& body) {
  Lines lines = kTitle;
  lines.insert(lines.end(), body.begin(), body.end());
  lines.push_back(kClose);
  return lines;
}

// The statistics block, the replication lines and the p-value line.
Lines results(const Lines& statistics, const Lines& warning, const std::string& b,
              const std::string& p) {
  Lines body = {"                       Sample 1  Sample 2"};
  body.insert(body.end(), statistics.begin(), statistics.end());
  body.insert(body.end(), warning.begin(), warning.end());
  body.insert(body.end(), {"  ", "   Number of bootstrap replications =" + b,
                           "   (to change edit the file mean2reps.par)", "  ",
                           "   Bootstrap p-value (two-sided) =" + p});
  return withTitle(body);
}

// Samples 1, 2, 3 and 2, 3, 4: t = -1 / sqrt(2/3) = -1.2247 (worked example).
const Lines kWorked = {
    "       Sample sizes =         3         3",
    "       Sample means =     2.000     3.000",
    "       Sample std.s =     1.000     1.000",
    "       t-statistic  =         -1.225",
};
// Sizes 1 1 2 2 3 5 8 and 1 2 2 3 4 4 6 9 12: means 22/7 and 43/9, standard
// deviations sqrt(38.857/6) and sqrt(105.556/8) (hand calculation).
const std::vector<double> kSample1 = {1, 1, 2, 2, 3, 5, 8};
const std::vector<double> kSample2 = {1, 2, 2, 3, 4, 4, 6, 9, 12};
const Lines kSkewed = {
    "       Sample sizes =         7         9",
    "       Sample means =     3.143     4.778",
    "       Sample std.s =     2.545     3.632",
    "       t-statistic  =         -1.057",
};

TEST(Gsmean2s, WholeReports) {
  struct Case {
    const char* name;
    std::string data;
    std::optional<std::string> par;
    Lines expected;
  };
  const std::string worked = block({1, 2, 3}) + block({2, 3, 4});
  const std::string skewed = block(kSample1) + block(kSample2);
  const Case cases[] = {
      // p-values seeded with 130509, from an independent transcription in
      // Python (its own MT19937 loaded with the 69069-seeded words, single
      // precision by rounding each stored value) and the plain loops of
      // bench/gsmean2s/baseline.cpp alike: 1481 of 2000 below |t|, 335 of 500.
      {"worked example", worked, kPar + "2000\r\n", results(kWorked, {}, "  2000", " 0.2595")},
      {"skewed samples, 500", skewed, kPar + "500 replications\r\n",
       results(kSkewed, {}, "   500", " 0.3300")},
      // 1360 of 2000 (same sources).
      {"unreadable count", skewed, kPar + "many\r\n",
       results(kSkewed, kWarning, "  2000", " 0.3200")},
      {"two lines only", skewed, kPar, results(kSkewed, kWarning, "  2000", " 0.3200")},
      {"no replications", skewed, kPar + "0\r\n", results(kSkewed, kWarning, "  2000", " 0.3200")},
      {"negative count", skewed, kPar + "-5\r\n", results(kSkewed, kWarning, "  2000", " 0.3200")},
      // All groups equal within each sample: se = 1e-05, t = -3 / 1e-05, every
      // t* is 0 and lies below |t| (hand calculation).
      {"constant, different sizes", block({2, 2, 2}) + block({5, 5, 5, 5}), kPar + "300\r\n",
       results(
           {"       Sample sizes =         3         4",
            "       Sample means =     2.000     5.000",
            "       Sample std.s =     0.000     0.000", "       t-statistic  =    -300000.000"},
           {}, "   300", " 0.0000")},
      // t = 0 and no t* is below it.
      {"constant, equal sizes", block({4, 4}) + block({4, 4, 4}), kPar + "300\r\n",
       results(
           {"       Sample sizes =         2         3",
            "       Sample means =     4.000     4.000",
            "       Sample std.s =     0.000     0.000", "       t-statistic  =          0.000"},
           {}, "   300", " 1.0000")},
      {"empty file", "", kPar + "10\r\n", withTitle({"    ERROR: unexpected end of data"})},
      {"short first sample", "3\r\n6\r\n1\r\n2\r\n", kPar + "10\r\n",
       withTitle({"    ERROR: unexpected end of data"})},
      {"no second sample", block({1, 2, 3}), kPar + "10\r\n",
       withTitle({"    ERROR: unexpected end of data"})},
      {"no separator", "2\r\n3\r\n1\r\n2\r\n", kPar + "10\r\n",
       withTitle({"    ERROR: unexpected end of data"})},
      {"short second sample", block({1, 2, 3}) + "3\r\n6\r\n1\r\n", kPar + "10\r\n",
       withTitle({"    ERROR: unexpected end of data"})},
      {"second animal count missing", block({1, 2, 3}) + "3\r\n", kPar + "10\r\n",
       withTitle({"    ERROR: unexpected end of data"})},
      {"invalid size", "3\r\n6\r\n1\r\nx\r\n3\r\n \r\n" + block({1, 2}), kPar + "10\r\n",
       withTitle({"    ERROR: invalid data"})},
      {"invalid count", "three\r\n6\r\n", kPar + "10\r\n", withTitle({"    ERROR: invalid data"})},
      {"one group", block({4}) + block({1, 2}), kPar + "10\r\n",
       withTitle({"    ERROR: sample 1 too small (min=2)"})},
      {"second sample empty", block({1, 2}) + block({}), kPar + "10\r\n",
       withTitle({"    ERROR: sample 2 too small (min=2)"})},
      {"missing parameter file",
       worked,
       std::nullopt,
       {" " + tsk::missingFileMessage("mean2reps.par"), kClose}},
  };
  for (const Case& c : cases) {
    tsk::test::TempDir dir;
    EXPECT_TRUE(sameText(crlf(c.expected), runOn(dir, c.data, c.par))) << c.name;
  }
}

// Counts above 20000 are lowered with a warning; 20000 itself stands.
TEST(Gsmean2s, ReplicationCountIsCapped) {
  const Lines capped = {
      "",
      "   WARNING: Number of bootstrap replications in mean2reps.par must be 1 to",
      "            20000; it is set to 20000.",
  };
  const struct {
    const char* count;
    Lines warning;
    const char* shown;
  } cases[] = {
      {"20000", {}, " 20000"},
      {"20001", capped, " 20000"},
      {"2147483647", capped, " 20000"},
  };
  // Constant samples: every t* is 0, below |t|, whatever the draws.
  const std::string data = block({2, 2, 2}) + block({5, 5, 5, 5});
  const Lines statistics = {
      "       Sample sizes =         3         4", "       Sample means =     2.000     5.000",
      "       Sample std.s =     0.000     0.000", "       t-statistic  =    -300000.000"};
  for (const auto& c : cases) {
    tsk::test::TempDir dir;
    EXPECT_TRUE(sameText(crlf(results(statistics, c.warning, c.shown, " 0.0000")),
                         runOn(dir, data, kPar + c.count + "\r\n")))
        << c.count;
  }
}

// The declared counts are checked before any size of that sample is read:
// the rejected blocks below hold no sizes at all.
TEST(Gsmean2s, CapacityOfBothBuilds) {
  for (int capacity : {5000, 1999}) {
    const std::string cap = std::to_string(capacity);
    std::vector<double> full(static_cast<size_t>(capacity), 1.0);
    full.back() = 2.0;
    tsk::test::TempDir dir;
    std::string text = runOn(dir, block(full) + block(full), kPar + "4\r\n", capacity);
    EXPECT_NE(
        text.find(tsk::formatLines("(\"       Sample sizes = \",i9,i10)", {capacity, capacity})[0]),
        std::string::npos)
        << text;
    const std::string over = std::to_string(capacity + 1) + "\r\n9\r\n";
    EXPECT_TRUE(sameText(crlf(withTitle({"    ERROR: sample 1 too large (max=" + cap + ")"})),
                         runOn(dir, over, kPar + "4\r\n", capacity)));
    EXPECT_TRUE(sameText(crlf(withTitle({"    ERROR: sample 2 too large (max=" + cap + ")"})),
                         runOn(dir, block({1, 2}) + over, kPar + "4\r\n", capacity)));
  }
}

TEST(Gsmean2s, MissingExchangeFile) {
  tsk::test::TempDir dir;
  writeFile(dir / "mean2reps.par", kPar + "10\r\n");
  tsk::EngineContext ctx{dir.path(), tsk::fixedClock(13, 5, 9)};
  gsmean2s::run(ctx);
  EXPECT_TRUE(sameText(crlf({" " + tsk::missingFileMessage("TSKDAT.TMP"), kClose}),
                       readFile(dir / tsk::kReportFile)));
  EXPECT_EQ(readFile(dir / tsk::kStatusFile), " finished: gsmean2s\r\n");
}

// The same second gives the same report, the next second another one. A
// start at midnight still draws (the generator does not stay at 0): its
// p-value is the plain loop's from the replacement seed.
TEST(Gsmean2s, SeedFromTheClock) {
  tsk::test::TempDir dir;
  const std::string data = block(kSample1) + block(kSample2);
  const std::string a = runOn(dir, data, kPar + "2000\r\n");
  EXPECT_EQ(a, runOn(dir, data, kPar + "2000\r\n"));
  EXPECT_NE(a, runOn(dir, data, kPar + "2000\r\n", 5000, tsk::fixedClock(13, 5, 10)));
  std::vector<float> x1(kSample1.begin(), kSample1.end()), x2(kSample2.begin(), kSample2.end());
  const auto expected = gsmean2s_baseline::run(x1, x2, 2000, 240000);
  ASSERT_GT(expected.count, 0);
  const std::string midnight = runOn(dir, data, kPar + "2000\r\n", 5000, tsk::fixedClock(0, 0, 0));
  EXPECT_NE(
      midnight.find("   Bootstrap p-value (two-sided) =" + tsk::formatF(expected.p, 7, 4) + "\r\n"),
      std::string::npos)
      << midnight;
}

// The fast count against the plain transcription on random samples: sizes
// from 2 up, ties, replication counts that are no multiple of the lanes, and
// samples whose draws straddle the generator's 624-word blocks.
TEST(Gsmean2s, BootstrapMatchesPlainLoops) {
  struct Case {
    int n1, n2, b;
    int32_t seed;
  };
  const Case cases[] = {
      {2, 2, 1, 130509},     {2, 3, 7, 1},           {3, 2, 9, 235959},   {5, 40, 333, 120000},
      {17, 11, 20000, 424},  {60, 3, 5000, 100},     {250, 400, 700, 99}, {1000, 1500, 250, 65432},
      {4000, 5000, 3, 4357}, {623, 625, 17, 240000},
  };
  std::mt19937 gen(7);
  for (const Case& c : cases) {
    std::geometric_distribution<int> size(0.3);
    std::vector<float> x1(static_cast<size_t>(c.n1)), x2(static_cast<size_t>(c.n2));
    for (float& v : x1) v = static_cast<float>(1 + size(gen));
    for (float& v : x2) v = static_cast<float>(1 + size(gen) + size(gen) % 3);
    const auto expected = gsmean2s_baseline::run(x1, x2, c.b, c.seed);

    tsk::analyses::Moments m;
    const float t = tsk::analyses::st(c.n1, c.n2, x1.data(), x2.data(), m);
    EXPECT_EQ(t, expected.t);
    EXPECT_EQ(m.s1, expected.s1);
    EXPECT_EQ(m.s2, expected.s2);
    std::vector<float> y1, y2;
    tsk::analyses::centre(x1, x2, m, y1, y2);
    tsk::MtBlock mt;
    tsk::sgrnd(mt, c.seed);
    EXPECT_EQ(tsk::analyses::bootstrapCount(y1, y2, t, c.b, mt), expected.count)
        << c.n1 << " + " << c.n2 << ", B = " << c.b;
    EXPECT_EQ(tsk::grnd(mt), expected.next);
  }
}

// Whole programs through the command-line runner, in a temporary directory
// with the delivered parameter file.
TEST(Gsmean2s, EndToEnd) {
  const auto tskrun = tsk::test::binDir() / "tskrun";
  if (!std::filesystem::exists(tskrun) ||
      !std::filesystem::exists(tsk::test::binDir() / "gsmean29")) {
    GTEST_SKIP() << "tskrun or gsmean2s not built";
  }
  tsk::test::TempDir dir;
  std::filesystem::copy_file(tsk::test::dataDir() / "mean2reps.par", dir / "mean2reps.par");
  // `exit`: tskrun's status, 1 for a report with an ERROR line.
  auto run = [&](const std::string& engine, const std::string& a, const std::string& b,
                 int exit = 0) {
    writeFile(dir / "a.dat", a);
    writeFile(dir / "b.dat", b);
    const std::string command = "cd '" + dir.path().string() + "' && '" + tskrun.string() +
                                "' --report-only " + engine + " a.dat b.dat > out.txt";
    EXPECT_EQ(std::system(command.c_str()), exit << 8) << command;
    return readFile(dir / "out.txt");
  };
  // Constant samples: the report does not depend on the second of the run.
  const std::string text =
      run("gsmean2s", "3\r\n6\r\n2\r\n2\r\n2\r\n", "4\r\n20\r\n5\r\n5\r\n5\r\n5\r\n");
  const Lines lines = tsk::test::splitLines(text);
  ASSERT_EQ(lines.size(), 14u) << text;
  EXPECT_EQ(lines[7], "       t-statistic  =    -300000.000");
  EXPECT_EQ(lines[8], "  ");  // the delivered file is read without a warning
  EXPECT_EQ(lines[12], "   Bootstrap p-value (two-sided) = 0.0000");
  EXPECT_EQ(readFile(dir / tsk::kStatusFile), " finished: gsmean2s\r\n");

  std::string big = "2000\r\n2000\r\n";
  for (int i = 0; i < 2000; ++i) big += "1\r\n";
  EXPECT_TRUE(sameText(crlf(withTitle({"    ERROR: sample 1 too large (max=1999)"})),
                       run("gsmean29", big, "2\r\n3\r\n1\r\n2\r\n", 1)));
  EXPECT_EQ(readFile(dir / tsk::kStatusFile), " finished: gsmean2s\r\n");
}

}  // namespace
