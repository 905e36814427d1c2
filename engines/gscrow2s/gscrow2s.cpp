#include "gscrow2s.h"

#include <cmath>
#include <string>
#include <vector>

#include "bca.h"
#include "two_sample_read.h"

namespace gscrow2s {

namespace {

namespace bca = tsk::bca;

constexpr const char* kUnexpectedEnd = "   ERROR: unexpected end of data";
constexpr float kLevel = 0.975f;

}  // namespace

void run(const tsk::EngineContext& context, int capacity) {
  const tsk::SeedTime start = context.seedTime();
  tsk::MtBlock seed;
  tsk::sgrnd(seed, tsk::clockSeed(start.time));
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
    for (float v : x) {
      if (!(v > 0.0f)) return report.message(bca::kNotPositive);
    }
  }

  int B = 0;
  if (!bca::readReplications(run, "crowreps.par", "CROWREPS.PAR", B)) return;

  std::vector<float> b(bca::kMaxReplications);
  bca::Limits limits[2];
  bool defined[2] = {false, false};
  for (int s = 0; s < 2; ++s) {
    const std::vector<float>& x = samples[s];
    const int n = static_cast<int>(x.size());
    report.format("(/,\"  Sample\",I2,\":\")", {s + 1});
    const float mc = bca::statisticOf(x.data(), n, bca::Statistic::Crowding);
    report.format("(\"    Sample mean crowding =\",F7.2)", {mc});
    report.format("(\"    Number of groups in the sample =\",I5)", {n});

    // A sample without limits still uses its draws, so that the other
    // sample's limits are those of the full loop.
    auto skipDraws = [&] { tsk::skipDraws(seed, static_cast<uint64_t>(B) * n); };
    if (const char* why = bca::undefinedLimits(x.data(), n)) {
      report.message(why);
      skipDraws();
      continue;
    }
    const float a = bca::accelerationOf(x.data(), n, bca::Statistic::Crowding);
    if (!std::isfinite(a)) {
      report.message(bca::kUndefinedAcceleration);
      skipDraws();
      continue;
    }
    const float z0 =
        bca::bootstrap(seed, x.data(), n, B, bca::Statistic::Crowding, mc, b.data()).z0;

    report.message(" ");
    report.format("(\"    Number of bootstrap replications =\",I6)", {B});
    report.format("(\"     (to change edit the file CROWREPS.PAR)\")");
    const bca::Limits l = bca::limits(b.data(), B, z0, a, kLevel, bca::UpperIndex::OneAbove);
    report.format(
        "(/,\"    97.5% confidence limits:\",F7.2,\" to\",F7.2,\" (bootst. indices:\",I6,\" ,\",I6,"
        "\")\")",
        {l.lower, l.upper, l.kl, l.ku});
    if (l.uncertain) {
      report.format(
          "(6X,\"WARNING:\",F5.1,\"% limits are uncertain, increase the\",\" number of "
          "replications!\")",
          {100.0 * kLevel});
    }
    limits[s] = l;
    defined[s] = true;
  }

  report.format("(/,\"Comparison based on confidence intervals:\")");
  if (!defined[0] || !defined[1]) {
    return report.format("(\"    No comparison: a sample has no confidence interval.\")");
  }
  // Intervals that touch count as overlapping.
  const bool apart = limits[0].upper < limits[1].lower || limits[1].upper < limits[0].lower;
  if (apart) {
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
