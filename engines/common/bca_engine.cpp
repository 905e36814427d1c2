// SPDX-License-Identifier: GPL-3.0-or-later
#include "bca_engine.h"

#include <algorithm>
#include <vector>

#include "bca_limits.h"

namespace tsk::bca {

namespace {

constexpr const char* kInvalid = "   ERROR: invalid data";

}  // namespace

bool readReplications(EngineRun& run, const std::string& fileName, int& B) {
  int32_t value = 0;
  ParamStatus status = readParameterFile(run.file(fileName), value);
  if (status == ParamStatus::Missing) {
    run.report().message(missingFileMessage(fileName));
    return false;
  }
  // A count of 0 or below would leave the bias correction undefined: it is
  // treated as the unreadable count it is.
  if (status == ParamStatus::Unreadable || value <= 0) {
    run.report().format("(\"   WARNING: Error reading file " + fileName +
                        ", check data and format. Number of\")");
    run.report().format("(\"            bootstrap replications is set to 2000.\")");
    run.report().format("(\" \")");
    value = kDefaultReplications;
  }
  B = std::min<int32_t>(value, kMaxReplications);
  return true;
}

void runOneSample(const EngineContext& context, int capacity, const OneSampleEngine& engine) {
  const SeedTime start = context.seedTime();
  EngineRun run(context, engine.name);
  run.openReport();
  run.startStatus();
  if (!run.openData()) return;
  Report& report = run.report();
  NumberReader& data = run.data();

  report.format("(/,\"" + engine.title + "\",/,\" \")");
  if (!start.error.empty()) return report.message(start.error);

  // The group count, the animal count (not used), then sizes to the end.
  std::vector<float> x(static_cast<size_t>(capacity));
  int32_t g = 0;
  int32_t animals = 0;
  int n = 0;
  ReadStatus status = data.readInt(g);
  if (status == ReadStatus::Value) status = data.readInt(animals);
  if (status == ReadStatus::Invalid) return report.message(kInvalid);
  while (status == ReadStatus::Value) {
    float v = 0.0f;
    status = data.readReal(v);
    if (status == ReadStatus::Invalid) return report.message(kInvalid);
    if (status != ReadStatus::Value) break;
    if (n == capacity) {
      return report.message("   ERROR: max. sample size is " + std::to_string(capacity));
    }
    x[static_cast<size_t>(n++)] = v;
  }
  x.resize(static_cast<size_t>(n));
  if (n > 0 && n != g) {
    report.message(" ");
    return report.message(" ***** STOP: inconsistent data");
  }
  const Statistic kind = engine.statistic;
  if (auto failure = analyses::checkSizes(x, kind)) return report.message(failure->message);

  int B = 0;
  if (!readReplications(run, engine.parameterFile, B)) return;

  static constexpr double kLevels[] = {0.90, 0.95, 0.99};
  const auto result = analyses::bcaLimits(x, kind, B, kLevels, hhmmss(start.time));
  if (!result) return report.message(result.failure().message);
  const analyses::BcaLimits& r = result.value();
  if (kind == Statistic::Crowding) {
    report.format("(\"    Sample mean crowding =\",F7.2)", {r.estimate});
  } else {
    report.format("(\"    Sample mean group size =\",F9.2)", {r.estimate});
  }
  report.format("(\"    Number of groups in the sample =\",I5)", {n});
  const std::string method = "BCa bootstrap";
  run.table().add(
      "1", method,
      {{kind == Statistic::Crowding ? "mean_crowding" : "mean_group_size", tableNumber(r.estimate)},
       {"groups", tableNumber(n)}});
  if (r.noLimits) return report.message(r.noLimits->message);

  report.message(" ");
  report.format("(\"    Number of bootstrap replications =\",I6)", {B});
  report.format("(\"     (to change edit the file " + engine.parameterFile + ")\")");
  for (const analyses::BcaLevel& l : r.levels) {
    const int level = static_cast<int>(100.0 * l.level + 0.1);
    report.format(
        "(/,I6,\"% confidence limits:\",F7.2,\"  to\",F7.2,\"  (bootst. indices:\",I6,\" ,\",I6,"
        "\" )\")",
        {level, l.lower, l.upper, l.kl, l.ku});
    run.table().add("1", method,
                    {{"lower_limit", tableNumber(l.lower)}, {"upper_limit", tableNumber(l.upper)}},
                    tableNumber(l.level), B);
    if (l.uncertain) {
      report.format(
          "(6X,\"WARNING:\",I3,\"% limits are uncertain, increase the\",\" number of "
          "replications!\")",
          {level});
    }
  }
}

}  // namespace tsk::bca
