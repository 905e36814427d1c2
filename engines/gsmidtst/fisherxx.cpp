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

// The tolerance of the comparison, a single-precision constant.
const double kTolerance = static_cast<double>(1.0e-12f);

// Half-width, in log probability, of the band around the cut in which a
// table is decided by probab itself rather than by its logarithm, so that
// every decision is the one the full enumeration makes. The logarithms are
// good to about 1e-11 and probab to a few 1e-11 (relative): outside the band
// both always agree.
constexpr double kBand = 1e-8;

// Logarithms of the weights: the counts outside a visited run are found as a
// difference of two sums, which extended precision keeps accurate.
using Log = long double;

// Largest number of partial tables kept in the sorted lists of the tail.
constexpr double kTailBudget = 4.5e6;

class Search {
 public:
  Search(const FisherTable& tb, int head) : tb_(tb), k_(tb.k), h_(head) {}

  double run() {
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
    const double p0 = probab(k_, tb_.a.data(), tb_.n.data(), A, N);
    cut_ = p0 + kTolerance;
    logCut_ = std::log(static_cast<Log>(cut_));

    buildTail();
    buildBounds();
    if (h_ == 0) {
      leaf(A, 0.0);
    } else {
      descend(0, A, 0.0);
    }
    return static_cast<double>(p_);
  }

 private:
  Log logChoose(int n, int r) const { return logFact_[n] - logFact_[r] - logFact_[n - r]; }
  // Log of the summed weight of every completion of rows i..k-1 with the
  // remaining first-column total r (Vandermonde's identity).
  Log logSubtree(int i, int r) const { return logChoose(rest_[i], r); }
  // Smallest remaining total that rows i..k-1 can be left with, given that
  // rows 0..i-1 take at most their row totals.
  int lowestRest(int i) const { return std::max(0, tb_.A - (tb_.N - rest_[i])); }

  // The partial tables of rows h..k-1, grouped by their first-column sum and
  // sorted by log weight, with running sums of the weights relative to the
  // group total.
  void buildTail() {
    restLo_ = lowestRest(h_);
    restHi_ = std::min(tb_.A, rest_[h_]);
    groups_.assign(static_cast<size_t>(restHi_ - restLo_) + 1, {});
    radix_.assign(static_cast<size_t>(k_ - h_) + 1, 1);
    for (int q = 1; q <= k_ - h_; ++q) {
      radix_[q] = radix_[q - 1] * static_cast<uint32_t>(tb_.n[h_ + q - 1] + 1);
    }
    generate(h_, 0, 0.0, 0);
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
    }
  }

  void generate(int j, int sum, Log logWeight, uint32_t code) {
    if (j == k_) {
      groups_[sum - restLo_].entries.push_back({static_cast<double>(logWeight), code});
      return;
    }
    const int lo = std::max(0, restLo_ - sum - rest_[j + 1]);
    const int hi = std::min(tb_.n[j], restHi_ - sum);
    for (int t = lo; t <= hi; ++t) {
      generate(j + 1, sum + t, logWeight + logRow_[j][t],
               code + static_cast<uint32_t>(t) * radix_[j - h_]);
    }
  }

  // Largest and smallest log weight of the completions of rows i..k-1 with
  // remaining total r, for the tree levels 1..h-1; level h from the lists.
  void buildBounds() {
    const double inf = std::numeric_limits<double>::infinity();
    maxW_.assign(static_cast<size_t>(k_) + 1, {});
    minW_.assign(static_cast<size_t>(k_) + 1, {});
    const int topH = std::min(tb_.A, rest_[h_]);
    maxW_[h_].assign(static_cast<size_t>(topH) + 1, -inf);
    minW_[h_].assign(static_cast<size_t>(topH) + 1, inf);
    for (int r = restLo_; r <= restHi_; ++r) {
      const Group& g = groups_[r - restLo_];
      if (g.entries.empty()) continue;
      maxW_[h_][r] = g.entries.back().logWeight;
      minW_[h_][r] = g.entries.front().logWeight;
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
          const double own = static_cast<double>(logRow_[i][t]);
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

  // Rows 0..h-1 are chosen: every completion from the list of the remaining
  // total r whose table probability is at most the cut is counted.
  void leaf(int r, Log logPast) {
    const Group& g = groups_[r - restLo_];
    const double limit = static_cast<double>(logCut_ + logTotal_ - logPast);
    if (g.entries.back().logWeight < limit - kBand) {
      p_ += std::exp(static_cast<double>(logPast + g.ref - logTotal_)) * g.prefix.back();
      return;
    }
    if (g.entries.front().logWeight > limit + kBand) return;
    auto above = [&](double bound) {
      return static_cast<size_t>(
          std::upper_bound(g.entries.begin(), g.entries.end(), bound,
                           [](double b, const Entry& e) { return b < e.logWeight; }) -
          g.entries.begin());
    };
    const size_t sure = above(limit - kBand);
    const size_t maybe = above(limit + kBand);
    if (sure > 0) p_ += std::exp(static_cast<double>(logPast + g.ref - logTotal_)) * g.prefix[sure];
    for (size_t e = sure; e < maybe; ++e) {
      uint32_t code = g.entries[e].code;
      for (int j = h_; j < k_; ++j) {
        const uint32_t base = static_cast<uint32_t>(tb_.n[j] + 1);
        t_[j] = static_cast<int>(code % base);
        code /= base;
      }
      const double p = probab(k_, t_.data(), tb_.n.data(), tb_.A, tb_.N);
      if (p <= cut_) p_ += p;
    }
  }

  struct Entry {
    double logWeight;
    uint32_t code;  // the tail's first column, mixed radix (n(j) + 1)
  };
  struct Group {
    std::vector<Entry> entries;
    std::vector<double> prefix;
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
  int restLo_ = 0, restHi_ = 0;
  std::vector<Group> groups_;
  std::vector<uint32_t> radix_;
  std::vector<std::vector<double>> maxW_, minW_;
  std::array<int, kMaxRows> t_{};
  Log p_ = 0.0;
};

}  // namespace

int chooseHeadRows(const FisherTable& tb) {
  // Balance the tree part against the lists (meeting in the middle), with
  // the lists kept within their budget.
  int best = tb.k - 1;
  double bestCost = std::numeric_limits<double>::infinity();
  for (int h = 1; h < tb.k; ++h) {
    double head = 1.0, tail = 1.0;
    for (int i = 0; i < h; ++i) head *= tb.n[i] + 1.0;
    for (int i = h; i < tb.k; ++i) tail *= tb.n[i] + 1.0;
    if (tail > kTailBudget) continue;
    const double cost = std::max(head, tail);
    if (cost < bestCost) {
      bestCost = cost;
      best = h;
    }
  }
  return best;
}

double exactPValue(const FisherTable& table, int headRows) {
  int h = std::clamp(headRows, 0, table.k - 1);
  // The list codes are 32-bit: a tail too large for them moves into the tree.
  for (;;) {
    double tail = 1.0;
    for (int i = h; i < table.k; ++i) tail *= table.n[i] + 1.0;
    if (tail < 4.0e9 || h == table.k - 1) break;
    ++h;
  }
  Search search(table, h);
  return search.run();
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
