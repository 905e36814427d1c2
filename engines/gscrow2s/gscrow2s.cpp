// SPDX-License-Identifier: GPL-3.0-or-later
#include "gscrow2s.h"

#include <string>
#include <vector>

#include "bca_engine.h"
#include "two_sample_read.h"

namespace gscrow2s {

namespace {

namespace bca = tsk::bca;

constexpr const char* kUnexpectedEnd = "   ERROR: unexpected end of data";
constexpr float kLevel = 0.975f;
// The method as the table of results names it.
constexpr const char* kMethod = "BCa bootstrap";

}  // namespace

void run(const tsk::EngineContext& context, int capacity) {
  const tsk::SeedTime start = context.seedTime();
  tsk::EngineRun run(context, "gscrow2s");
  run.openReport();
  run.startStatus();
  if (!run.openData()) return;
  tsk::Report& report = run.report();

  report.format("(/,\"Two-sample comparison of mean crowding\")");
  if (!start.error.empty()) return report.message(start.error);

  std::vector<float> samples[2];
  // A sample without groups has no mean crowding at all.
  std::string error =
      tsk::readTwoSampleBlock(run.data(), 1, capacity, 1, "has no groups", samples[0]);
  if (error.empty() && !run.data().skipLine()) error = kUnexpectedEnd;
  if (error.empty())
    error = tsk::readTwoSampleBlock(run.data(), 2, capacity, 1, "has no groups", samples[1]);
  if (!error.empty()) return report.message(error);
  for (const auto& x : samples) {
    if (auto failure = tsk::analyses::checkSizes(x, bca::Statistic::Crowding)) {
      return report.message(failure->message);
    }
  }

  int B = 0;
  if (!bca::readReplications(run, "crowreps.par", B)) return;

  const auto result =
      tsk::analyses::crowdingComparison(samples[0], samples[1], B, kLevel, tsk::hhmmss(start.time));
  if (!result) return report.message(result.failure().message);
  for (int s = 0; s < 2; ++s) {
    const tsk::analyses::BcaLimits& r = result->samples[s];
    report.format("(/,\"  Sample\",I2,\":\")", {s + 1});
    report.format("(\"    Sample mean crowding =\",F7.2)", {r.estimate});
    report.format("(\"    Number of groups in the sample =\",I5)", {r.groups});
    const std::string sample = std::to_string(s + 1);
    run.table().add(
        sample, kMethod,
        {{"mean_crowding", tsk::tableNumber(r.estimate)}, {"groups", tsk::tableNumber(r.groups)}});
    if (r.noLimits) {
      report.message(r.noLimits->message);
      continue;
    }
    report.message(" ");
    report.format("(\"    Number of bootstrap replications =\",I6)", {B});
    report.format("(\"     (to change edit the file crowreps.par)\")");
    const tsk::analyses::BcaLevel& l = r.levels[0];
    report.format(
        "(/,\"    97.5% confidence limits:\",F7.2,\" to\",F7.2,\" (bootst. indices:\",I6,\" ,\",I6,"
        "\")\")",
        {l.lower, l.upper, l.kl, l.ku});
    run.table().add(
        sample, kMethod,
        {{"lower_limit", tsk::tableNumber(l.lower)}, {"upper_limit", tsk::tableNumber(l.upper)}},
        tsk::tableNumber(kLevel), B);
    if (l.uncertain) {
      report.format(
          "(6X,\"WARNING:\",F5.1,\"% limits are uncertain, increase the\",\" number of "
          "replications!\")",
          {100.0 * l.level});
    }
  }

  report.format("(/,\"Comparison based on confidence intervals:\")");
  if (!result->apart) {
    return report.format("(\"    No comparison: a sample has no confidence interval.\")");
  }
  run.table().add("1,2", kMethod, {{"intervals_overlap", tsk::tableNumber(*result->apart ? 0 : 1)}},
                  tsk::tableNumber(kLevel), B);
  if (*result->apart) {
    report.format(
        "(\"    As the above 97.5% confidence intervals do not\",\" overlap, the difference\",/,"
        "\"    between the two samples is \",\"significant (p<0.05).\")");
  } else {
    report.format(
        "(\"    As the above 97.5% confidence intervals overlap,\",\" the difference\",/,"
        "\"    between the two samples is \",\"non-significant (p>0.05).\")");
  }
}

}  // namespace gscrow2s
