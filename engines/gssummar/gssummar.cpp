// SPDX-License-Identifier: GPL-3.0-or-later
#include "gssummar.h"

#include <vector>

#include "describe.h"
#include "sample_block.h"

namespace gssummar {

namespace {

constexpr const char* kInvalid = "    ERROR: invalid data";
constexpr const char* kUnexpectedEnd = "    ERROR: unexpected end of data";

}  // namespace

void run(const tsk::EngineContext& context, int capacity) {
  tsk::EngineRun run(context, "gssummar");
  run.openReport();
  run.startStatus();
  if (!run.openData()) return;
  tsk::Report& report = run.report();
  tsk::NumberReader& data = run.data();

  report.message(" ");
  report.format("('Descriptive statistics')");
  report.format(
      "(/,16X,'   Number of          Mean    Median        Mean    Median',/,"
      "16X,'Groups  Animals         Group size             Crowding')");

  tsk::SampleBlock block;
  for (int k = 1;; ++k) {
    switch (tsk::readSampleBlock(data, capacity, 1, block)) {
      case tsk::BlockStatus::Value:
        break;
      case tsk::BlockStatus::NoBlock:
        if (k == 1) report.message(kUnexpectedEnd);
        return;
      case tsk::BlockStatus::Invalid:
        return report.message(kInvalid);
      case tsk::BlockStatus::NoAnimalCount:
        report.message(" ");
        return report.message("    ERROR: inconsistent data");
      case tsk::BlockStatus::TooManyGroups:
        return report.message("    ERROR: max. sample size is " + std::to_string(capacity));
      case tsk::BlockStatus::TooFewGroups:
        return report.message("    ERROR: a sample has no groups");
      // An incomplete later sample is reported too, not dropped in silence.
      case tsk::BlockStatus::MissingSizes:
        return report.message(kUnexpectedEnd);
    }
    const auto d = tsk::analyses::describe(block.sizes, block.animals);
    if (!d) return report.message(d.failure().message);
    report.format(
        "(\"   Sample\",i3,\":\",i8,i9,2(f12.2,f10.2))",
        {k, d->groups, d->animals, d->meanSize, d->medianSize, d->meanCrowding, d->medianCrowding});
    run.table().add(std::to_string(k), "descriptive statistics",
                    {{"groups", tsk::tableNumber(d->groups)},
                     {"animals", tsk::tableNumber(d->animals)},
                     {"mean_group_size", tsk::tableNumber(d->meanSize)},
                     {"median_group_size", tsk::tableNumber(d->medianSize)},
                     {"mean_crowding", tsk::tableNumber(d->meanCrowding)},
                     {"median_crowding", tsk::tableNumber(d->medianCrowding)}});
  }
}

}  // namespace gssummar
