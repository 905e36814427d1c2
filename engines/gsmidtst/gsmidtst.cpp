// SPDX-License-Identifier: GPL-3.0-or-later
#include "gsmidtst.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "median_test.h"

namespace gsmidtst {

namespace {

using tsk::ReadStatus;

constexpr const char* kUnexpectedEnd = " ERROR: unexpected end of data";
constexpr const char* kInvalid = " ERROR: invalid data";
constexpr const char* kParameterFile = "gsmidtst.par";
// The method as the table of results names it.
constexpr const char* kMethod = "Mood's median test with Fisher's exact test";

constexpr const char* kTitle = "(/,\"Mood's median test for comparing median group sizes\",/)";
constexpr const char* kHeading =
    "(\"                    No. of groups      Median\",/,"
    "\"                    in the sample    group size\")";
constexpr const char* kSampleLine = "(7X,\"Sample\",I2,\": \",I12,F15.1)";
constexpr const char* kTooManySamples =
    "(/,\"   WARNING: Max. number of samples in this procedure is\",I2,\".\",/,"
    "\"            Only the first\",I2,\" samples are used.\")";
constexpr const char* kPooled = "(/,7X,\"Combined sample: \",I5,F15.1)";
constexpr const char* kTableHeading =
    "(/,\"   Number of values below/above the combined median\",/,"
    "\"                            (LE)      (GT)\")";
constexpr const char* kTableLine = "(13X,\"Sample\",I2,\":\",I9,I10)";
constexpr const char* kParameterWarning =
    "(/,\"   WARNING: Error reading file gsmidtst.par, check data and format. Time\",/,"
    "\"            limit is set to 1 minute.\")";
constexpr const char* kRefusal =
    "(/,\"   ERROR: Now Fisher's exact test is to be applied to the above table.\",/,"
    "\"          The estimated running time of the procedure (assuming a 366MHz\",/,"
    "\"          Pentium PC) is \",I6,\" minutes. This exceeds the limit specified\",/,"
    "\"          in the gsmidtst.par file. To increase the time limit, edit the\",/,"
    "\"          file gsmidtst.par (e.g. by NOTEPAD).\")";
constexpr const char* kResult = "(/,\"   Exact p-value (2-sided)  = \",F6.3)";

void emptyLine(tsk::Report& report) { report.format("()"); }

// The time limit in minutes. The estimate of six large samples runs to
// trillions of minutes, past a 32-bit field, while the search here finishes
// them in seconds: a whole number beyond that field is therefore taken as it
// stands rather than as a reading error. Everything else reads as any
// parameter file does.
tsk::ParamStatus readLimit(const std::filesystem::path& path, double& limit) {
  int32_t value = 0;
  const tsk::ParamStatus status = tsk::readParameterFile(path, value);
  if (status == tsk::ParamStatus::Ok) limit = value;
  if (status != tsk::ParamStatus::Unreadable) return status;
  std::optional<tsk::NumberReader> in = tsk::NumberReader::open(path);
  std::string item;
  if (!in || !in->skipLine() || !in->skipLine() || in->readItem(item) != tsk::ReadStatus::Value) {
    return status;
  }
  const size_t digits = item[0] == '+' ? 1 : 0;
  if (item.size() == digits || item.size() - digits > 18 ||
      item.find_first_not_of("0123456789", digits) != std::string::npos) {
    return status;
  }
  limit = static_cast<double>(std::stoll(item.substr(digits)));
  return tsk::ParamStatus::Ok;
}

}  // namespace

void run(const tsk::EngineContext& context, int capacity) {
  tsk::EngineRun run(context, "gsmidtst");
  run.startStatus();
  run.openReport();
  if (!run.openData()) return;
  tsk::Report& report = run.report();
  tsk::NumberReader& data = run.data();

  report.format(kTitle);
  report.format(kHeading);

  std::vector<std::vector<float>> samples;
  for (int j = 1;; ++j) {
    int32_t groups = 0, animals = 0;
    ReadStatus st = data.readInt(groups);
    if (st == ReadStatus::EndOfData) {
      if (j == 1) return report.message(kUnexpectedEnd);
      break;
    }
    if (st == ReadStatus::Invalid) return report.message(kInvalid);
    st = data.readInt(animals);
    if (st == ReadStatus::EndOfData) return report.message(kUnexpectedEnd);
    if (st == ReadStatus::Invalid) return report.message(kInvalid);
    if (groups < 0 || groups > animals) {
      report.message(" ");
      return report.message(" ***** invalid parameters: " + std::to_string(animals) + " " +
                            std::to_string(groups));
    }
    if (j == kMaxSamples + 1) {
      report.format(kTooManySamples, {kMaxSamples, kMaxSamples});
      break;
    }
    if (groups > capacity) {
      emptyLine(report);
      return report.message("    ERROR: sample " + std::to_string(j) +
                            " too large (max = " + std::to_string(capacity) + ")");
    }
    // A sample without groups has no median to compare.
    if (groups == 0) {
      emptyLine(report);
      return report.message(tsk::analyses::medianTestNoGroups(j).message);
    }
    std::vector<float>& x = samples.emplace_back(static_cast<size_t>(groups));
    for (float& v : x) {
      st = data.readReal(v);
      if (st == ReadStatus::EndOfData) return report.message(kUnexpectedEnd);
      if (st == ReadStatus::Invalid) return report.message(kInvalid);
    }
    if (!data.skipLine()) return report.message(kUnexpectedEnd);
    std::vector<float> sorted = x;
    report.format(kSampleLine, {j, groups, tsk::analyses::amed(sorted.data(), groups)});
  }

  // The limit first, the test next, and the lines of both in report order.
  double limit = 1;
  const tsk::ParamStatus limitStatus = readLimit(run.file(kParameterFile), limit);
  if (limitStatus == tsk::ParamStatus::Unreadable) limit = 1;
  // Without its parameter file the run reports that instead of a p-value.
  if (limitStatus == tsk::ParamStatus::Missing) limit = -1;
  const std::vector<tsk::analyses::Sizes> sizes(samples.begin(), samples.end());
  const auto result = tsk::analyses::medianTest(sizes, limit);
  if (!result) {
    emptyLine(report);
    return report.message(result.failure().message);
  }
  const tsk::analyses::MedianTest& r = result.value();
  const int k = static_cast<int>(r.samples.size());
  for (int j = 0; j < k; ++j) {
    run.table().add(std::to_string(j + 1), kMethod,
                    {{"groups", tsk::tableNumber(r.samples[j].groups)},
                     {"median_group_size", tsk::tableNumber(r.samples[j].median)}});
  }
  report.format(kPooled, {r.groups, r.median});
  const std::string all = tsk::sampleList(1, k);
  run.table().add(all, kMethod,
                  {{"combined_groups", tsk::tableNumber(r.groups)},
                   {"combined_median_group_size", tsk::tableNumber(r.median)}});
  report.format(kTableHeading);
  for (int j = 0; j < k; ++j) {
    report.format(kTableLine, {j + 1, r.samples[j].le, r.samples[j].gt});
    run.table().add(std::to_string(j + 1), kMethod,
                    {{"groups_at_or_below_median", tsk::tableNumber(r.samples[j].le)},
                     {"groups_above_median", tsk::tableNumber(r.samples[j].gt)}});
  }

  // One sample leaves nothing to compare: said in the report, and the run
  // ends normally so that the front end sees "finished".
  if (r.noTest) {
    emptyLine(report);
    return report.message(r.noTest->message);
  }
  switch (limitStatus) {
    case tsk::ParamStatus::Ok:
      break;
    case tsk::ParamStatus::Unreadable:
      report.format(kParameterWarning);
      break;
    case tsk::ParamStatus::Missing:
      // Reported like every other failure, so that the run still finishes.
      emptyLine(report);
      return report.message(tsk::missingFileMessage("gsmidtst.par"));
  }

  if (!r.p) {
    // Far beyond I6 anyway; the clamp only keeps the value an integer.
    const long long shown = static_cast<long long>(std::min(r.estimate.minutes, 1.0e15));
    run.table().add(all, kMethod, {{"p_value", "NA"}});
    return report.format(kRefusal, {shown});
  }
  report.format(kResult, {*r.p});
  run.table().add(all, kMethod, {{"p_value", tsk::tableNumber(*r.p)}});
}

}  // namespace gsmidtst
