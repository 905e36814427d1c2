// SPDX-License-Identifier: GPL-3.0-or-later
#include "gsmidlim.h"

#include <cstdint>
#include <vector>

#include "median_limits.h"

namespace gsmidlim {

namespace {

using tsk::ReadStatus;

// The method as the table of results names it.
constexpr const char* kMethod = "exact limits of the median";

constexpr const char* kInvalid = "   ERROR: invalid data";
constexpr const char* kUnexpectedEnd = "   ERROR: unexpected end of data";

// Reports a failed count read; true when the value was read.
bool countRead(tsk::Report& report, ReadStatus st) {
  if (st == ReadStatus::Value) return true;
  report.message(st == ReadStatus::EndOfData ? kUnexpectedEnd : kInvalid);
  return false;
}

}  // namespace

void run(const tsk::EngineContext& context, int capacity) {
  tsk::EngineRun run(context, "gsmidlim");
  run.openReport();
  if (!run.openData()) return;
  run.startStatus();
  tsk::Report& report = run.report();
  tsk::NumberReader& data = run.data();

  report.message(" ");
  report.format("(\"Exact confidence limits for the median\",\" group size\")");

  int32_t g = 0, animals = 0;
  if (!countRead(report, data.readInt(g)) || !countRead(report, data.readInt(animals))) return;
  std::vector<float> x;
  for (;;) {
    float v = 0.0f;
    const ReadStatus st = data.readReal(v);
    if (st == ReadStatus::EndOfData) break;
    if (st == ReadStatus::Invalid) return report.message(kInvalid);
    if (auto failure = tsk::analyses::checkLimitSize(v)) return report.message(failure->message);
    if (static_cast<int>(x.size()) == capacity) {
      report.message("   ");
      return report.message("   ERROR: max. sample size is " + std::to_string(capacity));
    }
    x.push_back(v);
  }
  const int n = static_cast<int>(x.size());
  if (n != g) {
    report.message(" ");
    return report.message("   ERROR: inconsistent data");
  }
  static constexpr double kLevels[] = {0.99, 0.95, 0.90};
  const auto result = tsk::analyses::medianLimits(x, kLevels);
  if (!result) return report.message(result.failure().message);
  const tsk::analyses::MedianLimits& limits = result.value();

  if (limits.median) {
    report.format("(/,\"    Sample median group size:\",f7.1)", {*limits.median});
    run.table().add("1", kMethod, {{"median_group_size", tsk::tableNumber(*limits.median)}});
  } else {
    report.format("(/,\"    Sample median group size:\",\"   none\")");
  }
  if (limits.noLimits) {
    report.line("");
    return report.line(limits.noLimits->message);
  }

  report.format(
      "(/,"
      "\"    Due to discretness of the data, it is not always possible\",/,"
      "\"    to construct exactly 90% , 95% or 99% confidence limits. In\",/,"
      "\"    such cases usually the shortest interval is chosen of those\",/,"
      "\"    which have at least the desired confidence level.\",/,/,"
      "\"    For the present data:\",/,/,"
      "\"        Desired       Confidence       Actual (exact)\",/,"
      "\"         level          limits        confidence level\",/,"
      "\"        -------    ----------------   ----------------\")");

  // The limits lines of kLevels, and the lines for a level without limits.
  static constexpr const char* kLines[][2] = {
      {"(\"          99%      from\",I4,\"  to\",I4,8X,F5.1,\"%\")",
       "(\"          99%     Sample too small for 99% limits!\")"},
      {"(\"          95%      from\",I4,\"  to\",I4,8X,F5.1,\"%\")",
       "(\"          95%     Sample too small for 95% limits!\")"},
      {"(\"          90%      from\",I4,\"  to\",I4,8X,F5.1,\"%\")",
       "(\"          90%     Sample too small for 90% limits!\")"},
  };
  for (size_t k = 0; k < limits.levels.size(); ++k) {
    const tsk::analyses::Interval& chosen = limits.levels[k].interval;
    // A lower limit of 0 (sizes below 1 truncated) has always read as none.
    if (limits.levels[k].found && chosen.lo != 0) {
      const float percent = static_cast<float>(static_cast<double>(chosen.coverage) * 100);
      report.format(kLines[k][0], {chosen.lo, chosen.hi, percent});
      run.table().add("1", kMethod,
                      {{"lower_limit", tsk::tableNumber(chosen.lo)},
                       {"upper_limit", tsk::tableNumber(chosen.hi)},
                       {"exact_confidence_level", tsk::tableNumber(chosen.coverage)}},
                      tsk::tableNumber(limits.levels[k].level));
    } else {
      report.format(kLines[k][1]);
    }
  }
  report.format(
      "(/,\"    When reporting the confidence limits, always report the\",/,"
      "\"    exact confidence level rather than the desired one.\")");
}

}  // namespace gsmidlim
