// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The numbers of a report as rows of a table, written beside the report as
// tsktab.tmp, so that a front end can hand them on at full precision
// instead of reading them back from the report's rounded text.
//
// tsktab.tmp, every line ended by CR LF, fields separated by tabs:
//   engine<TAB>NAME
//   seed<TAB>hhmmss          (empty for engines that draw no random numbers)
//   samples<TAB>method<TAB>statistic<TAB>value<TAB>level<TAB>replications
//   one line per row, in the order of the report
// A finished run always leaves this file, with no rows when the report
// stopped at an ERROR, so that a front end never takes an older run's rows.

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tsk {

inline constexpr const char* kTableFile = "tsktab.tmp";

struct ResultRow {
  std::string samples;     // "1", or "1,2" for a test of samples 1 and 2
  std::string method;      // its name in the table, e.g. "BCa bootstrap"
  std::string statistic;   // e.g. "mean", "lower_limit", "p_value"
  std::string value;       // tableNumber(...), or "NA" where none exists
  std::string level = {};  // confidence level, e.g. "0.95"; empty when none
  int replications = 0;    // bootstrap replications; 0 when none
};

// The shortest text that reads back as the same value: a float as a float,
// a double as a double. Not-finite values give "NA".
std::string tableNumber(float value);
std::string tableNumber(double value);
std::string tableNumber(long long value);
inline std::string tableNumber(int value) { return tableNumber(static_cast<long long>(value)); }
inline std::string tableNumber(std::optional<double> value) {
  return value ? tableNumber(*value) : std::string("NA");
}

// "1,2,3" for samples 1 to n.
std::string sampleList(int first, int last);

class ResultTable {
 public:
  void add(ResultRow row) { rows_.push_back(std::move(row)); }
  // Rows of one sample or test and one method, a {statistic, value} pair
  // each, all at one level and replication count.
  void add(const std::string& samples, const std::string& method,
           std::initializer_list<std::pair<const char*, std::string>> values,
           const std::string& level = {}, int replications = 0) {
    for (const auto& [statistic, value] : values)
      add({samples, method, statistic, value, level, replications});
  }
  // The second the run's random numbers were seeded from, hhmmss.
  void setSeed(int hhmmss) { seed_ = hhmmss; }
  const std::vector<ResultRow>& rows() const { return rows_; }
  // The whole file for engine `name`.
  std::string text(std::string_view name) const;

 private:
  std::vector<ResultRow> rows_;
  std::optional<int> seed_;
};

}  // namespace tsk
