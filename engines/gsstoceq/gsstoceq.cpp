// SPDX-License-Identifier: GPL-3.0-or-later
#include "gsstoceq.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "stoceq_test.h"

namespace gsstoceq {

namespace {

using tsk::ReadStatus;
using tsk::analyses::BmUndefined;
using tsk::analyses::kMaxReplications;

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

void writeDescriptives(tsk::Report& report, tsk::ResultTable& table,
                       const tsk::analyses::StoceqTest& r) {
  const tsk::analyses::StoceqSample& a = r.samples[0];
  const tsk::analyses::StoceqSample& b = r.samples[1];
  report.format("(' Descriptives')");
  report.format("('                  Sample 1:      Sample 2:')");
  report.format("('    N:       ',I11,4X,I11)", {a.groups, b.groups});
  report.format("('    Minimum: ',F12.2,3X,F12.2)", {a.minimum, b.minimum});
  report.format("('    Median:  ',F12.2,3X,F12.2)", {a.median, b.median});
  report.format("('    Mean:    ',F12.2,3X,F12.2)", {a.mean, b.mean});
  report.format("('    Maximum: ',F12.2,3X,F12.2)", {a.maximum, b.maximum});
  for (int s = 0; s < 2; ++s) {
    const tsk::analyses::StoceqSample& x = r.samples[s];
    table.add(std::to_string(s + 1), "descriptives",
              {{"groups", tsk::tableNumber(x.groups)},
               {"minimum", tsk::tableNumber(x.minimum)},
               {"median_group_size", tsk::tableNumber(x.median)},
               {"mean_group_size", tsk::tableNumber(x.mean)},
               {"maximum", tsk::tableNumber(x.maximum)}});
  }
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

// B from the parameter file, with the warning paragraph (empty: none) when
// it cannot be used as it stands.
struct Replications {
  int b;
  const char* warning;
};
Replications readReplications(const std::filesystem::path& path) {
  int32_t b = 0;
  if (tsk::readParameterFile(path, b) != tsk::ParamStatus::Ok) {
    return {kDefaultReplications,
            "(/,'   WARNING: Error reading file steqreps.par, check data and format. Number',/,"
            "'            of bootstrap replications is set to 2000.')"};
  }
  // A count below 1 would divide by zero, one above the replication store
  // would overrun it.
  if (b < 1) {
    return {kDefaultReplications,
            "(/,'   WARNING: Number of bootstrap replications in steqreps.par must be 1 to',/,"
            "'            20000; it is set to 2000.')"};
  }
  if (b > kMaxReplications) {
    return {kMaxReplications,
            "(/,'   WARNING: Number of bootstrap replications in steqreps.par must be 1 to',/,"
            "'            20000; it is set to 20000.')"};
  }
  return {b, ""};
}

// Reads one sample's values; the failing status, or Value.
ReadStatus readValues(tsk::NumberReader& data, std::vector<float>& x, int n) {
  x.resize(static_cast<size_t>(n));
  return data.readReals(x.data(), n);
}

}  // namespace

void run(const tsk::EngineContext& context, int capacity) {
  const tsk::SeedTime start = context.seedTime();

  tsk::EngineRun run(context, "gsstoceq");
  run.openReport();
  run.startStatus();
  if (!run.openData()) return;
  tsk::Report& report = run.report();
  const std::filesystem::path parameterFile = run.file("steqreps.par");
  if (!tsk::NumberReader::open(parameterFile)) {
    return report.message(tsk::missingFileMessage("steqreps.par"));
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
  if (n1 < 1) return report.message(tsk::analyses::sampleWithoutGroups(1).message);
  st = readValues(data, x1, n1);
  if (st != ReadStatus::Value) return report.message(readMessage(st));

  if (!data.skipLine()) return report.message(kUnexpectedEnd);
  st = data.readInt(n2);
  if (st == ReadStatus::Value) st = data.readInt(animals);
  if (st != ReadStatus::Value) return report.message(readMessage(st));
  if (n2 > limits.maxGroups) return report.message(limits.tooLarge2);
  if (n2 < 1) return report.message(tsk::analyses::sampleWithoutGroups(2).message);
  if (limits.productLimit && static_cast<double>(n1) * n2 > kMaxProduct) {
    return report.message("   ERROR: n1 * n2 too large (max=2000000)");
  }
  st = readValues(data, x2, n2);
  if (st != ReadStatus::Value) return report.message(readMessage(st));

  const Replications reps = readReplications(parameterFile);
  const auto result = tsk::analyses::stoceqTest(x1, x2, reps.b, tsk::hhmmss(start.time));
  if (!result) return report.message(result.failure().message);
  const tsk::analyses::StoceqTest& r = result.value();

  writeDescriptives(report, run.table(), r);
  report.format("(/,'    P(X1>X2)+1/2P(X1=X2) =',F6.3,',    P(X1<X2)+1/2P(X1=X2) =',F6.3)",
                {r.greater, r.less});
  run.table().add(
      "1,2", "stochastic superiority",
      {{"p_1_greater", tsk::tableNumber(r.greater)}, {"p_1_less", tsk::tableNumber(r.less)}});
  if (*reps.warning) report.format(reps.warning);
  report.message(" ");
  report.format("(7X,'Number of bootstrap replications =',I6)", {r.replications});
  report.format("(7X,'(to change edit the file steqreps.par)')");
  report.message(" ");
  if (r.shiftUsable && r.unbalanced) {
    report.format(
        "(' WARNING: Adjustment in the bootstrap test failed (',F6.3,' )',', bootstrap',/,"
        "'          p-value may be invalid.',/,' ')",
        {r.balance});
  }
  if (r.bmWhy != BmUndefined::Defined && context.console) {
    *context.console << " bm degrees of freedom = 0\n";
  }

  report.message(" P-values (two-tailed): ");
  report.message(std::string("   Wilcoxon-Mann-Whitney test     Brunner-Munzel") +
                 " test     Bootstrap test");
  report.format("(F19.4,F29.4,F21.4)", {r.wmw.p, r.bmP, r.bootP});
  if (const char* why = bmNote(r.bmWhy)) report.message(why);
  // -1 in the report marks a test not computed; the table says NA.
  const auto pValue = [](float p) { return p < 0.0f ? std::string("NA") : tsk::tableNumber(p); };
  run.table().add("1,2", "Wilcoxon-Mann-Whitney test", {{"p_value", tsk::tableNumber(r.wmw.p)}});
  run.table().add("1,2", "Brunner-Munzel test",
                  {{"p_value", r.bmWhy == BmUndefined::Defined ? pValue(r.bmP) : "NA"}});
  run.table().add("1,2", "bootstrap test of stochastic equality", {{"p_value", pValue(r.bootP)}},
                  {}, r.replications);
  if (!r.wmw.defined) {
    report.message("   NOTE: All values are equal; the Wilcoxon-Mann-Whitney p-value is 1.");
  }
  if (n1 < 2 || n2 < 2) {
    report.message("   NOTE: The bootstrap test needs two groups in each sample; -1.0000 marks it");
    report.message("         as not computed.");
  } else if (!r.shiftUsable) {
    report.message("   NOTE: The values are too large for the bootstrap shift; -1.0000 marks");
    report.message("         the bootstrap test as not computed.");
  } else if (!r.boot.defined) {
    report.message("   NOTE: The rank statistic of the bootstrap test is not defined for these");
    report.message("         samples (0/0); -1.0000 marks it as not computed.");
  }
  report.format(
      "(' (WARNING: Wilcoxon-Mann-Whitney test may be unreliable, it is included',/,"
      "'           for information only.)')");
}

}  // namespace gsstoceq
