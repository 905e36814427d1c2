// SPDX-License-Identifier: GPL-3.0-or-later
#include "bootwmw.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "ranks.h"

namespace tsk::analyses {

namespace {

float welchOf(Wmw2Result& r, int n1, int n2) {
  const double s1 = r.s1, s2 = r.s2;
  r.t = static_cast<float>((static_cast<double>(r.m1) - r.m2) /
                           std::sqrt(s1 * s1 / n1 + s2 * s2 / n2));
  return r.t;
}

float rankWelch(const float* p1, int n1, const float* p2, int n2, Wmw2Result& r) {
  int flag = 0;
  tsk::meanStd(p1, n1, r.m1, r.s1, flag);
  tsk::meanStd(p2, n2, r.m2, r.s2, flag);
  return welchOf(r, n1, n2);
}

constexpr int kLanes = 8;

// The single-precision sums of tsk::meanStd, in index order, for kLanes
// interleaved samples at once: one chain of additions waits on the rounding
// of the last, eight keep the processor busy.
struct LaneSums {
  float sum[kLanes] = {}, squares[kLanes] = {};
  // ids[i * kLanes + l]: value i of lane l, as an index into lane l's row
  // of rank (m values a lane) and of square, rank squared in double.
  void add(const int* ids, int n, const float* rank, size_t m) {
    for (int i = 0; i < n; ++i) {
      for (int l = 0; l < kLanes; ++l) {
        const double v = rank[l * m + static_cast<size_t>(ids[i * kLanes + l])];
        sum[l] = static_cast<float>(static_cast<double>(sum[l]) + v);
        squares[l] = static_cast<float>(static_cast<double>(squares[l]) + v * v);
      }
    }
  }
  void addSquares(const int* ids, int n, const double* square, size_t m) {
    for (int i = 0; i < n; ++i) {
      for (int l = 0; l < kLanes; ++l) {
        const double q = square[l * m + static_cast<size_t>(ids[i * kLanes + l])];
        squares[l] = static_cast<float>(static_cast<double>(squares[l]) + q);
      }
    }
  }
};

// The rest of tsk::meanStd from one lane's sums.
void finishMeanStd(const LaneSums& s, int lane, int n, float& mean, float& sd) {
  mean = static_cast<float>(static_cast<double>(s.sum[lane]) / n);
  float variance = static_cast<float>(
      (static_cast<double>(s.squares[lane]) - static_cast<double>(mean) * mean * n) / (n - 1));
  if (variance < 0.0f) variance = 0.0f;
  sd = static_cast<float>(std::pow(static_cast<double>(variance), 0.5));
}

// drawIndex - 1 from the tempered word alone. The draw never falls as the
// word grows, so it is decided by the first word of each position; a word's
// position is within one of y n / 2^32 (the single-precision rounding of u
// moves u n by far less than 1 for the sizes resampled), and the
// thresholds settle which.
class SinglePrecisionDraw {
 public:
  explicit SinglePrecisionDraw(int n) : n_(n), first_(static_cast<size_t>(std::max(n, 1))) {
    // u n lies within n (2^-25 + 2^-32) of y n / 2^32, in units of 2^-32
    // within 129 n; past 2^31 every word takes the thresholds.
    const uint64_t margin = 256 * static_cast<uint64_t>(n) + 256;
    margin_ = static_cast<uint32_t>(std::min<uint64_t>(margin, uint64_t{1} << 31));
    for (int j = 1; j < n; ++j) first_[j] = firstWordOf(j);
  }

  int operator()(uint32_t y) const {
    const uint64_t v = static_cast<uint64_t>(y) * static_cast<uint64_t>(n_);
    int k = static_cast<int>(v >> 32);
    // Far enough from a whole number, y n / 2^32 has the draw's floor.
    const uint32_t fraction = static_cast<uint32_t>(v);
    if (fraction > margin_ && fraction < ~margin_) return k;
    while (k + 1 < n_ && y >= first_[k + 1]) ++k;
    while (k > 0 && y < first_[k]) --k;
    return k;
  }

 private:
  int positionOf(uint64_t y) const {
    const float u = static_cast<float>(static_cast<double>(y) / 4294967295.0);
    const int k = static_cast<int>(static_cast<double>(u) * n_ + 1);
    return (k > n_ ? n_ : k) - 1;
  }

  // The first word whose position is at least j (2^32: none), searched
  // near j 2^32 / n first.
  uint64_t firstWordOf(int j) const {
    constexpr uint64_t kWords = uint64_t{1} << 32;
    const uint64_t guess = static_cast<uint64_t>(j) * kWords / static_cast<uint64_t>(n_);
    uint64_t lo = guess > 4096 ? guess - 4096 : 0, hi = std::min(guess + 4096, kWords);
    if (positionOf(lo) >= j) lo = 0;
    if (hi == kWords || positionOf(hi) < j) hi = kWords;
    // positionOf(lo - 1) < j <= positionOf(hi), reading words past the last as n.
    while (lo < hi) {
      const uint64_t mid = lo + (hi - lo) / 2;
      if (positionOf(mid) >= j) {
        hi = mid;
      } else {
        lo = mid + 1;
      }
    }
    return lo;
  }

  int n_;
  uint32_t margin_ = 0;
  std::vector<uint64_t> first_;
};

}  // namespace

std::vector<float> adjuszt(std::span<const float> x1, std::span<const float> x2, float c,
                           float* shift) {
  std::vector<float> d;
  d.reserve(x1.size() * x2.size());
  for (float a : x1) {
    for (float b : x2) d.push_back(static_cast<float>(static_cast<double>(b) - a));
  }
  const size_t m = d.size();
  float median = 0.0f;
  if (m > 0) {
    // Positions floor((m + 1)/2) and floor((m + 2)/2), counted from 1.
    const size_t lo = (m + 1) / 2 - 1, hi = (m + 2) / 2 - 1;
    std::nth_element(d.begin(), d.begin() + static_cast<long>(hi), d.end());
    const float upper = d[hi];
    float lower = upper;
    if (lo != hi) lower = *std::max_element(d.begin(), d.begin() + static_cast<long>(hi));
    median = static_cast<float>((static_cast<double>(lower) + upper) / 2);
  }
  if (shift) *shift = median;
  std::vector<float> y(x2.size());
  for (size_t j = 0; j < x2.size(); ++j) {
    y[j] = static_cast<float>(static_cast<double>(c) * (static_cast<double>(x2[j]) - median));
  }
  return y;
}

int drawIndex(tsk::MtBlock& mt, int n) {
  const float u = static_cast<float>(tsk::grnd(mt));
  int k = static_cast<int>(static_cast<double>(u) * n + 1);
  return k > n ? n : k;
}

void bootm(tsk::MtBlock& mt, std::span<const float> x, std::span<float> y) {
  const int n = static_cast<int>(x.size());
  for (float& v : y) v = x[static_cast<size_t>(drawIndex(mt, n) - 1)];
}

Wmw2Result wmw2(std::span<const float> x1, std::span<const float> x2) {
  const int n1 = static_cast<int>(x1.size()), n2 = static_cast<int>(x2.size());
  std::vector<float> p1(x1.size()), p2(x2.size());
  tsk::ranks2(x1.data(), n1, x2.data(), n2, p1.data(), p2.data());
  Wmw2Result r;
  rankWelch(p1.data(), n1, p2.data(), n2, r);
  return r;
}

BootResult bootwmw(tsk::MtBlock& mt, std::span<const float> x1, std::span<const float> x2,
                   std::span<const float> shifted, int b, std::vector<float>* replications) {
  BootResult result;
  result.t0 = wmw2(x1, x2).t;
  if (std::isnan(result.t0) || b < 1) {
    // No replication could be compared with it: every count would be 0.
    result.defined = false;
    return result;
  }
  const int n1 = static_cast<int>(x1.size()), n2 = static_cast<int>(shifted.size());

  // Every replication draws from x1 and from the shifted sample, so each
  // drawn value is one of these distinct values; its pooled midrank follows
  // from the counts of the distinct values below it and equal to it.
  std::vector<float> values(x1.begin(), x1.end());
  values.insert(values.end(), shifted.begin(), shifted.end());
  std::sort(values.begin(), values.end());
  values.erase(std::unique(values.begin(), values.end()), values.end());
  auto idOf = [&](float v) {
    return static_cast<int>(std::lower_bound(values.begin(), values.end(), v) - values.begin());
  };
  std::vector<int> id1(x1.size()), id2(shifted.size());
  for (size_t i = 0; i < x1.size(); ++i) id1[i] = idOf(x1[i]);
  for (size_t j = 0; j < shifted.size(); ++j) id2[j] = idOf(shifted[j]);

  const SinglePrecisionDraw draw1(n1), draw2(n2);
  const size_t m = values.size();
  // Ranks less one are halves from 0 to N - 1: while a sample's rank sum
  // stays within 2^23, every single-precision partial sum is exact, and the
  // sum follows from the counts of each value, in any order.
  const double pooled = static_cast<double>(n1) + n2 - 1;
  const bool countedSums = std::max(n1, n2) * pooled <= 8388608.0;
  std::vector<uint32_t> words(x1.size() + shifted.size());
  // Two tallies per sample, so that draws of one value in a row do not
  // wait on each other's increments.
  std::vector<int> count(4 * m, 0);
  // The draws of kLanes replications side by side, draw i of lane l at
  // i * kLanes + l: their sums are independent chains of additions.
  std::vector<int> ids1(x1.size() * kLanes), ids2(shifted.size() * kLanes);
  std::vector<float> rankOf(m * kLanes);
  std::vector<double> squareOf(m * kLanes);
  std::vector<float> stats(static_cast<size_t>(b));
  for (int first = 0; first < b; first += kLanes) {
    const int lanes = std::min(kLanes, b - first);
    LaneSums s1, s2;
    for (int lane = 0; lane < lanes; ++lane) {
      tsk::drawWords(mt, words.data(), words.size());
      for (int i = 0; i < n1; ++i) {
        const int id = id1[static_cast<size_t>(draw1(words[i]))];
        ids1[i * kLanes + lane] = id;
        ++count[static_cast<size_t>(i & 1) * m + static_cast<size_t>(id)];
      }
      for (int j = 0; j < n2; ++j) {
        const int id = id2[static_cast<size_t>(draw2(words[n1 + j]))];
        ids2[j * kLanes + lane] = id;
        ++count[static_cast<size_t>(2 + (j & 1)) * m + static_cast<size_t>(id)];
      }
      long below = 0;
      double sum1 = 0.0, sum2 = 0.0;
      float* rank = rankOf.data() + lane * m;
      double* square = squareOf.data() + lane * m;
      for (size_t v = 0; v < m; ++v) {
        const int c1 = count[v] + count[m + v], c2 = count[2 * m + v] + count[3 * m + v];
        count[v] = count[m + v] = count[2 * m + v] = count[3 * m + v] = 0;
        const int t = c1 + c2;
        if (t == 0) continue;
        rank[v] = static_cast<float>(below + 0.5 * (t - 1));
        square[v] = static_cast<double>(rank[v]) * rank[v];
        sum1 += c1 * static_cast<double>(rank[v]);
        sum2 += c2 * static_cast<double>(rank[v]);
        below += t;
      }
      s1.sum[lane] = static_cast<float>(sum1);
      s2.sum[lane] = static_cast<float>(sum2);
    }
    if (countedSums) {
      s1.addSquares(ids1.data(), n1, squareOf.data(), m);
      s2.addSquares(ids2.data(), n2, squareOf.data(), m);
    } else {
      s1 = LaneSums{};
      s2 = LaneSums{};
      s1.add(ids1.data(), n1, rankOf.data(), m);
      s2.add(ids2.data(), n2, rankOf.data(), m);
    }
    for (int lane = 0; lane < lanes; ++lane) {
      Wmw2Result r;
      finishMeanStd(s1, lane, n1, r.m1, r.s1);
      finishMeanStd(s2, lane, n2, r.m2, r.s2);
      stats[static_cast<size_t>(first + lane)] = welchOf(r, n1, n2);
    }
  }

  if (replications) *replications = stats;
  long less = 0, equal = 0, greater = 0;  // a statistic that is not a number counts nowhere
  for (float t : stats) {
    if (t < result.t0) ++less;
    if (t == result.t0) ++equal;
    if (t > result.t0) ++greater;
  }
  float p = static_cast<float>(2.0 * static_cast<double>(greater + equal) / b);
  const float q = static_cast<float>(2.0 * static_cast<double>(less + equal) / b);
  if (q < p) p = q;
  // Replications equal to T0 are counted in both tails; a probability
  // cannot exceed 1.
  result.p = std::min(p, 1.0f);
  return result;
}

}  // namespace tsk::analyses
