// SPDX-License-Identifier: GPL-3.0-or-later
#include "gsmidtst.h"
#include "median_test.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "test_support.h"

namespace {

using tsk::test::crlf;
using tsk::test::readFile;
using tsk::test::sameText;
using tsk::test::writeFile;
using Lines = std::vector<std::string>;

const Lines kTitle = {
    "",
    "Mood's median test for comparing median group sizes",
    "",
    "                    No. of groups      Median",
    "                    in the sample    group size",
};
const std::string kClose(tsk::kClosingLine);
const std::string kLimitOne = "Time limit of the exact test, in minutes\r\n(line 3)\r\n1\r\n";

Lines report(const Lines& body) {
  Lines lines = kTitle;
  lines.insert(lines.end(), body.begin(), body.end());
  lines.push_back(kClose);
  return lines;
}

// A sample block of tskdat.tmp; animals < 0 stands for the sum of the sizes.
std::string block(const std::vector<int>& sizes, int animals = -1) {
  int sum = 0;
  for (int s : sizes) sum += s;
  std::string b =
      std::to_string(sizes.size()) + "\r\n" + std::to_string(animals < 0 ? sum : animals) + "\r\n";
  for (int s : sizes) b += std::to_string(s) + "\r\n";
  return b + " \r\n";
}

// ones groups of size 1 and threes of size 3, the threes first.
std::string mixed(int ones, int threes) {
  std::vector<int> sizes(static_cast<size_t>(threes), 3);
  sizes.insert(sizes.end(), static_cast<size_t>(ones), 1);
  return block(sizes);
}

std::string repeated(int size, int count) {
  return block(std::vector<int>(static_cast<size_t>(count), size));
}

// Medians 2 and (4 + 6) / 2; pooled 11 values, the sixth is 4. Table
// 4 1 / 3 3: p = 6/11 by exact enumeration in rational arithmetic.
const std::string kTwoSamples = block({1, 1, 2, 3, 5}) + block({2, 4, 4, 6, 7, 9});
const Lines kTwoSampleTable = {"       Sample 1:            5            2.0",
                               "       Sample 2:            6            5.0",
                               "",
                               "       Combined sample:    11            4.0",
                               "",
                               "   Number of values below/above the combined median",
                               "                            (LE)      (GT)",
                               "             Sample 1:        4         1",
                               "             Sample 2:        3         3"};
const Lines kTwoSampleResult = {"", "   Exact p-value (2-sided)  =  0.545"};

Lines join(Lines a, const Lines& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

struct Outcome {
  std::string report, status, console;
};

Outcome runOn(const std::string& data, const std::string* par = &kLimitOne, int capacity = 2000) {
  tsk::test::TempDir dir;
  writeFile(dir / tsk::kDataFile, data);
  if (par) writeFile(dir / "gsmidtst.par", *par);
  std::ostringstream console;
  tsk::EngineContext ctx{dir.path(), tsk::fixedClock(10, 0, 0), &console};
  gsmidtst::run(ctx, capacity);
  return {readFile(dir / tsk::kReportFile), readFile(dir / tsk::kStatusFile), console.str()};
}

// Medians and counts by hand; p-values by exact enumeration in rational
// arithmetic (Fisher's exact test, Freeman-Halton for more rows).
TEST(Gsmidtst, WholeReports) {
  struct Case {
    const char* name;
    std::string data;
    Lines body;
  };
  const Case cases[] = {
      {"two samples", kTwoSamples, join(kTwoSampleTable, kTwoSampleResult)},
      // A single table exists.
      {"all values equal",
       repeated(2, 3) + repeated(2, 4),
       {"       Sample 1:            3            2.0",
        "       Sample 2:            4            2.0", "",
        "       Combined sample:     7            2.0", "",
        "   Number of values below/above the combined median",
        "                            (LE)      (GT)", "             Sample 1:        3         0",
        "             Sample 2:        4         0", "", "   Exact p-value (2-sided)  =  1.000"}},
      // Pooled median (10 + 11) / 2; p = 2 / C(20, 10) = 1/92378.
      {"complete separation",
       block({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}) + block({11, 12, 13, 14, 15, 16, 17, 18, 19, 20}),
       {"       Sample 1:           10            5.5",
        "       Sample 2:           10           15.5", "",
        "       Combined sample:    20           10.5", "",
        "   Number of values below/above the combined median",
        "                            (LE)      (GT)", "             Sample 1:       10         0",
        "             Sample 2:        0        10", "", "   Exact p-value (2-sided)  =  0.000"}},
      // The seventh sample's counts are read, its values are not. Pooled 16
      // values, (3 + 4) / 2; p = 1/165.
      {"seven samples",
       block({3, 1, 2}) + block({1, 1}) + block({7, 6, 5, 4}) + block({2, 3}) + block({8, 9}) +
           block({1, 5, 5}) + "1\r\n3\r\n",
       {"       Sample 1:            3            2.0",
        "       Sample 2:            2            1.0",
        "       Sample 3:            4            5.5",
        "       Sample 4:            2            2.5",
        "       Sample 5:            2            8.5",
        "       Sample 6:            3            5.0",
        "",
        "   WARNING: Max. number of samples in this procedure is 6.",
        "            Only the first 6 samples are used.",
        "",
        "       Combined sample:    16            3.5",
        "",
        "   Number of values below/above the combined median",
        "                            (LE)      (GT)",
        "             Sample 1:        3         0",
        "             Sample 2:        2         0",
        "             Sample 3:        0         4",
        "             Sample 4:        2         0",
        "             Sample 5:        0         2",
        "             Sample 6:        1         2",
        "",
        "   Exact p-value (2-sided)  =  0.006"}},
      // Two samples of 2000: 960 and 1040 values at or below the pooled
      // median 2. p by exact enumeration in big integers: 0.012473.
      {"two samples of 2000",
       mixed(960, 1040) + mixed(1040, 960),
       {"       Sample 1:         2000            3.0",
        "       Sample 2:         2000            1.0", "",
        "       Combined sample:  4000            2.0", "",
        "   Number of values below/above the combined median",
        "                            (LE)      (GT)", "             Sample 1:      960      1040",
        "             Sample 2:     1040       960", "", "   Exact p-value (2-sided)  =  0.012"}},
  };
  for (const Case& c : cases) {
    Outcome r = runOn(c.data);
    EXPECT_TRUE(sameText(crlf(report(c.body)), r.report)) << c.name;
    EXPECT_EQ(r.status, " finished: gsmidtst\r\n") << c.name;
    EXPECT_EQ(r.console, "") << c.name;
  }
}

// 0.0002 s x (20/2)(30/2) x 0.35^4 = 0.00045019 s; 0.0002 x 50^4 x 0.35^2 =
// 153.125 s; 0.0002 x 50^6 s = 52083.3 min; 0.0002 x 500^6 s is 5.2e10 min.
TEST(Gsmidtst, RunningTimeEstimate) {
  struct Case {
    std::vector<int> n;
    double seconds, minutes;
  };
  const Case cases[] = {
      {{20, 30}, 0.03 * 0.01500625, 0},
      {{100, 100, 100, 100}, 153.125, 3},
      {{100, 100, 100, 100, 100, 100}, 3125000.0, 52083},
      {{1000, 1000, 1000, 1000, 1000, 1000}, 3.125e12, 52083333333},
      {{2000, 1}, 0.0002 * 1000 * 0.5 * 0.35 * 0.35 * 0.35 * 0.35, 0},
  };
  for (const Case& c : cases) {
    const auto e = tsk::analyses::estimate(static_cast<int>(c.n.size()), c.n.data());
    EXPECT_NEAR(e.seconds, c.seconds, 1e-6 * c.seconds) << c.n.size();
    EXPECT_NEAR(e.minutes, c.minutes, 1e-7 * c.minutes + 0.5) << c.n.size();
  }
  // Whole minutes rounded half up: 52083.33 and 2.55 round down and up.
  const int six[6] = {100, 100, 100, 100, 100, 100}, four[4] = {100, 100, 100, 100};
  EXPECT_EQ(tsk::analyses::estimate(6, six).minutes, 52083.0);
  EXPECT_EQ(tsk::analyses::estimate(4, four).minutes, 3.0);
}

Lines refusal(const std::string& minutes) {
  return {"",
          "   ERROR: Now Fisher's exact test is to be applied to the above table.",
          "          The estimated running time of the procedure (assuming a 366MHz",
          "          Pentium PC) is " + minutes + " minutes. This exceeds the limit specified",
          "          in the gsmidtst.par file. To increase the time limit, edit the",
          "          file gsmidtst.par (e.g. by NOTEPAD)."};
}

Lines equalSamples(int k, int n, int size) {
  Lines body;
  for (int j = 1; j <= k; ++j) {
    body.push_back("       Sample " + std::to_string(j) + ":" +
                   std::string(12 - std::to_string(n).size() + 1, ' ') + std::to_string(n) +
                   "            " + std::to_string(size) + ".0");
  }
  body.push_back("");
  const std::string total = std::to_string(k * n);
  body.push_back("       Combined sample: " + std::string(5 - total.size(), ' ') + total +
                 "            " + std::to_string(size) + ".0");
  body.push_back("");
  body.push_back("   Number of values below/above the combined median");
  body.push_back("                            (LE)      (GT)");
  for (int j = 1; j <= k; ++j) {
    body.push_back("             Sample " + std::to_string(j) + ":" +
                   std::string(9 - std::to_string(n).size(), ' ') + std::to_string(n) +
                   "         0");
  }
  return body;
}

TEST(Gsmidtst, RefusesWhenTheEstimateExceedsTheLimit) {
  std::string four, six;
  for (int j = 0; j < 4; ++j) four += repeated(3, 100);
  for (int j = 0; j < 6; ++j) six += repeated(1, 1000);

  EXPECT_TRUE(
      sameText(crlf(report(join(equalSamples(4, 100, 3), refusal("     3")))), runOn(four).report));

  // Beyond I6: six asterisks, and still refused.
  Outcome r = runOn(six);
  EXPECT_TRUE(sameText(crlf(report(join(equalSamples(6, 1000, 1), refusal("******")))), r.report));
  EXPECT_EQ(r.status, " finished: gsmidtst\r\n");

  // A limit of 3 minutes admits the estimate of 3.
  const std::string three = "x\r\nx\r\n3\r\n";
  EXPECT_NE(runOn(four, &three).report.find("   Exact p-value (2-sided)  =  1.000\r\n"),
            std::string::npos);
}

TEST(Gsmidtst, ParameterFile) {
  const Lines warning = {"",
                         "   WARNING: Error reading file gsmidtst.par, check data and format. Time",
                         "            limit is set to 1 minute."};
  for (const std::string par :
       {"only\r\ntwo lines\r\n", "a\r\nb\r\nsixty\r\n", "", "a\r\nb\r\n1.5\r\n",
        "a\r\nb\r\n-99999999999\r\n", "a\r\nb\r\n99999999999999999999\r\n"}) {
    EXPECT_TRUE(sameText(crlf(report(join(join(kTwoSampleTable, warning), kTwoSampleResult))),
                         runOn(kTwoSamples, &par).report))
        << par;
  }
  // The warning sets the limit to 1: four samples of 100 are refused.
  std::string four;
  for (int j = 0; j < 4; ++j) four += repeated(3, 100);
  const std::string bad = "a\r\nb\r\n";
  EXPECT_TRUE(
      sameText(crlf(report(join(join(equalSamples(4, 100, 3), warning), refusal("     3")))),
               runOn(four, &bad).report));

  // A limit past the 32-bit range is a limit, not a reading error: six
  // samples of 1000 (estimate 52083333333 minutes) are tested.
  std::string six;
  for (int j = 0; j < 6; ++j) six += repeated(1, 1000);
  const std::string wide = "a\r\nb\r\n  60000000000 minutes\r\n";
  EXPECT_NE(runOn(six, &wide).report.find("   Exact p-value (2-sided)  =  1.000\r\n"),
            std::string::npos);
  const std::string narrow = "a\r\nb\r\n50000000000\r\n";
  EXPECT_NE(runOn(six, &narrow).report.find("Pentium PC) is ****** minutes."), std::string::npos);

  // A missing file is reported, and the run still finishes.
  Outcome r = runOn(kTwoSamples, nullptr);
  EXPECT_TRUE(sameText(
      crlf(report(join(kTwoSampleTable, {"", "     ERROR: cannot open file gsmidtst.par"}))),
      r.report));
  EXPECT_EQ(r.status, " finished: gsmidtst\r\n");
}

TEST(Gsmidtst, DataErrors) {
  struct Case {
    const char* name;
    std::string data;
    Lines body;
    int capacity;
  };
  const std::string first = block({1, 2, 3});
  const std::string firstLine = "       Sample 1:            3            2.0";
  const Case cases[] = {
      {"empty file", "", {"  ERROR: unexpected end of data"}, 2000},
      {"count without animals", "3\r\n", {"  ERROR: unexpected end of data"}, 2000},
      {"values cut short", "3\r\n6\r\n1\r\n2\r\n", {"  ERROR: unexpected end of data"}, 2000},
      {"separator missing", "3\r\n6\r\n1\r\n2\r\n3\r\n", {"  ERROR: unexpected end of data"}, 2000},
      {"second sample cut short",
       first + "2\r\n5\r\n1\r\n",
       {firstLine, "  ERROR: unexpected end of data"},
       2000},
      {"invalid count", "three\r\n", {"  ERROR: invalid data"}, 2000},
      {"invalid animals", "3\r\n6.5\r\n", {"  ERROR: invalid data"}, 2000},
      {"invalid size", "3\r\n6\r\n1\r\nabc\r\n3\r\n \r\n", {"  ERROR: invalid data"}, 2000},
      {"more groups than animals",
       "5\r\n3\r\n1\r\n1\r\n1\r\n1\r\n1\r\n \r\n",
       {"  ", "  ***** invalid parameters: 3 5"},
       2000},
      {"negative count",
       first + "-1\r\n4\r\n",
       {firstLine, "  ", "  ***** invalid parameters: 4 -1"},
       2000},
      {"no groups",
       first + "0\r\n0\r\n \r\n",
       {firstLine, "", "     ERROR: sample 2 has no groups"},
       2000},
      {"one sample",
       first,
       {firstLine, "", "       Combined sample:     3            2.0", "",
        "   Number of values below/above the combined median",
        "                            (LE)      (GT)", "             Sample 1:        2         1",
        "", "     ERROR: the test needs at least two samples"},
       2000},
      {"too large",
       first + repeated(1, 2001),
       {firstLine, "", "     ERROR: sample 2 too large (max = 2000)"},
       2000},
      {"too large, small build",
       repeated(1, 1000),
       {"", "     ERROR: sample 1 too large (max = 999)"},
       999},
  };
  for (const Case& c : cases) {
    Outcome r = runOn(c.data, &kLimitOne, c.capacity);
    EXPECT_TRUE(sameText(crlf(report(c.body)), r.report)) << c.name;
    EXPECT_EQ(r.status, " finished: gsmidtst\r\n") << c.name;
    EXPECT_EQ(r.console, "") << c.name;
  }
}

TEST(Gsmidtst, CapacityIsInclusive) {
  for (int capacity : {2000, 999}) {
    const std::string report =
        runOn(repeated(1, capacity) + repeated(2, capacity), &kLimitOne, capacity).report;
    EXPECT_NE(report.find("   Exact p-value (2-sided)  =  0.000\r\n"), std::string::npos)
        << capacity;
  }
}

TEST(Gsmidtst, MissingExchangeFile) {
  tsk::test::TempDir dir;
  tsk::EngineContext ctx{dir.path(), tsk::fixedClock(10, 0, 0)};
  gsmidtst::run(ctx);
  EXPECT_TRUE(sameText(crlf({" " + tsk::missingFileMessage("TSKDAT.TMP"), kClose}),
                       readFile(dir / tsk::kReportFile)));
  EXPECT_EQ(readFile(dir / tsk::kStatusFile), " finished: gsmidtst\r\n");
}

// The built program started by the command-line runner, with the delivered
// parameter file, on two sample files.
TEST(Gsmidtst, RunsThroughTskrun) {
  const auto tskrun = tsk::test::binDir() / "tskrun";
  const auto engine = tsk::test::binDir() / "gsmidtst";
  if (!std::filesystem::exists(tskrun) || !std::filesystem::exists(engine)) {
    GTEST_SKIP() << "tskrun or gsmidtst not built";
  }
  tsk::test::TempDir dir;
  std::filesystem::copy_file(tsk::test::dataDir() / "gsmidtst.par", dir / "gsmidtst.par");
  writeFile(dir / "first.dat", "5\r\n12\r\n1\r\n1\r\n2\r\n3\r\n5\r\n");
  writeFile(dir / "second.dat", "6\r\n32\r\n2\r\n4\r\n4\r\n6\r\n7\r\n9\r\n");
  const std::string command = "cd '" + dir.path().string() + "' && '" + tskrun.string() +
                              "' --report-only gsmidtst first.dat second.dat > out.txt 2> err.txt";
  ASSERT_EQ(std::system(command.c_str()), 0) << readFile(dir / "err.txt");
  EXPECT_TRUE(
      sameText(crlf(report(join(kTwoSampleTable, kTwoSampleResult))), readFile(dir / "out.txt")));
  EXPECT_EQ(readFile(dir / tsk::kStatusFile), " finished: gsmidtst\r\n");
}

}  // namespace
