#include "fisherxx.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>
#include <vector>

namespace gsmidtst {

namespace {

// Running products beyond these bounds have lost, or are about to lose, their
// value to overflow or underflow.
constexpr double kProductHigh = 1e280;
constexpr double kProductLow = 1e-280;

double logChooseExact(int n, int r) {
  return static_cast<double>(std::lgamma(n + 1.0L) - std::lgamma(r + 1.0L) -
                             std::lgamma(n - r + 1.0L));
}

}  // namespace

double hipgeo(int N, int K, int m, int c) {
  int kk = 0, cc = 0;
  if (K > N / 2) {
    kk = K;
    cc = c;
  } else {
    kk = N - K;
    cc = m - c;
  }
  double p = 1.0;
  bool safe = true;
  for (int i = 1; i <= cc && safe; ++i) {
    p = ((kk - i + 1) * p / (N - i + 1)) * (m - i + 1) / (cc - i + 1);
    safe = p < kProductHigh && p > kProductLow;
  }
  for (int j = 1; j <= m - cc && safe; ++j) {
    p = (N - kk - j + 1) * p / (N - cc - j + 1);
    safe = p > kProductLow;
  }
  if (safe) return p;
  // From a few thousand values on, the first product grows past the double
  // range (two samples of 2000 reach 1e300) before the second brings it
  // back: then the probability is taken through the logarithms instead.
  if (c < 0 || c > K || m - c < 0 || m - c > N - K) return 0.0;
  return std::exp(logChooseExact(K, c) + logChooseExact(N - K, m - c) - logChooseExact(N, m));
}

double probab(int k, const int* t, const int* n, int A, int N) {
  double p = hipgeo(N, n[0], A, t[0]);
  int nn = N, aa = A;
  for (int i = 0; i < k - 2; ++i) {
    nn -= n[i];
    aa -= t[i];
    p = p * hipgeo(nn, n[i + 1], aa, t[i + 1]);
  }
  return p;
}

FisherTable canonicalTable(int k, const int* le, const int* n) {
  FisherTable tb;
  tb.k = k;
  std::array<int, kMaxRows> b{};
  int bTotal = 0;
  for (int i = 0; i < k; ++i) {
    tb.a[i] = le[i];
    tb.n[i] = n[i];
    b[i] = n[i] - le[i];
    tb.A += tb.a[i];
    bTotal += b[i];
  }
  tb.N = tb.A + bTotal;
  if (bTotal < tb.A) {
    std::swap(tb.a, b);
    tb.A = bTotal;
  }
  // The exchange sort as such: it decides the order of rows with equal
  // totals, and with it the order of the products in probab.
  for (int i = 0; i < k; ++i) {
    for (int j = i + 1; j < k; ++j) {
      if (tb.n[j] > tb.n[i]) {
        std::swap(tb.n[i], tb.n[j]);
        std::swap(tb.a[i], tb.a[j]);
      }
    }
  }
  return tb;
}

namespace {

// Relative tolerance of "at most P0".
const double kTolerance = 1.0e-7;

// Half-width, in log probability, of the band around the cut in which a
// table is decided by probab itself rather than by its logarithm, so that
// every decision is the one the full enumeration makes. The logarithms are
// good to about 1e-11 and probab to a few 1e-11 (relative): outside the band
// both always agree.
constexpr double kBand = 1e-8;

// Logarithms of the weights: the counts outside a visited run are found as a
// difference of two sums, which extended precision keeps accurate.
using Log = long double;

// Largest number of partial tables that the tail lists are built from (every
// row of the tail but its last), and largest number of entries they keep.
constexpr double kTailBudget = 4.5e6;
constexpr size_t kEntryCap = 6000000;

// Extra room below the listing threshold: the threshold is concave only up to
// rounding, and an entry listed needlessly costs nothing but memory.
constexpr double kListMargin = 1e-6;

class Search {
 public:
  Search(const FisherTable& tb, int head) : tb_(tb), k_(tb.k), h_(head) {}

  // False when the tail lists would pass their cap: then more rows belong in
  // the tree.
  bool run(double& result) {
    const int N = tb_.N, A = tb_.A;
    logFact_.resize(static_cast<size_t>(N) + 1);
    for (int x = 0; x <= N; ++x) logFact_[x] = std::lgamma(x + 1.0L);
    rest_.assign(static_cast<size_t>(k_) + 1, 0);
    for (int i = k_ - 1; i >= 0; --i) rest_[i] = rest_[i + 1] + tb_.n[i];
    for (int i = 0; i < k_; ++i) {
      std::vector<Log> row(static_cast<size_t>(tb_.n[i]) + 1);
      for (int t = 0; t <= tb_.n[i]; ++t) row[t] = logChoose(tb_.n[i], t);
      logRowD_.emplace_back(row.begin(), row.end());
      logRow_.push_back(std::move(row));
    }
    logTotal_ = logChoose(N, A);
    // A table counts when its probability is at most P0 (1 + 1e-7): relative,
    // so that tables far below 1e-12 are not all counted at once. The log of
    // the cut comes from the log weights, so that it stays finite where P0
    // itself underflows.
    const double p0 = probab(k_, tb_.a.data(), tb_.n.data(), A, N);
    cut_ = p0 * (1.0 + kTolerance);
    Log logP0 = -logTotal_;
    for (int i = 0; i < k_; ++i) logP0 += logRow_[i][tb_.a[i]];
    logCut_ = logP0 + std::log1p(static_cast<Log>(kTolerance));
    // Where P0 is too small for probab to tell tables apart, the band is
    // decided by the log weights.
    useProbab_ = p0 > 1e-280;

    buildExtremes();
    if (!buildTail()) return false;
    buildBounds();
    if (h_ == 0) {
      leaf(A, 0.0);
    } else {
      descend(0, A, 0.0);
    }
    result = static_cast<double>(p_);
    return true;
  }

 private:
  Log logChoose(int n, int r) const { return logFact_[n] - logFact_[r] - logFact_[n - r]; }
  // Log of the summed weight of every completion of rows i..k-1 with the
  // remaining first-column total r (Vandermonde's identity).
  Log logSubtree(int i, int r) const { return logChoose(rest_[i], r); }
  // Smallest remaining total that rows i..k-1 can be left with, given that
  // rows 0..i-1 take at most their row totals.
  int lowestRest(int i) const { return std::max(0, tb_.A - (tb_.N - rest_[i])); }

  // Largest log weight of the head rows 0..h-1 for each first-column sum s,
  // and largest and smallest of the tail rows h..k-1 for each sum r (max-
  // and min-plus convolutions of the rows).
  void buildExtremes() {
    const double inf = std::numeric_limits<double>::infinity();
    headMax_.assign(1, 0.0);
    for (int i = 0; i < h_; ++i) {
      const int top = std::min(tb_.A, static_cast<int>(headMax_.size()) - 1 + tb_.n[i]);
      std::vector<double> next(static_cast<size_t>(top) + 1, -inf);
      for (int s = 0; s < static_cast<int>(headMax_.size()); ++s) {
        if (headMax_[s] == -inf) continue;
        for (int t = 0; t <= tb_.n[i] && s + t <= top; ++t) {
          next[s + t] = std::max(next[s + t], headMax_[s] + logRowD_[i][t]);
        }
      }
      headMax_ = std::move(next);
    }
    std::vector<double> mx(1, 0.0), mn(1, 0.0);
    for (int j = k_ - 1; j >= h_; --j) {
      const int top = std::min(tb_.A, rest_[j]);
      std::vector<double> nmx(static_cast<size_t>(top) + 1, -inf),
          nmn(static_cast<size_t>(top) + 1, inf);
      for (int s = 0; s < static_cast<int>(mx.size()); ++s) {
        if (mx[s] == -inf) continue;
        for (int t = 0; t <= tb_.n[j] && s + t <= top; ++t) {
          nmx[s + t] = std::max(nmx[s + t], mx[s] + logRowD_[j][t]);
          nmn[s + t] = std::min(nmn[s + t], mn[s] + logRowD_[j][t]);
        }
      }
      mx = std::move(nmx);
      mn = std::move(nmn);
    }
    tailMax_ = std::move(mx);
    tailMin_ = std::move(mn);
  }

  // The tail tables of rows h..k-1 that some head could leave undecided,
  // grouped by their first-column sum and sorted by log weight, with running
  // sums of the weights relative to the group total. A tail table below the
  // group's threshold is counted with every head (its table lies below the
  // cut whatever the head): such tables are not listed, only their share.
  bool buildTail() {
    const double inf = std::numeric_limits<double>::infinity();
    restLo_ = lowestRest(h_);
    restHi_ = std::min(tb_.A, rest_[h_]);
    groups_.assign(static_cast<size_t>(restHi_ - restLo_) + 1, {});
    theta_.assign(groups_.size(), inf);
    minTheta_ = inf;
    for (int r = restLo_; r <= restHi_; ++r) {
      const int s = tb_.A - r;
      if (s < 0 || s >= static_cast<int>(headMax_.size()) || headMax_[s] == -inf) continue;
      const double th =
          static_cast<double>(logCut_ + logTotal_) - headMax_[s] - kBand - kListMargin;
      theta_[r - restLo_] = th;
      minTheta_ = std::min(minTheta_, th);
    }
    radix_.assign(static_cast<size_t>(k_ - h_) + 1, 1);
    for (int q = 1; q <= k_ - h_; ++q) {
      radix_[q] = radix_[q - 1] * static_cast<uint64_t>(tb_.n[h_ + q - 1] + 1);
    }
    // Largest log weight of rows j..k-1 whatever their sum, for pruning.
    suffixMax_.assign(static_cast<size_t>(k_) + 1, 0.0);
    for (int j = k_ - 1; j >= h_; --j) {
      double best = -inf;
      for (double v : logRowD_[j]) best = std::max(best, v);
      suffixMax_[j] = suffixMax_[j + 1] + best;
    }
    entries_ = 0;
    if (h_ == k_) return false;
    if (!generate(h_, 0, 0.0, 0)) return false;
    for (int r = restLo_; r <= restHi_; ++r) {
      Group& g = groups_[r - restLo_];
      std::sort(g.entries.begin(), g.entries.end(),
                [](const Entry& x, const Entry& y) { return x.logWeight < y.logWeight; });
      g.ref = logSubtree(h_, r);
      g.prefix.resize(g.entries.size() + 1);
      g.prefix[0] = 0.0;
      const double refD = static_cast<double>(g.ref);
      for (size_t e = 0; e < g.entries.size(); ++e) {
        g.prefix[e + 1] = g.prefix[e] + std::exp(g.entries[e].logWeight - refD);
      }
      g.unlisted = std::max(0.0, 1.0 - g.prefix.back());
    }
    return true;
  }

  bool generate(int j, int sum, double logWeight, uint64_t code) {
    if (logWeight + suffixMax_[j] < minTheta_) return true;
    if (j == k_ - 1) return generateLast(sum, logWeight, code);
    const int lo = std::max(0, restLo_ - sum - rest_[j + 1]);
    const int hi = std::min(tb_.n[j], restHi_ - sum);
    for (int t = lo; t <= hi; ++t) {
      if (!generate(j + 1, sum + t, logWeight + logRowD_[j][t],
                    code + static_cast<uint64_t>(t) * radix_[j - h_])) {
        return false;
      }
    }
    return true;
  }

  // The last tail row: g(t) = own weight - threshold of the sum is concave in
  // t (the threshold is convex in the sum), so the entries to list form one
  // run around its peak.
  bool generateLast(int sum, double logWeight, uint64_t code) {
    const int j = k_ - 1;
    const int lo = std::max(0, restLo_ - sum);
    const int hi = std::min(tb_.n[j], restHi_ - sum);
    if (lo > hi) return true;
    const std::vector<double>& row = logRowD_[j];
    auto g = [&](int t) { return logWeight + row[t] - theta_[sum + t - restLo_]; };
    int a = lo, b = hi;
    while (a < b) {
      const int mid = a + (b - a) / 2;
      if (g(mid) < g(mid + 1)) {
        a = mid + 1;
      } else {
        b = mid;
      }
    }
    auto add = [&](int t) {
      groups_[sum + t - restLo_].entries.push_back(
          {logWeight + row[t], code + static_cast<uint64_t>(t) * radix_[j - h_]});
      return ++entries_ <= kEntryCap || h_ == k_ - 1;
    };
    for (int t = a; t >= lo && g(t) >= 0.0; --t) {
      if (!add(t)) return false;
    }
    for (int t = a + 1; t <= hi && g(t) >= 0.0; ++t) {
      if (!add(t)) return false;
    }
    return true;
  }

  // Largest and smallest log weight of the completions of rows i..k-1 with
  // remaining total r, for the tree levels 1..h-1; level h from the tail.
  void buildBounds() {
    const double inf = std::numeric_limits<double>::infinity();
    maxW_.assign(static_cast<size_t>(k_) + 1, {});
    minW_.assign(static_cast<size_t>(k_) + 1, {});
    const int topH = std::min(tb_.A, rest_[h_]);
    maxW_[h_].assign(static_cast<size_t>(topH) + 1, -inf);
    minW_[h_].assign(static_cast<size_t>(topH) + 1, inf);
    for (int r = 0; r <= topH && r < static_cast<int>(tailMax_.size()); ++r) {
      maxW_[h_][r] = tailMax_[r];
      minW_[h_][r] = tailMin_[r];
    }
    for (int i = h_ - 1; i >= 1; --i) {
      const int top = std::min(tb_.A, rest_[i]);
      maxW_[i].assign(static_cast<size_t>(top) + 1, -inf);
      minW_[i].assign(static_cast<size_t>(top) + 1, inf);
      for (int r = lowestRest(i); r <= top; ++r) {
        const int lo = std::max(0, r - rest_[i + 1]);
        const int hi = std::min(tb_.n[i], r);
        double mx = -inf, mn = inf;
        for (int t = lo; t <= hi; ++t) {
          const double below = maxW_[i + 1][r - t];
          if (below == -inf) continue;
          const double own = logRowD_[i][t];
          mx = std::max(mx, own + below);
          mn = std::min(mn, own + minW_[i + 1][r - t]);
        }
        maxW_[i][r] = mx;
        minW_[i][r] = mn;
      }
    }
  }
  // Row i is to be chosen; r is what rows i..k-1 still take, logPast the
  // log weight of rows 0..i-1. The log of the largest table under child t is
  // concave in t (a sum of concave sequences), so the children that cannot be
  // counted whole form one run around its peak. Only that run is visited; the
  // children outside it are counted together, as the node's total (by
  // Vandermonde's identity) less the totals of the run.
  void descend(int i, int r, Log logPast) {
    const int lo = std::max(0, r - rest_[i + 1]);
    const int hi = std::min(tb_.n[i], r);
    const std::vector<double>& row = logRowD_[i];
    const std::vector<double>& below = maxW_[i + 1];
    auto largest = [&](int t) { return row[t] + below[r - t]; };
    int a = lo, b = hi;
    while (a < b) {
      const int mid = a + (b - a) / 2;
      if (largest(mid) < largest(mid + 1)) {
        a = mid + 1;
      } else {
        b = mid;
      }
    }
    // A child whose largest table lies below this is counted whole.
    const double floor = static_cast<double>(logCut_ + logTotal_ - logPast) - kBand;
    // Share of the node's weight under child t (hypergeometric in t), at the
    // peak from the logarithms, elsewhere by the ratio of neighbours.
    const double n = tb_.n[i], below0 = rest_[i + 1];
    const double atPeak =
        static_cast<double>(std::exp(logRow_[i][a] + logSubtree(i + 1, r - a) - logSubtree(i, r)));
    double run = 0.0, share = atPeak;
    int first = a + 1, last = a;
    for (int t = a; t >= lo && largest(t) >= floor; --t) {
      if (t < a) share = share * (t + 1) / (n - t) * (below0 - r + t + 1) / (r - t);
      run += share;
      visit(i, r, t, logPast);
      first = t;
    }
    share = atPeak;
    for (int t = a + 1; t <= hi && largest(t) >= floor; ++t) {
      share = share * (n - t + 1) / t * (r - t + 1) / (below0 - r + t);
      run += share;
      visit(i, r, t, logPast);
      last = t;
    }
    if (first == lo && last == hi) return;
    if (run < 1.0) p_ += std::exp(logPast + logSubtree(i, r) - logTotal_) * (1.0 - run);
  }

  // Child t of a node: counts what it must of the child's subtree.
  void visit(int i, int r, int t, Log logPast) {
    t_[i] = t;
    const Log lp = logPast + logRow_[i][t];
    const int rr = r - t;
    if (i + 1 == h_) {
      leaf(rr, lp);
    } else if (static_cast<double>(lp - logTotal_ - logCut_) + minW_[i + 1][rr] <= kBand) {
      descend(i + 1, rr, lp);
    }
  }

  // Rows 0..h-1 are chosen: every completion of the remaining total r whose
  // table probability is at most the cut is counted.
  void leaf(int r, Log logPast) {
    const Group& g = groups_[r - restLo_];
    const double limit = static_cast<double>(logCut_ + logTotal_ - logPast);
    const double scale = std::exp(static_cast<double>(logPast + g.ref - logTotal_));
    if (g.entries.empty() || g.entries.back().logWeight < limit - kBand) {
      p_ += scale * (g.unlisted + g.prefix.back());
      return;
    }
    if (g.entries.front().logWeight > limit + kBand) {
      p_ += scale * g.unlisted;
      return;
    }
    auto above = [&](double bound) {
      return static_cast<size_t>(
          std::upper_bound(g.entries.begin(), g.entries.end(), bound,
                           [](double b, const Entry& e) { return b < e.logWeight; }) -
          g.entries.begin());
    };
    const size_t sure = above(limit - kBand);
    const size_t maybe = above(limit + kBand);
    p_ += scale * (g.unlisted + g.prefix[sure]);
    for (size_t e = sure; e < maybe; ++e) {
      uint64_t code = g.entries[e].code;
      for (int j = h_; j < k_; ++j) {
        const uint64_t base = static_cast<uint64_t>(tb_.n[j] + 1);
        t_[j] = static_cast<int>(code % base);
        code /= base;
      }
      if (useProbab_) {
        const double p = probab(k_, t_.data(), tb_.n.data(), tb_.A, tb_.N);
        if (p <= cut_) p_ += p;
      } else {
        Log lw = -logTotal_;
        for (int i = 0; i < k_; ++i) lw += logRow_[i][t_[i]];
        if (lw <= logCut_) p_ += std::exp(lw);
      }
    }
  }

  struct Entry {
    double logWeight;
    uint64_t code;  // the tail's first column, mixed radix (n(j) + 1)
  };
  struct Group {
    std::vector<Entry> entries;
    std::vector<double> prefix;
    double unlisted = 0.0;  // share of the group total below the threshold
    Log ref = 0.0;
  };

  const FisherTable& tb_;
  const int k_;
  const int h_;
  std::vector<Log> logFact_;
  std::vector<int> rest_;  // rest_[i] = n(i) + ... + n(k-1)
  std::vector<std::vector<Log>> logRow_;
  std::vector<std::vector<double>> logRowD_;  // the same in double, for the bounds
  Log logTotal_ = 0.0;
  double cut_ = 0.0;
  Log logCut_ = 0.0;
  bool useProbab_ = true;
  std::vector<double> headMax_, tailMax_, tailMin_, theta_, suffixMax_;
  double minTheta_ = 0.0;
  size_t entries_ = 0;
  int restLo_ = 0, restHi_ = 0;
  std::vector<Group> groups_;
  std::vector<uint64_t> radix_;
  std::vector<std::vector<double>> maxW_, minW_;
  std::array<int, kMaxRows> t_{};
  Log p_ = 0.0;
};

}  // namespace

int chooseHeadRows(const FisherTable& tb) {
  // As many rows in the tail lists as their building budget allows: the tree
  // then has the fewest levels above them.
  for (int h = 0; h < tb.k; ++h) {
    double partial = 1.0;
    for (int i = h; i < tb.k - 1; ++i) partial *= tb.n[i] + 1.0;
    if (partial <= kTailBudget) return h;
  }
  return tb.k - 1;
}

namespace {

// Far below the precision of the search (about 1e-13 absolute), the p-value
// is bounded instead: no more tables than Π (n(i) + 1) over all rows but the
// last can be counted, each at most the cut. Strongly different large samples
// would otherwise put nearly every table next to the cut.
constexpr double kBoundBelow = 1e-14;

double boundOfTinyPValue(const FisherTable& tb) {
  long double logP0 = -logChooseExact(tb.N, tb.A), logTables = 0.0L;
  for (int i = 0; i < tb.k; ++i) {
    logP0 += logChooseExact(tb.n[i], tb.a[i]);
    if (i < tb.k - 1) logTables += std::log(tb.n[i] + 1.0L);
  }
  const long double logBound = logP0 + std::log1p(static_cast<long double>(kTolerance)) + logTables;
  if (logBound > std::log(static_cast<long double>(kBoundBelow))) return -1.0;
  return static_cast<double>(std::exp(logBound));
}

}  // namespace

double exactPValue(const FisherTable& table, int headRows) {
  const double bound = boundOfTinyPValue(table);
  if (bound >= 0.0) return bound;
  int h = std::clamp(headRows, 0, table.k - 1);
  // The list codes are 64-bit: a tail too large for them moves into the tree.
  for (;;) {
    double tail = 1.0;
    for (int i = h; i < table.k; ++i) tail *= table.n[i] + 1.0;
    if (tail < 1.8e19 || h == table.k - 1) break;
    ++h;
  }
  for (;; ++h) {
    Search search(table, h);
    double p = 0.0;
    if (search.run(p) || h == table.k - 1) return p;
  }
}

double fisherxx(int k, const int* le, const int* n, std::ostream& console) {
  if (k > kMaxRows) {
    console << "***** max no.of rows=6 ***** " << '\n';
    return -1.0;
  }
  if (k < 2) {
    console << "***** min no.of rows=2 ***** " << '\n';
    return -1.0;
  }
  const FisherTable tb = canonicalTable(k, le, n);
  return exactPValue(tb, chooseHeadRows(tb));
}

}  // namespace gsmidtst
