// SPDX-License-Identifier: GPL-3.0-or-later
#include "gsmean2s.h"

#include <optional>
#include <string>

#include "mean_test.h"
#include "two_sample_read.h"

namespace gsmean2s {

namespace {

constexpr const char* kUnexpectedEnd = "   ERROR: unexpected end of data";
constexpr int32_t kDefaultReplications = 2000;
constexpr int32_t kMaxReplications = 20000;

// One group has no spread (n - 1 = 0 in the variance): no t statistic. The
// front end knows this least number from the engine's build declaration.
constexpr int kMinGroups = tsk::analyses::kMeanTestMinGroups;
constexpr const char* kTooFew = "too small (min=2)";

}  // namespace

void run(const tsk::EngineContext& context, int capacity) {
  const tsk::SeedTime start = context.seedTime();
  tsk::EngineRun run(context, "gsmean2s");
  run.openReport();
  if (!run.openData()) return;
  tsk::Report& report = run.report();
  std::optional<tsk::NumberReader> parameters = tsk::NumberReader::open(run.file("mean2reps.par"));
  if (!parameters) return report.message(tsk::missingFileMessage("mean2reps.par"));
  run.startStatus();

  report.format("(/,\"Bootstrap 2-sample t-test for comparing mean group size\",/)");
  if (!start.error.empty()) return report.message(start.error);

  tsk::NumberReader& data = run.data();
  std::vector<float> x1, x2;
  std::string error = tsk::readTwoSampleBlock(data, 1, capacity, kMinGroups, kTooFew, x1);
  if (!error.empty()) return report.message(error);
  if (!data.skipLine()) return report.message(kUnexpectedEnd);
  error = tsk::readTwoSampleBlock(data, 2, capacity, kMinGroups, kTooFew, x2);
  if (!error.empty()) return report.message(error);

  int32_t b = 0;
  const bool readable = tsk::readParameters(*parameters, b) == tsk::ParamStatus::Ok;
  // A count of 0 or below would leave the p-value undefined: the default
  // applies, with the same warning as for an unreadable file.
  const bool unreadable = !readable || b <= 0;
  if (unreadable) b = kDefaultReplications;
  // Every replication costs n1 + n2 draws: a count beyond the other
  // engines' store would run for hours.
  const bool lowered = b > kMaxReplications;
  if (lowered) b = kMaxReplications;

  const auto result = tsk::analyses::meanTest(x1, x2, b, tsk::hhmmss(start.time));
  if (!result) return report.message(result.failure().message);
  const tsk::analyses::MeanTest& r = result.value();
  const tsk::analyses::Moments& m = r.moments;
  report.format("(\"                       Sample 1  Sample 2\")");
  report.format("(\"       Sample sizes = \",i9,i10)", {r.groups[0], r.groups[1]});
  report.format("(\"       Sample means = \",f9.3,f10.3)", {m.m1, m.m2});
  report.format("(\"       Sample std.s = \",f9.3,f10.3)", {m.s1, m.s2});
  report.format("(\"       t-statistic  = \",f14.3)", {r.t});
  constexpr const char* kMethod = "bootstrap two-sample t-test";
  run.table().add("1", kMethod,
                  {{"groups", tsk::tableNumber(r.groups[0])},
                   {"mean_group_size", tsk::tableNumber(m.m1)},
                   {"standard_deviation", tsk::tableNumber(m.s1)}});
  run.table().add("2", kMethod,
                  {{"groups", tsk::tableNumber(r.groups[1])},
                   {"mean_group_size", tsk::tableNumber(m.m2)},
                   {"standard_deviation", tsk::tableNumber(m.s2)}});
  run.table().add("1,2", kMethod, {{"t_statistic", tsk::tableNumber(r.t)}});
  if (unreadable) {
    report.format(
        "(/,'   WARNING: Error reading file mean2reps.par, check data\"',' and format. Number',/,"
        "'            of bootstrap replications is set to 2000.')");
  }
  if (lowered) {
    report.format(
        "(/,'   WARNING: Number of bootstrap replications in mean2reps.par must be 1 to',/,"
        "'            20000; it is set to 20000.')");
  }
  report.message(" ");
  report.format("(3x,\"Number of bootstrap replications =\",i6)", {b});
  report.format("(3x,\"(to change edit the file mean2reps.par)\")");
  report.message(" ");
  report.format("(\"   Bootstrap p-value (two-sided) =\",f7.4)", {r.p});
  run.table().add("1,2", kMethod, {{"p_value", tsk::tableNumber(r.p)}}, {}, b);
}

}  // namespace gsmean2s
