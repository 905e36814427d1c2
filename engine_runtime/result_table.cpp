// SPDX-License-Identifier: GPL-3.0-or-later
#include "result_table.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace tsk {

namespace {

template <typename T>
std::string shortest(T value) {
  if (!std::isfinite(value)) return "NA";
  char text[64];
  const auto end = std::to_chars(text, text + sizeof text, value).ptr;
  return std::string(text, end);
}

}  // namespace

std::string tableNumber(float value) { return shortest(value); }
std::string tableNumber(double value) { return shortest(value); }
std::string tableNumber(long long value) { return std::to_string(value); }

std::string sampleList(int first, int last) {
  std::string list;
  for (int i = first; i <= last; ++i) list += (list.empty() ? "" : ",") + std::to_string(i);
  return list;
}

std::string ResultTable::text(std::string_view name) const {
  std::string out = "engine\t" + std::string(name) + "\r\nseed\t";
  if (seed_) {
    char seed[16];
    std::snprintf(seed, sizeof seed, "%06d", *seed_);
    out += seed;
  }
  out += "\r\nsamples\tmethod\tstatistic\tvalue\tlevel\treplications\r\n";
  for (const ResultRow& r : rows_) {
    out += r.samples + '\t' + r.method + '\t' + r.statistic + '\t' + r.value + '\t' + r.level +
           '\t' + (r.replications > 0 ? std::to_string(r.replications) : "") + "\r\n";
  }
  return out;
}

}  // namespace tsk
