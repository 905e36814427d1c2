// SPDX-License-Identifier: GPL-3.0-or-later
// Whole reports of gsstoceq at a fixed time of day. Fixed texts are written
// out; numbers come from hand calculations where stated, otherwise from the
// plain transcription in plain_stoceq.h, printed here with printf.

#include "gsstoceq.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "plain_stoceq.h"
#include "test_support.h"

namespace {

using plain::Vec;
using tsk::test::crlf;
using tsk::test::readFile;
using tsk::test::sameText;
using tsk::test::TempDir;
using tsk::test::writeFile;
using Lines = std::vector<std::string>;

constexpr int kSeed = 130509;  // the fixed clock 13:05:09
const std::string kClose(79, '_');
const Lines kTitle = {
    "",
    "Two-sample tests for stochastic equality of group size distributions",
    "",
    "    - These tests validly replace the Wilcoxon-Mann-Whitney test (also known",
    "         as Wilcoxon rank sum test or Mann-Whitney U test)",
    "    - H0: P(X<Y) = P(X>Y)  against  H1: P(X<Y) <> P(X>Y)",
    "    - More details: E. Brunner and U. Munzel (2000) Biometrical J. 42: 17-25",
    "",
};
const Lines kClosingWarning = {
    " (WARNING: Wilcoxon-Mann-Whitney test may be unreliable, it is included",
    "           for information only.)",
};

std::string printf2(const char* fmt, double a, double b) {
  char buf[200];
  std::snprintf(buf, sizeof buf, fmt, a, b);
  return buf;
}

std::string number(float v) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.9g", static_cast<double>(v));
  return buf;
}

std::string block(const Vec& x) {
  std::string b = std::to_string(x.size()) + "\r\n0\r\n";
  for (float v : x) b += " " + number(v) + " \r\n";
  return b + " \r\n";
}

std::string params(int b) {
  return "Bootstrap replications\r\nof gsstoceq\r\n" + std::to_string(b) + "\r\n";
}

struct Outcome {
  std::string report, status, console;
};

Outcome runEngine(const std::string& data, const std::string* param, int capacity = 2000) {
  TempDir dir;
  writeFile(dir / "tskdat.tmp", data);
  if (param) writeFile(dir / "steqreps.par", *param);
  std::ostringstream console;
  tsk::EngineContext ctx{dir.path(), tsk::fixedClock(13, 5, 9), &console};
  gsstoceq::run(ctx, capacity);
  return {readFile(dir / "tskres.tmp"), readFile(dir / "tskstat.tmp"), console.str()};
}

Outcome runEngine(const Vec& x1, const Vec& x2, int b, int capacity = 2000) {
  const std::string param = params(b);
  return runEngine(block(x1) + block(x2), &param, capacity);
}

Lines descriptives(const Vec& x1, const Vec& x2, float median1, float median2) {
  float mean1, mean2, sd;
  plain::stdev(x1, mean1, sd);
  plain::stdev(x2, mean2, sd);
  return {" Descriptives",
          "                  Sample 1:      Sample 2:",
          printf2("    N:       %11.0f    %11.0f", double(x1.size()), double(x2.size())),
          printf2("    Minimum: %12.2f   %12.2f", x1.front(), x2.front()),
          printf2("    Median:  %12.2f   %12.2f", median1, median2),
          printf2("    Mean:    %12.2f   %12.2f", mean1, mean2),
          printf2("    Maximum: %12.2f   %12.2f", x1.back(), x2.back())};
}

Lines probabilities(double u, double pairs) {
  return {"", printf2("    P(X1>X2)+1/2P(X1=X2) =%6.3f,    P(X1<X2)+1/2P(X1=X2) =%6.3f",
                      1 - u / pairs, u / pairs)};
}

Lines replications(int b) {
  char buf[80];
  std::snprintf(buf, sizeof buf, "       Number of bootstrap replications =%6d", b);
  return {"  ", buf, "       (to change edit the file steqreps.par)", "  "};
}

Lines pvalues(double pw, double pbm, double pb) {
  char buf[120];
  std::snprintf(buf, sizeof buf, "%19.4f%29.4f%21.4f", pw, pbm, pb);
  return {"  P-values (two-tailed): ",
          "    Wilcoxon-Mann-Whitney test     Brunner-Munzel test     Bootstrap test", buf};
}

std::string report(std::initializer_list<Lines> parts) {
  Lines all = kTitle;
  for (const Lines& p : parts) all.insert(all.end(), p.begin(), p.end());
  all.push_back(kClose);
  return crlf(all);
}

float plainBoot(const Vec& x1, const Vec& x2, int b) {
  plain::Mt mt(kSeed);
  return plain::bootwmw(mt, x1, x2, b);
}

TEST(Gsstoceq, BrunnerMunzelExample) {
  const Vec x1 = {1, 2, 3, 4}, x2 = {2, 3, 4, 5};
  const Outcome o = runEngine(x1, x2, 2000);
  // Hand calculation: U = 11.5 of 16 pairs; V = 16 x 9 / 12 - 16 x 18 / 8 /
  // 7 / 12 = 11.571429, z = 3 / 3.4016805 = 0.88192, p = 0.3778. The Brunner-
  // Munzel worked example: W = 1.1161, f = 6, p = 0.3071. The adjusted sample
  // is 1, 2, 3, 4 (U' = 8 of 16): no warning.
  EXPECT_TRUE(sameText(
      report({descriptives(x1, x2, 2.5f, 3.5f), probabilities(11.5, 16), replications(2000),
              pvalues(0.3778, 0.3071, plainBoot(x1, x2, 2000)), kClosingWarning}),
      o.report));
  EXPECT_EQ(o.status, " finished: gsstoceq\r\n");
  EXPECT_EQ(o.console, "");
}

// The Brunner-Munzel p-value uses the real-valued degrees of freedom f of
// E. Brunner and U. Munzel (2000), Biometrical J. 42: 17-25. Expected W, f
// and p worked out in python3 from the paper's formulas in double precision,
// the tail 2 P(T_f > |W|) by Simpson's rule (400000 steps) on the density of
// Student's t after x = tan(a). The last column is what f truncated to a
// whole number gave.
TEST(Gsstoceq, BrunnerMunzelUsesRealDegreesOfFreedom) {
  struct Case {
    Vec x1, x2;
    double w, f;
    const char* p;
    const char* truncated;
  };
  const Case cases[] = {
      {{1, 3}, {2, 4, 5}, 1.4142136, 2.6666667, "0.2628", "0.2929"},
      {{1, 2, 2, 3, 5}, {2, 3, 4, 4, 6, 7}, 1.8854006, 7.8624027, "0.0967", "0.1014"},
      {{1, 1, 2, 3}, {2, 5, 6, 8, 9}, 4.7765876, 6.4874579, "0.0025", "0.0031"},
      {{1, 2, 3, 3, 4, 8}, {2, 2, 5, 9}, 0.3752933, 4.757755, "0.7236", "0.7265"},
      {{1, 5, 6}, {2, 3, 3, 4, 7, 7, 8}, 0.5103104, 4.1538462, "0.6358", "0.6367"},
      // f = 6 exactly: both rules agree.
      {{1, 2, 3, 4}, {2, 3, 4, 5}, 1.1161374, 6.0, "0.3071", "0.3071"},
  };
  for (const Case& c : cases) {
    const plain::Bm bm = plain::bmtest(c.x1, c.x2);
    EXPECT_NEAR(bm.w, c.w, 2e-6 * c.w);
    EXPECT_NEAR(bm.f, c.f, 2e-6 * c.f);
    const std::string line = runEngine(c.x1, c.x2, 20).report;
    const size_t at = line.find("Brunner-Munzel test     Bootstrap test\r\n");
    ASSERT_NE(at, std::string::npos);
    const std::string pvalues = line.substr(line.find('\n', at) + 1, 19 + 29);
    EXPECT_EQ(pvalues.substr(19), std::string(29 - 6, ' ') + c.p) << c.x1.size();
  }
}

TEST(Gsstoceq, WholeReportsOfSpecialSamples) {
  struct Case {
    const char* name;
    Vec x1, x2;
    float median1, median2;
    double u;         // hand count of the pairs in which sample 2 is larger
    Lines afterReps;  // lines between the replications block and the p-values
    Lines notes;      // lines after the p-values
    bool wmwDefined, bmDefined, bootDefined;
    const char* console;
  };
  const Case cases[] = {
      // Heavy ties: d = 1 leaves y = 0, 1, 1, 1 and U'/16 = 4.5/16 = 0.28125.
      {"ties",
       {1, 1, 1, 2},
       {1, 2, 2, 2},
       1,
       2,
       12,
       {" WARNING: Adjustment in the bootstrap test failed ( 0.281 ), bootstrap",
        "          p-value may be invalid.", " "},
       {},
       true,
       true,
       true,
       ""},
      // Complete separation: V = 0 in the Brunner-Munzel test.
      {"separation",
       {1, 2, 3},
       {4, 5, 6},
       2,
       5,
       9,
       {},
       {"    NOTE: No Brunner-Munzel p-value: the samples are completely separated."},
       true,
       false,
       true,
       " bm degrees of freedom = 0\n"},
      // Two constant samples, the second below the first: separated too.
      {"constant, apart",
       {4, 4, 4},
       {2, 2},
       4,
       2,
       0,
       {},
       {"    NOTE: No Brunner-Munzel p-value: the samples are completely separated."},
       true,
       false,
       true,
       " bm degrees of freedom = 0\n"},
      // The shift d = 0 leaves U' = U = 24.5 of 50 pairs, a share of exactly
      // 0.49, and with the samples exchanged 25.5, exactly 0.51 (hand
      // counts): the ends of the accepted range give no warning.
      {"share 0.49",
       {1, 1, 2, 2, 3},
       {1, 1, 1, 1, 1, 2, 2, 3, 3, 3},
       2,
       1.5f,
       24.5,
       {},
       {},
       true,
       true,
       true,
       ""},
      {"share 0.51",
       {1, 1, 1, 1, 1, 2, 2, 3, 3, 3},
       {1, 1, 2, 2, 3},
       1.5f,
       2,
       25.5,
       {},
       {},
       true,
       true,
       true,
       ""},
      // Identical samples: U = n1 n2 / 2, p = 1.
      {"identical", {1, 2, 3, 4, 5}, {1, 2, 3, 4, 5}, 3, 3, 12.5, {}, {}, true, true, true, ""},
      // Every value equal: no spread of U, no rank statistic.
      {"all equal",
       {3, 3, 3},
       {3, 3},
       3,
       3,
       3,
       {},
       {"    NOTE: No Brunner-Munzel p-value: all values are equal (no rank variance).",
        "    NOTE: All values are equal; the Wilcoxon-Mann-Whitney p-value is 1.",
        "    NOTE: The rank statistic of the bootstrap test is not defined for these",
        "          samples (0/0); -1.0000 marks it as not computed."},
       false,
       false,
       false,
       " bm degrees of freedom = 0\n"},
      // One group: the rank variances of that sample are 0/0. The shift
      // d = -1 gives y = 3, 5, 7, balanced against 5: no warning.
      {"one group",
       {5},
       {2, 4, 6},
       5,
       4,
       1,
       {},
       {"    NOTE: No Brunner-Munzel p-value: a sample of one group has no variance.",
        "    NOTE: The bootstrap test needs two groups in each sample; -1.0000 marks it",
        "          as not computed."},
       true,
       false,
       false,
       " bm degrees of freedom = 0\n"},
  };
  for (const Case& c : cases) {
    const Outcome o = runEngine(c.x1, c.x2, 500);
    const double pairs = double(c.x1.size() * c.x2.size());
    const plain::Wmw w = plain::wmwtest(c.x1, c.x2);
    ASSERT_EQ(w.u, c.u) << c.name;
    // Without spread the transcribed arithmetic gives z = 0 / 0, no number;
    // the engine reports p = 1 with a note.
    if (!c.wmwDefined) {
      EXPECT_TRUE(std::isnan(w.p)) << c.name;
    }
    const double pw = c.wmwDefined ? w.p : 1.0;
    const double pbm = c.bmDefined ? plain::bmPvalue(plain::bmtest(c.x1, c.x2)) : -1.0;
    const double pb = c.bootDefined ? plainBoot(c.x1, c.x2, 500) : -1.0;
    EXPECT_TRUE(sameText(
        report({descriptives(c.x1, c.x2, c.median1, c.median2), probabilities(c.u, pairs),
                replications(500), c.afterReps, pvalues(pw, pbm, pb), c.notes, kClosingWarning}),
        o.report))
        << c.name;
    EXPECT_EQ(o.console, c.console) << c.name;
    EXPECT_EQ(o.status, " finished: gsstoceq\r\n") << c.name;
  }
  // Spot checks of the lines above against hand values.
  const std::string separated = runEngine({1, 2, 3}, {4, 5, 6}, 10).report;
  EXPECT_NE(separated.find("= 0.000,    P(X1<X2)+1/2P(X1=X2) = 1.000"), std::string::npos);
  EXPECT_NE(separated.find("                      -1.0000"), std::string::npos);
  // Identical samples: U = E, and the continuity correction stops at zero
  // instead of making z = -0.5 / s: z = 0, p = 1.
  EXPECT_NE(runEngine({1, 2, 3, 4, 5}, {1, 2, 3, 4, 5}, 10).report.find("\n             1.0000"),
            std::string::npos);
}

TEST(Gsstoceq, SingleReplication) {
  // With B = 1 the one statistic counts in both tails when it equals T0:
  // 2 (G + E) / B = 2 is capped at 1. Otherwise p = 0. Equal samples give
  // T0 = 0, which a resampled pair with equal rank means matches.
  const Vec x1 = {1, 2, 3}, x2 = {1, 2, 3};
  const float t0 = plain::wmw2(x1, x2);
  int equalSeen = 0, otherSeen = 0;
  for (int minute = 0; minute < 30; ++minute) {
    const std::string param = params(1);
    TempDir dir;
    writeFile(dir / "tskdat.tmp", block(x1) + block(x2));
    writeFile(dir / "steqreps.par", param);
    std::ostringstream console;
    gsstoceq::run({dir.path(), tsk::fixedClock(10, minute, 0), &console});
    Vec stats;
    plain::Mt mt(100000 + 100 * minute);  // seed hhmmss of 10:mm:00
    plain::bootwmw(mt, x1, x2, 1, &stats);
    ASSERT_EQ(stats.size(), 1u);
    const bool equal = stats[0] == t0;
    (equal ? equalSeen : otherSeen) += 1;
    const std::string tail = equal ? "               1.0000\r\n" : "               0.0000\r\n";
    EXPECT_NE(readFile(dir / "tskres.tmp").find(tail), std::string::npos) << minute;
  }
  EXPECT_GT(equalSeen, 0);
  EXPECT_GT(otherSeen, 0);
}

TEST(Gsstoceq, ParameterFile) {
  const Vec x1 = {1, 2, 3, 4}, x2 = {2, 3, 4, 5};
  const Lines readError = {
      "", "   WARNING: Error reading file steqreps.par, check data and format. Number",
      "            of bootstrap replications is set to 2000."};
  const Lines tooFew = {"",
                        "   WARNING: Number of bootstrap replications in steqreps.par must be 1 to",
                        "            20000; it is set to 2000."};
  const Lines tooMany = {
      "", "   WARNING: Number of bootstrap replications in steqreps.par must be 1 to",
      "            20000; it is set to 20000."};
  const struct {
    std::string param;
    Lines warning;
    int b;
  } cases[] = {
      {"line 1\r\nline 2\r\n", readError, 2000},
      {"line 1\r\nline 2\r\nabc\r\n", readError, 2000},
      {"", readError, 2000},
      {"line 1\r\nline 2\r\n0\r\n", tooFew, 2000},
      {"line 1\r\nline 2\r\n-5\r\n", tooFew, 2000},
      {"line 1\r\nline 2\r\n25000\r\n", tooMany, 20000},
      {"line 1\r\nline 2\r\n20000 replications at most\r\n", {}, 20000},
      {"1\n2\n 37\n", {}, 37},
  };
  for (const auto& c : cases) {
    const Outcome o = runEngine(block(x1) + block(x2), &c.param);
    EXPECT_TRUE(sameText(report({descriptives(x1, x2, 2.5f, 3.5f), probabilities(11.5, 16),
                                 c.warning, replications(c.b),
                                 pvalues(0.3778, 0.3071, plainBoot(x1, x2, c.b)), kClosingWarning}),
                         o.report))
        << c.param;
  }
}

TEST(Gsstoceq, Messages) {
  const std::string one = block({1, 2}), two = block({3, 4, 5});
  const Vec big(2000, 1.0f), bigger(1001, 2.0f);
  const struct {
    const char* name;
    std::string data;
    const char* message;
    int capacity;
  } cases[] = {
      {"size not a number", "2\r\n3\r\n1\r\nabc\r\n \r\n" + two, "    ERROR: invalid data", 2000},
      {"count not a number", "two\r\n3\r\n", "    ERROR: invalid data", 2000},
      {"animals not a number", "2\r\n3.5\r\n", "    ERROR: invalid data", 2000},
      {"second count not a number", one + "x\r\n", "    ERROR: invalid data", 2000},
      {"empty file", "", "    ERROR: unexpected end of data", 2000},
      {"no animal count", "2\r\n", "    ERROR: unexpected end of data", 2000},
      {"sample 1 cut", "3\r\n6\r\n1\r\n2\r\n", "    ERROR: unexpected end of data", 2000},
      {"one sample only", one, "    ERROR: unexpected end of data", 2000},
      {"no separator", "2\r\n3\r\n1\r\n2\r\n", "    ERROR: unexpected end of data", 2000},
      {"sample 2 cut", one + "3\r\n12\r\n3\r\n4\r\n", "    ERROR: unexpected end of data", 2000},
      {"sample 1 too large", "2001\r\n2001\r\n", "    ERROR: sample 1 too large (max=2000)", 2000},
      {"sample 2 too large", one + "2001\r\n0\r\n", "    ERROR: sample 2 too large (max=2000)",
       2000},
      // 2000 x 1001 = 2002000: checked before any value of sample 2 is read.
      {"product", block(big) + "1001\r\n0\r\n", "    ERROR: n1 * n2 too large (max=2000000)", 2000},
      {"older sample 1", "1000\r\n0\r\n", "    ERROR: sample 1 too large (max = 999)", 999},
      {"older sample 2", one + "1000\r\n0\r\n", "    ERROR: sample 2 too large (max = 999)", 999},
      {"no groups", "0\r\n0\r\n \r\n" + two, "    ERROR: sample 1 has no groups", 2000},
      {"negative count", one + "-3\r\n0\r\n", "    ERROR: sample 2 has no groups", 2000},
  };
  const std::string param = params(100);
  for (const auto& c : cases) {
    const Outcome o = runEngine(c.data, &param, c.capacity);
    EXPECT_TRUE(sameText(report({{c.message}}), o.report)) << c.name;
    EXPECT_EQ(o.status, " finished: gsstoceq\r\n") << c.name;
  }
  // The older build has no product limit: 999 x 999 runs.
  EXPECT_EQ(runEngine(Vec(999, 1.0f), Vec(999, 2.0f), 3, 999).report.find("ERROR"),
            std::string::npos);
  // Without the parameter file or the data file: one ERROR line, "finished".
  TempDir dir;
  writeFile(dir / "tskdat.tmp", one + two);
  gsstoceq::run({dir.path(), tsk::fixedClock(1, 2, 3), nullptr});
  EXPECT_TRUE(sameText(crlf({"     ERROR: cannot open file steqreps.par", kClose}),
                       readFile(dir / "tskres.tmp")));
  EXPECT_EQ(readFile(dir / "tskstat.tmp"), " finished: gsstoceq\r\n");
  TempDir empty;
  writeFile(empty / "steqreps.par", param);
  gsstoceq::run({empty.path(), tsk::fixedClock(1, 2, 3), nullptr});
  EXPECT_TRUE(sameText(crlf({"     ERROR: cannot open file TSKDAT.TMP", kClose}),
                       readFile(empty / "tskres.tmp")));
}

TEST(Gsstoceq, LargestSizesAvoidIntegerOverflow) {
  // n1 x n2 = 2000000 with runs of 1900 and 1100 equal values: m (N + 1) =
  // 6002000000 and 1900^3 - 1900 = 6858998100 pass 2^31, so 32-bit integer
  // arithmetic would give a negative variance and a p-value that is not a
  // number. The expected values come from the plain transcription in
  // floating point; the shift check is cross-checked by hand: d = 1 moves
  // the 3s of sample 2 onto 2s.
  Vec x1(2000, 1.0f), x2(1000, 1.0f);
  for (size_t i = 1500; i < 2000; ++i) x1[i] = 2.0f;
  for (size_t j = 400; j < 1000; ++j) x2[j] = 3.0f;
  const Outcome o = runEngine(x1, x2, 20, 2000);
  const plain::Wmw w = plain::wmwtest(x1, x2);
  // Hand count: 1500 x (400 / 2 + 600) + 500 x 600 = 1500000.
  ASSERT_EQ(w.u, 1500000.0f);
  // Hand calculation of the shift: of the 2000000 differences 200000 are -1,
  // 600000 are 0 and 300000 are 1, so d = 1 and y holds 0s and 2s; then U' =
  // 1500 x 600 + 500 x 600 / 2 = 1050000, 0.525 of the pairs.
  const Lines shiftWarning = {
      " WARNING: Adjustment in the bootstrap test failed ( 0.525 ), bootstrap",
      "          p-value may be invalid.", " "};
  EXPECT_TRUE(
      sameText(report({descriptives(x1, x2, 1, 3), probabilities(1500000, 2000000),
                       replications(20), shiftWarning,
                       pvalues(w.p, plain::bmPvalue(plain::bmtest(x1, x2)), plainBoot(x1, x2, 20)),
                       kClosingWarning}),
               o.report));
  EXPECT_EQ(o.report.find("NaN"), std::string::npos);
  EXPECT_EQ(o.status, " finished: gsstoceq\r\n");
}

}  // namespace
