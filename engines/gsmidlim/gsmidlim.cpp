#include "gsmidlim.h"

#include <algorithm>
#include <cstdint>

namespace gsmidlim {

namespace {

using tsk::ReadStatus;

constexpr const char* kInvalid = "   ERROR: invalid data";
constexpr const char* kUnexpectedEnd = "   ERROR: unexpected end of data";
constexpr const char* kOutOfRange = "   ERROR: invalid data (group size out of range)";

// Reports a failed count read; true when the value was read.
bool countRead(tsk::Report& report, ReadStatus st) {
  if (st == ReadStatus::Value) return true;
  report.message(st == ReadStatus::EndOfData ? kUnexpectedEnd : kInvalid);
  return false;
}

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
    // The limits are whole numbers of 32 bits: a size that does not fit (or
    // is no number at all) cannot become one. 2147483647 itself reads as 2^31
    // in single precision and is refused too.
    if (!(v >= -2147483648.0f && v < 2147483648.0f)) return report.message(kOutOfRange);
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
  // The order statistics need ascending values. Samples arrive sorted from
  // the data files; a hand-edited exchange file need not be.
  std::sort(x.begin(), x.end());

  const int m = n / 2;
  if (n == 0) {
    report.format("(/,\"    Sample median group size:\",\"   none\")");
  } else {
    const auto at = [&x](int i) { return static_cast<double>(x[static_cast<size_t>(i)]); };
    const float med = static_cast<float>(n % 2 == 1 ? at(m) : (at(m - 1) + at(m)) / 2);
    report.format("(/,\"    Sample median group size:\",f7.1)", {med});
  }
  if (n <= 4) {
    return report.format(
        "(/,\"  Sample size too small - can't\",\" reach even the 90% confidence level!\")");
  }

  const Candidates c = candidates(x);
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

  struct Level {
    float level;
    const char* limits;
    const char* tooSmall;
  };
  const Level levels[] = {
      {0.99f, "(\"          99%      from\",I4,\"  to\",I4,8X,F5.1,\"%\")",
       "(\"          99%     Sample too small for 99% limits!\")"},
      {0.95f, "(\"          95%      from\",I4,\"  to\",I4,8X,F5.1,\"%\")",
       "(\"          95%     Sample too small for 95% limits!\")"},
      {0.90f, "(\"          90%      from\",I4,\"  to\",I4,8X,F5.1,\"%\")",
       "(\"          90%     Sample too small for 90% limits!\")"},
  };
  Interval chosen;
  for (const Level& l : levels) {
    choose(c, l.level, chosen);
    if (chosen.lo != 0) {
      const float percent = static_cast<float>(static_cast<double>(chosen.coverage) * 100);
      report.format(l.limits, {chosen.lo, chosen.hi, percent});
    } else {
      report.format(l.tooSmall);
    }
  }
  report.format(
      "(/,\"    When reporting the confidence limits, always report the\",/,"
      "\"    exact confidence level rather than the desired one.\")");
}

}  // namespace gsmidlim
