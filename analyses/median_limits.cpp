// SPDX-License-Identifier: GPL-3.0-or-later
#include "median_limits.h"

#include <cstdint>

namespace tsk::analyses {

namespace {

const char* const kOutOfRange = "   ERROR: invalid data (group size out of range)";
const char* const kTooSmall =
    "  Sample size too small - can't reach even the 90% confidence level!";

// The fewest groups whose limits can reach the 90 % level.
constexpr int kMinGroups = 5;

}  // namespace

Candidates candidates(const std::vector<float>& x) {
  Candidates c;
  const int n = static_cast<int>(x.size());
  const double p = 0.5;
  // The window bounds are the single-precision constants, compared with the
  // double cumulative probability.
  const double low = static_cast<double>(4.999e-05f);
  const double high = static_cast<double>(0.1f);
  double term = 1.0;
  for (int i = 0; i < n; ++i) term *= p;  // 0.5^n, exact down to n = 1074
  // cumBefore[i] = P(X <= i - 1), for the coverage of any position i.
  std::vector<double> cumBefore(static_cast<size_t>(n / 2) + 1, 0.0);
  double cum = term;
  for (int i = 1; i <= n / 2; ++i) {
    cumBefore[static_cast<size_t>(i)] = cum;
    term = term * ((n + 1) - i) / i * (p / (1 - p));
    cum = cum + term;
  }
  const auto truncated = [&x](int position) {
    return static_cast<int>(x[static_cast<size_t>(position - 1)]);
  };
  const auto coverage = [&cumBefore](int i) {
    return static_cast<float>(0.5 - cumBefore[static_cast<size_t>(i)]);
  };
  int lastLower = 0, lastUpper = 0;
  for (int i = 1; i <= n / 2; ++i) {
    const double cumI = cumBefore[static_cast<size_t>(i)];
    if (!(low < cumI && cumI <= high)) continue;
    // The window picks the values; a value that also fills positions further
    // out covers the median as well as its outermost position does, so it
    // takes that position's coverage.
    const int v = truncated(i);
    if (v != lastLower) {
      int outer = i;
      while (outer > 1 && truncated(outer - 1) == v) --outer;
      c.lower.push_back(v);
      c.lowerCoverage.push_back(coverage(outer));
      lastLower = v;
    }
    const int w = truncated(n - i + 1);
    if (w != lastUpper) {
      int outer = i;
      while (outer > 1 && truncated(n - outer + 2) == w) --outer;
      c.upper.push_back(w);
      c.upperCoverage.push_back(coverage(outer));
      lastUpper = w;
    }
  }
  return c;
}

void choose(const Candidates& c, float level, Interval& chosen) {
  float best = 10000.0f;
  for (size_t a = 0; a < c.lower.size(); ++a) {
    for (size_t b = 0; b < c.upper.size(); ++b) {
      const float coverage = c.lowerCoverage[a] + c.upperCoverage[b];
      // In 64 bits: limits of opposite sign may be 2^32 apart.
      const int64_t width = static_cast<int64_t>(c.upper[b]) - c.lower[a];
      if (coverage > level && static_cast<float>(width) < best) {
        chosen = {c.lower[a], c.upper[b], coverage};
        best = static_cast<float>(width);
      }
    }
  }
}

std::optional<Failure> checkLimitSize(float size) {
  // 2147483647 itself is 2^31 in single precision and is refused too.
  if (size >= -2147483648.0f && size < 2147483648.0f) return std::nullopt;
  return Failure{Error::SizeOutOfRange, kOutOfRange};
}

Result<MedianLimits> medianLimits(Sizes sizes, std::span<const double> levels) {
  if (auto failure = checkLevels(levels)) return *failure;
  const std::vector<float> x = sizes.ascending();
  for (float v : x) {
    if (auto failure = checkLimitSize(v)) return *failure;
  }
  MedianLimits r;
  r.groups = static_cast<int>(x.size());
  const int n = r.groups;
  if (n > 0) {
    const int m = n / 2;
    const auto at = [&x](int i) { return static_cast<double>(x[static_cast<size_t>(i)]); };
    r.median = static_cast<float>(n % 2 == 1 ? at(m) : (at(m - 1) + at(m)) / 2);
  }
  if (n < kMinGroups) {
    r.noLimits = Failure{Error::TooFewGroups, kTooSmall};
    return r;
  }
  r.candidates = candidates(x);
  for (double level : levels) {
    MedianLevel l;
    l.level = static_cast<float>(level);
    // Each level chooses afresh, so that the levels may come in any order.
    choose(r.candidates, l.level, l.interval);
    l.found = l.interval.coverage > 0.0f;
    r.levels.push_back(l);
  }
  return r;
}

}  // namespace tsk::analyses
