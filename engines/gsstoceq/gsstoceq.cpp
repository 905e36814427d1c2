#include "gsstoceq.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "bmtest.h"
#include "bootwmw.h"
#include "mtrand.h"
#include "ranks.h"
#include "tdist.h"
#include "wmwtest.h"

namespace gsstoceq {

namespace {

using tsk::ReadStatus;

constexpr const char* kInvalid = "   ERROR: invalid data";
constexpr const char* kUnexpectedEnd = "   ERROR: unexpected end of data";
constexpr int kDefaultReplications = 2000;
constexpr double kMaxProduct = 2000000;

struct Limits {
  int maxGroups;
  bool productLimit;
  std::string tooLarge1, tooLarge2;
};

// The older build accepts 999 groups, has no product limit and words its
// messages a little differently.
Limits limitsFor(int capacity) {
  if (capacity < 1000) {
    const std::string max = " too large (max = " + std::to_string(capacity) + ")";
    return {capacity, false, "   ERROR: sample 1" + max, "   ERROR: sample 2" + max};
  }
  const std::string max = " too large (max=" + std::to_string(capacity) + ")";
  return {capacity, true, "   ERROR: sample 1" + max, "   ERROR: sample 2" + max};
}

const char* readMessage(ReadStatus st) {
  return st == ReadStatus::EndOfData ? kUnexpectedEnd : kInvalid;
}

void writeTitle(tsk::Report& report) {
  report.format(
      "(/,'Two-sample tests for stochastic equality of group size distributions',/,/,"
      "'    - These tests validly replace the Wilcoxon-Mann-Whitney test (also known',/,"
      "'         as Wilcoxon rank sum test or Mann-Whitney U test)',/,"
      "'    - H0: P(X<Y) = P(X>Y)  against  H1: P(X<Y) <> P(X>Y)',/,"
      "'    - More details: E. Brunner and U. Munzel (2000) Biometrical J. 42: 17-25',/)");
}

float median(const std::vector<float>& sorted) {
  const size_t n = sorted.size();
  return static_cast<float>(
      (static_cast<double>(sorted[(n + 1) / 2 - 1]) + sorted[(n + 2) / 2 - 1]) / 2);
}

void writeDescriptives(tsk::Report& report, const std::vector<float>& x1,
                       const std::vector<float>& x2) {
  // Minimum, median and maximum from sorted copies: the same as by position
  // for the ascending samples the front end writes, and still right for a
  // file edited by hand.
  std::vector<float> s1 = x1, s2 = x2;
  std::sort(s1.begin(), s1.end());
  std::sort(s2.begin(), s2.end());
  float mean1 = 0.0f, mean2 = 0.0f, sd = 0.0f;
  int flag = 0;
  tsk::meanStd(x1.data(), static_cast<int>(x1.size()), mean1, sd, flag);
  tsk::meanStd(x2.data(), static_cast<int>(x2.size()), mean2, sd, flag);
  report.format("(' Descriptives')");
  report.format("('                  Sample 1:      Sample 2:')");
  report.format("('    N:       ',I11,4X,I11)",
                {static_cast<int>(x1.size()), static_cast<int>(x2.size())});
  report.format("('    Minimum: ',F12.2,3X,F12.2)", {s1.front(), s2.front()});
  report.format("('    Median:  ',F12.2,3X,F12.2)", {median(s1), median(s2)});
  report.format("('    Mean:    ',F12.2,3X,F12.2)", {mean1, mean2});
  report.format("('    Maximum: ',F12.2,3X,F12.2)", {s1.back(), s2.back()});
}

// The line below the p-values that says why the Brunner-Munzel test has
// none; none where it has one.
const char* bmNote(BmUndefined why) {
  switch (why) {
    case BmUndefined::Defined:
      return nullptr;
    case BmUndefined::OneGroup:
      return "   NOTE: No Brunner-Munzel p-value: a sample of one group has no variance.";
    case BmUndefined::AllEqual:
      return "   NOTE: No Brunner-Munzel p-value: all values are equal (no rank variance).";
    case BmUndefined::Separated:
      return "   NOTE: No Brunner-Munzel p-value: the samples are completely separated.";
    case BmUndefined::ZeroVariance:
      break;
  }
  return "   NOTE: No Brunner-Munzel p-value: the rank variance is 0.";
}

// B from the parameter file, with the warning paragraph when it cannot be
// used as it stands.
int readReplications(tsk::Report& report, const std::filesystem::path& path) {
  int32_t b = 0;
  if (tsk::readParameterFile(path, b) != tsk::ParamStatus::Ok) {
    report.format(
        "(/,'   WARNING: Error reading file STEQREPS.PAR, check data and format. Number',/,"
        "'            of bootstrap replications is set to 2000.')");
    return kDefaultReplications;
  }
  // A count below 1 would divide by zero, one above the replication store
  // would overrun it.
  if (b < 1) {
    report.format(
        "(/,'   WARNING: Number of bootstrap replications in STEQREPS.PAR must be 1 to',/,"
        "'            20000; it is set to 2000.')");
    return kDefaultReplications;
  }
  if (b > kMaxReplications) {
    report.format(
        "(/,'   WARNING: Number of bootstrap replications in STEQREPS.PAR must be 1 to',/,"
        "'            20000; it is set to 20000.')");
    return kMaxReplications;
  }
  return b;
}

// Reads one sample's values; the failing status, or Value.
ReadStatus readValues(tsk::NumberReader& data, std::vector<float>& x, int n) {
  x.resize(static_cast<size_t>(n));
  return data.readReals(x.data(), n);
}

}  // namespace

void run(const tsk::EngineContext& context, int capacity) {
  const tsk::SeedTime start = context.seedTime();
  tsk::MtBlock mt;
  tsk::sgrnd(mt, tsk::clockSeed(start.time));

  tsk::EngineRun run(context, "gsstoceq");
  run.openReport();
  run.startStatus();
  if (!run.openData()) return;
  tsk::Report& report = run.report();
  const std::filesystem::path parameterFile = run.file("steqreps.par");
  if (!tsk::NumberReader::open(parameterFile)) {
    return report.message(tsk::missingFileMessage("STEQREPS.PAR"));
  }
  tsk::NumberReader& data = run.data();
  const Limits limits = limitsFor(capacity);

  writeTitle(report);
  if (!start.error.empty()) return report.message(start.error);

  int32_t n1 = 0, n2 = 0, animals = 0;
  std::vector<float> x1, x2;
  ReadStatus st = data.readInt(n1);
  if (st == ReadStatus::Value) st = data.readInt(animals);
  if (st != ReadStatus::Value) return report.message(readMessage(st));
  if (n1 > limits.maxGroups) return report.message(limits.tooLarge1);
  if (n1 < 1) return report.message("   ERROR: sample 1 has no groups");
  st = readValues(data, x1, n1);
  if (st != ReadStatus::Value) return report.message(readMessage(st));

  if (!data.skipLine()) return report.message(kUnexpectedEnd);
  st = data.readInt(n2);
  if (st == ReadStatus::Value) st = data.readInt(animals);
  if (st != ReadStatus::Value) return report.message(readMessage(st));
  if (n2 > limits.maxGroups) return report.message(limits.tooLarge2);
  if (n2 < 1) return report.message("   ERROR: sample 2 has no groups");
  if (limits.productLimit && static_cast<double>(n1) * n2 > kMaxProduct) {
    return report.message("   ERROR: n1 * n2 too large (max=2000000)");
  }
  st = readValues(data, x2, n2);
  if (st != ReadStatus::Value) return report.message(readMessage(st));

  writeDescriptives(report, x1, x2);

  const double pairs = static_cast<double>(n1) * n2;
  const WmwResult wmw = wmwtest(x1, x2);
  report.format("(/,'    P(X1>X2)+1/2P(X1=X2) =',F6.3,',    P(X1<X2)+1/2P(X1=X2) =',F6.3)",
                {1 - wmw.u / pairs, wmw.u / pairs});

  const int b = readReplications(report, parameterFile);
  report.message(" ");
  report.format("(7X,'Number of bootstrap replications =',I6)", {b});
  report.format("(7X,'(to change edit the file STEQREPS.PAR)')");
  report.message(" ");

  float shift = 0.0f;
  const std::vector<float> y = adjuszt(x1, x2, 1.0f, &shift);
  // Differences beyond the single-precision range leave no usable shift.
  const bool shiftUsable = std::isfinite(shift);
  if (shiftUsable) {
    const float shiftedU = wmwtest(x1, y).u;
    const double balance = shiftedU / pairs;
    // |U'/(n1 n2) - 0.5| > 0.01, decided exactly: 2U' and n1 n2 are whole
    // numbers, while 0.49 and 0.51 have no exact binary form and would warn
    // at the very ends of the accepted range.
    if (50 * std::fabs(2.0 * shiftedU - pairs) > pairs) {
      report.format(
          "(' WARNING: Adjustment in the bootstrap test failed (',F6.3,' )',', bootstrap',/,"
          "'          p-value may be invalid.',/,' ')",
          {balance});
    }
  }

  const BmResult bm = bmtest(x1, x2);
  float pBM = -1.0f;
  if (bm.f <= 0.0f) {
    if (context.console) *context.console << " bm degrees of freedom = 0\n";
  } else {
    pBM = tsk::tprob(std::fabs(bm.w), static_cast<double>(bm.f), 2);
  }

  BootResult boot;
  boot.defined = false;
  if (shiftUsable) boot = bootwmw(mt, x1, x2, y, b);
  const float pB = boot.defined ? boot.p : -1.0f;

  report.message(" P-values (two-tailed): ");
  report.message(std::string("   Wilcoxon-Mann-Whitney test     Brunner-Munzel") +
                 " test     Bootstrap test");
  report.format("(F19.4,F29.4,F21.4)", {wmw.p, pBM, pB});
  if (const char* why = bmNote(whyUndefined(x1, x2, bm.f))) report.message(why);
  if (!wmw.defined) {
    report.message("   NOTE: All values are equal; the Wilcoxon-Mann-Whitney p-value is 1.");
  }
  if (n1 < 2 || n2 < 2) {
    report.message("   NOTE: The bootstrap test needs two groups in each sample; -1.0000 marks it");
    report.message("         as not computed.");
  } else if (!shiftUsable) {
    report.message("   NOTE: The values are too large for the bootstrap shift; -1.0000 marks");
    report.message("         the bootstrap test as not computed.");
  } else if (!boot.defined) {
    report.message("   NOTE: The rank statistic of the bootstrap test is not defined for these");
    report.message("         samples (0/0); -1.0000 marks it as not computed.");
  }
  report.format(
      "(' (WARNING: Wilcoxon-Mann-Whitney test may be unreliable, it is included',/,"
      "'           for information only.)')");
}

}  // namespace gsstoceq
