#include "gssummar.h"

#include <vector>

#include "sample_block.h"

namespace gssummar {

namespace {

constexpr const char* kInvalid = "    ERROR: invalid data";
constexpr const char* kUnexpectedEnd = "    ERROR: unexpected end of data";

struct Statistics {
  float meanSize, medianSize, meanCrowding, medianCrowding;
};

// The median crowding by a running total over the ascending sizes. Returns
// false when the animal count does not lead the scan to a size inside x.
bool medianCrowding(const std::vector<float>& x, int n, int32_t a, float& result) {
  const int32_t m = a / 2;
  float c = 0.0f;
  for (int j = 0; j < n; ++j) {
    c = c + x[j];
    if (static_cast<double>(c) == m) {
      if (j + 1 >= n) return false;
      result =
          a % 2 == 0 ? static_cast<float>((static_cast<double>(x[j]) + x[j + 1]) / 2) : x[j + 1];
      return true;
    }
    if (static_cast<double>(c) > m) {
      result = x[j];
      return true;
    }
  }
  return false;
}

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
    const int n = block.groups;
    const int32_t a = block.animals;
    const std::vector<float>& x = block.sizes;

    Statistics s{};
    s.meanSize = static_cast<float>(static_cast<double>(a) / n);
    float squares = 0.0f;
    for (int i = 0; i < n; ++i) {
      squares = static_cast<float>(squares + static_cast<double>(x[i]) * x[i]);
    }
    const int h = n / 2;
    s.medianSize =
        n % 2 == 1 ? x[h] : static_cast<float>((static_cast<double>(x[h - 1]) + x[h]) / 2);
    if (a < 1 || !medianCrowding(x, n, a, s.medianCrowding)) {
      return report.message("    ERROR: number of animals does not match the group sizes");
    }
    s.meanCrowding = static_cast<float>(squares / static_cast<double>(a));
    report.format("(\"   Sample\",i3,\":\",i8,i9,2(f12.2,f10.2))",
                  {k, n, a, s.meanSize, s.medianSize, s.meanCrowding, s.medianCrowding});
  }
}

}  // namespace gssummar
