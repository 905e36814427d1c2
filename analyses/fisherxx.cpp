// SPDX-License-Identifier: GPL-3.0-or-later
#include "fisherxx.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <thread>
#include <utility>
#include <vector>

namespace tsk::analyses {

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
constexpr double kTolerance = 1.0e-7;

// Half-width, in log probability, of the band around the cut in which a
// table is decided by probab itself rather than by its logarithm, so that
// every decision is the one the full enumeration makes. The keys are good to
// about 1e-13 and probab to a few 1e-12 (relative): outside the band both
// always agree.
constexpr double kBand = 1e-9;

// Extra room below the listing thresholds: the sequences searched for their
// peaks are concave only up to rounding, and a partial table listed
// needlessly costs nothing but time.
constexpr double kListMargin = 1e-6;

// Logarithms of the weights are summed in extended precision.
using Log = long double;

// One side of the split: rows [from, to) of the canonical table, and the
// partial first columns over them. A partial table's log weight is the sum of
// log C(n(j), t(j)) over its rows.
struct Side {
  int from = 0, to = 0;
  int total = 0;  // sum of the rows' totals
  // maxRun[q][x]: the largest log weight of rows from+q..to-1 with sum x.
  std::vector<std::vector<double>> maxRun;
  std::vector<double> minAll;  // smallest log weight of all the side's rows with sum x
  std::vector<int> restOf;     // restOf[q]: totals of rows from+q..to-1
  // Rows of equal totals: a partial table and its rearrangements among them
  // weigh the same, and are listed once, with counts descending, where the
  // codes leave room for the number of rearrangements.
  bool equalRows = false;
  int copyBits = 0;  // low bits of a code that hold that number less one
};

// A partial table kept for the sweep: its log weight and its code, the free
// counts (every row of the side but the last) in mixed radix n(j) + 1,
// shifted left by the side's copyBits.
struct Entry {
  double key;
  uint64_t code;
};

// Sorting resolution of the keys, well inside the band: entries whose keys
// lie this close may come in either order. The sweep below stays exact with
// that: an entry passed over by the run of sure counts is decided on its
// own, and one beyond the band edge lies more than half the band above it.
constexpr double kQuantum = 1.0 / (1u << 31);
static_assert(kQuantum < kBand / 2);

// Sorts by key to kQuantum: a radix sort, 13 bits at a time, over as many
// digits as the spread of the keys needs. The lists run to tens of thousands
// of entries per sum, where comparison sorting took most of the time.
void sortByKey(std::vector<Entry>& v, std::vector<Entry>& scratch) {
  constexpr int kDigit = 13;
  constexpr uint64_t kMask = (uint64_t{1} << kDigit) - 1;
  if (v.size() < 256) {
    std::sort(v.begin(), v.end(), [](const Entry& x, const Entry& y) { return x.key < y.key; });
    return;
  }
  double low = v[0].key, high = v[0].key;
  for (const Entry& e : v) {
    low = std::min(low, e.key);
    high = std::max(high, e.key);
  }
  auto digits = [low](const Entry& e) {
    return static_cast<uint64_t>((e.key - low) * (1.0 / kQuantum));
  };
  const int bits = std::bit_width(static_cast<uint64_t>((high - low) * (1.0 / kQuantum)));
  scratch.resize(v.size());
  std::vector<size_t> count(kMask + 1);
  for (int shift = 0; shift < bits; shift += kDigit) {
    std::fill(count.begin(), count.end(), 0);
    for (const Entry& e : v) ++count[(digits(e) >> shift) & kMask];
    size_t start = 0;
    for (size_t& c : count) start += std::exchange(c, start);
    for (const Entry& e : v) scratch[count[(digits(e) >> shift) & kMask]++] = e;
    v.swap(scratch);
  }
}

class Sweep {
 public:
  Sweep(const FisherTable& tb, int head, double tolerance)
      : tb_(tb), k_(tb.k), tolerance_(tolerance) {
    const int N = tb.N;
    logFact_.resize(static_cast<size_t>(N) + 1);
    for (int x = 0; x <= N; ++x) logFact_[x] = std::lgamma(x + 1.0L);
    for (int i = 0; i < k_; ++i) {
      std::vector<Log> row(static_cast<size_t>(tb.n[i]) + 1);
      for (int t = 0; t <= tb.n[i]; ++t) row[t] = logChoose(tb.n[i], t);
      logRowD_.emplace_back(row.begin(), row.end());
      logRow_.push_back(std::move(row));
    }
    build(head_, 0, head);
    build(tail_, head, k_);
  }

  double run() {
    const int A = tb_.A, N = tb_.N;
    logTotal_ = logChoose(N, A);
    // A table counts when its probability is at most P0 (1 + 1e-7): relative,
    // so that tables far below 1e-12 are not all counted at once. The log of
    // the cut comes from the log weights, so that it stays finite where P0
    // itself underflows.
    const double p0 = probab(k_, tb_.a.data(), tb_.n.data(), A, N);
    cut_ = p0 * (1.0 + tolerance_);
    Log logP0 = -logTotal_;
    for (int i = 0; i < k_; ++i) logP0 += logRow_[i][tb_.a[i]];
    logCut_ = logP0 + std::log1p(static_cast<Log>(tolerance_));
    // Where P0 is too small for probab to tell tables apart, the band is
    // decided by the log weights.
    useProbab_ = p0 > 1e-280;

    // The head's first-column sum s leaves r = A - s to the tail. Each s is
    // summed on its own and the shares are added in order of s, so the result
    // does not depend on how the sums are shared out over threads.
    lowS_ = std::max(0, A - tail_.total);
    const int highS = std::min(A, head_.total);
    if (highS < lowS_) return 0.0;
    shares_.assign(static_cast<size_t>(highS - lowS_) + 1, 0.0);
    forEachSum(highS - lowS_ + 1);
    Log p = 0.0;
    for (double v : shares_) p += v;
    return static_cast<double>(p);
  }

 private:
  Log logChoose(int n, int r) const { return logFact_[n] - logFact_[r] - logFact_[n - r]; }

  // Largest (and, over all rows, smallest) log weight of the side's rows for
  // every sum: max- and min-plus convolutions of the rows, from the last row
  // back.
  void build(Side& side, int from, int to) {
    const double inf = std::numeric_limits<double>::infinity();
    side.from = from;
    side.to = to;
    const int m = to - from;
    side.restOf.assign(static_cast<size_t>(m) + 1, 0);
    for (int q = m - 1; q >= 0; --q) side.restOf[q] = side.restOf[q + 1] + tb_.n[from + q];
    side.total = side.restOf[0];
    side.maxRun.assign(static_cast<size_t>(m) + 1, {});
    side.maxRun[m] = {0.0};
    std::vector<double> mn{0.0};
    for (int q = m - 1; q >= 0; --q) {
      const std::vector<double>& row = logRowD_[from + q];
      const std::vector<double>& below = side.maxRun[q + 1];
      const int top = std::min(tb_.A, side.restOf[q]);
      std::vector<double> mx(static_cast<size_t>(top) + 1, -inf), nmn(mx.size(), inf);
      for (int x = 0; x < static_cast<int>(below.size()); ++x) {
        for (int t = 0; t < static_cast<int>(row.size()) && x + t <= top; ++t) {
          mx[x + t] = std::max(mx[x + t], below[x] + row[t]);
          nmn[x + t] = std::min(nmn[x + t], mn[x] + row[t]);
        }
      }
      side.maxRun[q] = std::move(mx);
      mn = std::move(nmn);
    }
    side.minAll = std::move(mn);
    // At most (run length)! rearrangements for each run of equal totals.
    uint64_t most = 1;
    int bits = 0;
    for (int j = from, run = 0; j < to; ++j) {
      run = j > from && tb_.n[j] == tb_.n[j - 1] ? run + 1 : 1;
      most *= static_cast<uint64_t>(run);
      if (j < to - 1) bits += std::bit_width(static_cast<uint64_t>(tb_.n[j]) + 1);
    }
    side.copyBits = std::bit_width(most - 1);
    side.equalRows = most > 1 && bits + side.copyBits <= 64;
    if (!side.equalRows) side.copyBits = 0;
  }

  // The number of rearrangements a listed partial table stands for.
  static uint32_t copiesOf(const Side& side, uint64_t code) {
    return static_cast<uint32_t>(code & ((uint64_t{1} << side.copyBits) - 1)) + 1;
  }

  // Log of the summed weight of every partial table of the side with sum x
  // (Vandermonde's identity).
  Log logMass(const Side& side, int x) const { return logChoose(side.total, x); }

  // Every partial table of the side with sum x whose log weight is at least
  // theta. The log weight as a function of one row's count, with the rows
  // after it at their best, is concave (a sum of concave sequences): the
  // counts to take form one run around its peak.
  // Keys are kept relative to `ref`, the log of the side's summed weight for
  // the sum: small numbers, whose rounding leaves the weights good to about
  // 1e-15, so that one less the listed weights keeps that accuracy too.
  void list(const Side& side, int x, double theta, Log ref, std::vector<Entry>& out) const {
    out.clear();
    if (side.from == side.to) {
      if (x == 0 && 0.0 >= theta) out.push_back({static_cast<double>(-ref), 0});
      return;
    }
    std::array<int, kMaxRows> t{};
    listFrom(side, 0, x, 0.0, -ref, 0, 1, theta, t, out);
  }

  // The distinct rearrangements of the side's counts among its rows of equal
  // totals, the counts descending within each run of such rows: the
  // multinomial coefficient of each run, built up row by row.
  uint32_t arrangements(const Side& side, const std::array<int, kMaxRows>& t) const {
    uint32_t copies = 1, rows = 1, equal = 1;
    for (int j = side.from + 1; j < side.to; ++j) {
      if (tb_.n[j] != tb_.n[j - 1]) {
        rows = equal = 1;
        continue;
      }
      ++rows;
      equal = t[j] == t[j - 1] ? equal + 1 : 1;
      copies = copies * rows / equal;
    }
    return copies;
  }

  // Calls f for the side's counts in t and, where the side's partial tables
  // stand for their rearrangements, for each of the other distinct ones
  // among rows of equal totals; leaves t as it was.
  template <typename F>
  void forEachArrangement(const Side& side, std::array<int, kMaxRows>& t, F f) const {
    if (!side.equalRows) return f();
    for (;;) {
      f();
      // The next arrangement, odometer-like: the last run of equal totals
      // moves on, and a run past its last arrangement starts again (counts
      // descending) while the one before it moves on.
      int end = side.to;
      bool moved = false;
      while (end > side.from && !moved) {
        int begin = end - 1;
        while (begin > side.from && tb_.n[begin - 1] == tb_.n[end - 1]) --begin;
        moved = std::prev_permutation(t.begin() + begin, t.begin() + end);
        end = begin;
      }
      if (!moved) return;
    }
  }

  // acc is the log weight of the rows before from+q, in double for the
  // bounds; accRel the same less ref, in extended precision for the keys.
  // t holds the counts of the rows before from+q. Below a row of the same
  // total as the one before it the count is at most that row's, and the last
  // row's count at most the one before it: the maxRun bounds then still hold,
  // if less tightly.
  void listFrom(const Side& side, int q, int x, double acc, Log accRel, uint64_t code,
                uint64_t radix, double theta, std::array<int, kMaxRows>& t,
                std::vector<Entry>& out) const {
    const int j = side.from + q;
    const std::vector<double>& row = logRowD_[j];
    if (j == side.to - 1) {
      if (acc + row[x] >= theta) out.push_back({static_cast<double>(accRel + logRow_[j][x]), code});
      return;
    }
    const std::vector<double>& below = side.maxRun[q + 1];
    // Before the side's last row, whose count the sum fixes, a run of counts
    // is a run of entries.
    const bool lastButOne = j + 2 == side.to;
    int lo = std::max(0, x - side.restOf[q + 1]);
    int hi = std::min(tb_.n[j], x);
    if (side.equalRows && q > 0 && tb_.n[j] == tb_.n[j - 1]) hi = std::min(hi, t[j - 1]);
    if (side.equalRows && lastButOne && tb_.n[j + 1] == tb_.n[j]) lo = std::max(lo, x - x / 2);
    if (lo > hi) return;
    auto best = [&](int c) { return row[c] + below[x - c]; };
    int a = lo, b = hi;
    while (a < b) {
      const int mid = a + (b - a) / 2;
      if (best(mid) < best(mid + 1)) {
        a = mid + 1;
      } else {
        b = mid;
      }
    }
    const uint64_t next = radix * static_cast<uint64_t>(tb_.n[j] + 1);
    auto take = [&](int c) {
      t[j] = c;
      if (lastButOne) {
        t[j + 1] = x - c;
        uint64_t full = code + radix * static_cast<uint64_t>(c);
        if (side.equalRows) full = full << side.copyBits | (arrangements(side, t) - 1);
        out.push_back({static_cast<double>(accRel + logRow_[j][c] + logRow_[j + 1][x - c]), full});
        return;
      }
      listFrom(side, q + 1, x - c, acc + row[c], accRel + logRow_[j][c],
               code + radix * static_cast<uint64_t>(c), next, theta, t, out);
    };
    for (int c = a; c >= lo && acc + best(c) >= theta; --c) take(c);
    for (int c = a + 1; c <= hi && acc + best(c) >= theta; ++c) take(c);
  }

  // The counts of the side's rows from a partial table's code and sum.
  void decode(const Side& side, uint64_t code, int x, std::array<int, kMaxRows>& t) const {
    code >>= side.copyBits;
    for (int j = side.from; j < side.to - 1; ++j) {
      const uint64_t base = static_cast<uint64_t>(tb_.n[j] + 1);
      t[j] = static_cast<int>(code % base);
      code /= base;
      x -= t[j];
    }
    if (side.to > side.from) t[side.to - 1] = x;
  }

  // Shares the sums out over threads, a few at a time, in whatever order
  // the threads come for them.
  void forEachSum(int count) {
    int threads = static_cast<int>(std::thread::hardware_concurrency());
    threads = std::clamp(threads, 1, 4);
    // Small tables finish before a thread would start.
    if (static_cast<double>(head_.total) * tail_.total < 4.0e4) threads = 1;
    std::atomic<int> next{0};
    auto work = [&] {
      std::vector<Entry> heads, tails, scratch;
      std::vector<double> prefix;
      for (;;) {
        const int first = next.fetch_add(kSumsPerTake);
        if (first >= count) return;
        for (int i = first; i < std::min(count, first + kSumsPerTake); ++i) {
          shares_[i] = shareOf(lowS_ + i, heads, tails, scratch, prefix);
        }
      }
    };
    std::vector<std::thread> workers;
    for (int w = 1; w < threads; ++w) workers.emplace_back(work);
    work();
    for (std::thread& w : workers) w.join();
  }
  static constexpr int kSumsPerTake = 8;

  // The summed probability of the counted tables whose head has sum s.
  double shareOf(int s, std::vector<Entry>& heads, std::vector<Entry>& tails,
                 std::vector<Entry>& scratch, std::vector<double>& prefix) const {
    const int r = tb_.A - s;
    if (r < 0 || r >= static_cast<int>(tail_.maxRun[0].size()) ||
        s >= static_cast<int>(head_.maxRun[0].size())) {
      return 0.0;
    }
    const double hMax = head_.maxRun[0][s], tMax = tail_.maxRun[0][r];
    if (hMax == -std::numeric_limits<double>::infinity() ||
        tMax == -std::numeric_limits<double>::infinity()) {
      return 0.0;
    }
    const Log refH = logMass(head_, s), refT = logMass(tail_, r);
    const double whole = static_cast<double>(std::exp(refH + refT - logTotal_));
    const double limit = static_cast<double>(logCut_ + logTotal_);
    // Every table of this sum lies below the cut, or every one above it.
    if (hMax + tMax < limit - kBand) return whole;
    if (head_.minAll[s] + tail_.minAll[r] > limit + kBand) return 0.0;

    // A head below its threshold is counted with every tail, and a tail
    // below its threshold with every head: only the others are listed, and
    // the unlisted shares come as one less the listed ones.
    list(head_, s, limit - tMax - kBand - kListMargin, refH, heads);
    list(tail_, r, limit - hMax - kBand - kListMargin, refT, tails);
    sortByKey(heads, scratch);
    sortByKey(tails, scratch);
    // The cut for the sum of a head's and a tail's relative keys.
    const double relLimit = static_cast<double>(logCut_ + logTotal_ - refH - refT);
    prefix.resize(tails.size() + 1);
    prefix[0] = 0.0;
    Log listedTails = 0.0;
    for (size_t e = 0; e < tails.size(); ++e) {
      listedTails += copiesOf(tail_, tails[e].code) * std::exp(tails[e].key);
      prefix[e + 1] = static_cast<double>(listedTails);
    }
    const double unlistedTails = static_cast<double>(std::max<Log>(0.0, 1.0 - listedTails));

    // Heads from the heaviest down: the tails counted with each form a
    // growing run from the lightest. Entries between the sure run and the
    // band edge are decided one by one.
    Log fraction = 0.0, listedHeads = 0.0;
    double inBand = 0.0;
    size_t sure = 0, maybe = 0;
    std::array<int, kMaxRows> t{};
    for (size_t h = heads.size(); h-- > 0;) {
      const double hw = copiesOf(head_, heads[h].code) * std::exp(heads[h].key);
      listedHeads += hw;
      const double room = relLimit - heads[h].key;
      while (sure < tails.size() && tails[sure].key < room - kBand) ++sure;
      maybe = std::max(maybe, sure);
      while (maybe < tails.size() && tails[maybe].key <= room + kBand) ++maybe;
      fraction += hw * (unlistedTails + prefix[sure]);
      if (sure == maybe) continue;
      decode(head_, heads[h].code, s, t);
      for (size_t e = sure; e < maybe; ++e) {
        decode(tail_, tails[e].code, r, t);
        // Each rearrangement is a table of its own, decided on its own.
        forEachArrangement(head_, t, [&] {
          forEachArrangement(tail_, t, [&] { inBand += counted(t); });
        });
      }
    }
    fraction += std::max<Log>(0.0, 1.0 - listedHeads);
    return whole * static_cast<double>(fraction) + inBand;
  }

  // The probability of a table next to the cut if it counts, else 0.
  double counted(const std::array<int, kMaxRows>& t) const {
    if (useProbab_) {
      const double p = probab(k_, t.data(), tb_.n.data(), tb_.A, tb_.N);
      return p <= cut_ ? p : 0.0;
    }
    Log lw = -logTotal_;
    for (int i = 0; i < k_; ++i) lw += logRow_[i][t[i]];
    return lw <= logCut_ ? static_cast<double>(std::exp(lw)) : 0.0;
  }

  const FisherTable& tb_;
  const int k_;
  const double tolerance_;
  std::vector<Log> logFact_;
  std::vector<std::vector<Log>> logRow_;
  std::vector<std::vector<double>> logRowD_;  // the same in double, for keys and bounds
  Side head_, tail_;
  Log logTotal_ = 0.0;
  double cut_ = 0.0;
  Log logCut_ = 0.0;
  bool useProbab_ = true;
  int lowS_ = 0;
  std::vector<double> shares_;
};

}  // namespace

int chooseHeadRows(const FisherTable& tb) {
  // Half the rows on each side: the partial tables listed on the two sides
  // are then about as many.
  return tb.k / 2;
}

namespace {

// Far below the precision of the search (about 1e-14 absolute), the p-value
// is bounded instead. Strongly different large samples would otherwise put
// a great many tables next to the cut, for a result that is zero to every
// printed digit.
constexpr double kBoundBelow = 1e-14;

// Log of P0 (1 + 1e-7), the cut.
long double logCutOf(const FisherTable& tb) {
  long double logP0 = -logChooseExact(tb.N, tb.A);
  for (int i = 0; i < tb.k; ++i) logP0 += logChooseExact(tb.n[i], tb.a[i]);
  return logP0 + std::log1p(static_cast<long double>(kTolerance));
}

// No more tables than the product of n(i) + 1 over all rows but the last
// can be counted, each at most the cut.
long double logCountBound(const FisherTable& tb) {
  long double logTables = 0.0L;
  for (int i = 0; i < tb.k - 1; ++i) logTables += std::log(tb.n[i] + 1.0L);
  return logCutOf(tb) + logTables;
}

// Log of a bound on the p-value: a counted table's weight W is at most the
// cut's C, so W <= W^lambda C^(1 - lambda) for 0 < lambda <= 1, and the
// counted weights sum to at most C^(1 - lambda) times the sum of W^lambda over
// all tables, which goes row by row. The rows' log weights are taken once,
// for every lambda tried.
class PowerBound {
 public:
  explicit PowerBound(const FisherTable& tb) : tb_(tb) {
    for (int j = 0; j < tb.k; ++j) {
      std::vector<double> row(static_cast<size_t>(tb.n[j]) + 1);
      for (int t = 0; t <= tb.n[j]; ++t) row[t] = static_cast<double>(logChooseExact(tb.n[j], t));
      top_.push_back(*std::max_element(row.begin(), row.end()));
      for (double& x : row) x -= top_.back();
      rows_.push_back(std::move(row));
    }
    logTotal_ = logChooseExact(tb.N, tb.A);
    logC_ = logCutOf(tb) + logTotal_;
    const int half = tb.k / 2;
    sameSides_ = 2 * half == tb.k && std::equal(tb.n.begin(), tb.n.begin() + half,
                                                tb.n.begin() + half);
  }

  // Terms that underflow are each below 1e-308 of the largest: 1e-290
  // covers them all.
  double logAt(double lambda) const {
    const int half = tb_.k / 2;
    double scaleL = 0.0, scaleR = 0.0;
    const std::vector<double> left = powered(0, half, lambda, scaleL);
    // Halves of the same row totals give the same sums, to the last bit.
    const std::vector<double> right = sameSides_ ? left : powered(half, tb_.k, lambda, scaleR);
    if (sameSides_) scaleR = scaleL;
    double sum = 0.0;
    for (int s = 0; s < static_cast<int>(left.size()); ++s) {
      const int r = tb_.A - s;
      if (r >= 0 && r < static_cast<int>(right.size())) sum += left[s] * right[r];
    }
    sum = sum * (1.0 + 1e-9) + 1e-290;
    return static_cast<double>((1.0L - lambda) * logC_ + scaleL + scaleR + std::log(sum) -
                               logTotal_);
  }

  // The best of those bounds over lambda (the log bound is convex in
  // lambda), by golden-section search. Once the values tried prove every
  // bound the search could find to lie above `enough`, it stops and returns
  // a value above `enough`.
  double logBest(double enough = std::numeric_limits<double>::infinity()) const {
    const double g = (std::sqrt(5.0) - 1.0) / 2.0;
    const double from = 1e-3, to = 0.7;
    double a = from, b = to;
    double c = b - g * (b - a), d = a + g * (b - a);
    double fc = logAt(c), fd = logAt(d);
    std::vector<std::pair<double, double>> tried{{c, fc}, {d, fd}};
    for (int step = 0; step < 10; ++step) {
      if (fc < fd) {
        b = d;
        d = c;
        fd = fc;
        c = b - g * (b - a);
        fc = logAt(c);
        tried.emplace_back(c, fc);
      } else {
        a = c;
        c = d;
        fc = fd;
        d = a + g * (b - a);
        fd = logAt(d);
        tried.emplace_back(d, fd);
      }
      // The margin covers the rounding of the values, far below it.
      const double floor = convexFloor(tried, from, to);
      if (floor > enough + 1e-6) return floor;
    }
    return std::min(fc, fd);
  }

 private:
  // The sum over the first columns of rows [from, to) with sum s of the
  // product of C(n(j), t(j))^lambda, for every s: each row scaled by its
  // largest term and the result by its largest, the logs of the scales
  // summed in `scale`.
  std::vector<double> powered(int from, int to, double lambda, double& scale) const {
    std::vector<double> v{1.0};
    scale = 0.0;
    for (int j = from; j < to; ++j) {
      const int n = tb_.n[j];
      std::vector<double> w(rows_[j].size());
      for (int t = 0; t <= n; ++t) w[t] = std::exp(lambda * rows_[j][t]);
      const int size = std::min(tb_.A, static_cast<int>(v.size()) - 1 + n) + 1;
      std::vector<double> u(static_cast<size_t>(size), 0.0);
      for (int x = 0; x < static_cast<int>(v.size()); ++x) {
        const double vx = v[x];
        const int last = std::min(n, size - 1 - x);
        for (int t = 0; t <= last; ++t) u[x + t] += vx * w[t];
      }
      const double most = *std::max_element(u.begin(), u.end());
      for (double& x : u) x /= most;
      scale += lambda * top_[j] + std::log(most);
      v = std::move(u);
    }
    return v;
  }

  // A lower bound over [from, to] of a convex function known at the points
  // p (three or more): beyond each chord the function lies above the chord's
  // line, so on each interval between points above the lines of the chords
  // on either side.
  static double convexFloor(std::vector<std::pair<double, double>> p, double from, double to) {
    std::sort(p.begin(), p.end());
    const size_t m = p.size();
    auto slope = [&](size_t i) {
      return (p[i + 1].second - p[i].second) / (p[i + 1].first - p[i].first);
    };
    double floor = std::min(p[0].second - slope(0) * (p[0].first - from),
                            p[m - 1].second + slope(m - 2) * (to - p[m - 1].first));
    for (size_t i = 0; i + 1 < m; ++i) {
      const double x0 = p[i].first, x1 = p[i + 1].first;
      auto line = [&](double x) {
        double y = -std::numeric_limits<double>::infinity();
        if (i > 0) y = std::max(y, p[i].second + slope(i - 1) * (x - x0));
        if (i + 2 < m) y = std::max(y, p[i + 1].second + slope(i + 1) * (x - x1));
        return y;
      };
      // The larger of two lines is lowest at an end or where they cross.
      double low = std::min(line(x0), line(x1));
      if (i > 0 && i + 2 < m && slope(i - 1) != slope(i + 1)) {
        const double cross = (p[i + 1].second - p[i].second + slope(i - 1) * x0 -
                              slope(i + 1) * x1) /
                             (slope(i - 1) - slope(i + 1));
        if (cross > x0 && cross < x1) low = std::min(low, line(cross));
      }
      floor = std::min(floor, low);
    }
    return floor;
  }

  const FisherTable& tb_;
  std::vector<std::vector<double>> rows_;  // log C(n(j), t) less the row's largest
  std::vector<double> top_;                // each row's largest
  long double logTotal_ = 0.0L, logC_ = 0.0L;
  bool sameSides_ = false;  // the two halves' rows have the same totals
};

// Tables with more than this many first columns are bounded before they are
// searched.
constexpr double kLargeTable = 1e10;

}  // namespace

double powerBound(const FisherTable& table) { return std::exp(PowerBound(table).logBest()); }

double exactPValue(const FisherTable& table, int headRows, double tolerance) {
  const double logBelow = std::log(kBoundBelow);
  const long double logCount = logCountBound(table);
  if (logCount <= logBelow) return static_cast<double>(std::exp(logCount));
  double tables = 1.0;
  for (int i = 0; i < table.k - 1; ++i) tables *= table.n[i] + 1.0;
  // The bound can only succeed when P0 itself lies below the limit.
  if (tables > kLargeTable && logCutOf(table) < logBelow) {
    const double logBound = PowerBound(table).logBest(logBelow);
    if (logBound <= logBelow) return std::exp(logBound);
  }
  return Sweep(table, std::clamp(headRows, 0, table.k), tolerance).run();
}

double fisherxx(int k, const int* le, const int* n) {
  if (k > kMaxRows || k < 2) return -1.0;
  const FisherTable tb = canonicalTable(k, le, n);
  return exactPValue(tb, chooseHeadRows(tb));
}

}  // namespace tsk::analyses
