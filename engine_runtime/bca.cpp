// SPDX-License-Identifier: GPL-3.0-or-later
#include "bca.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "replications.h"

namespace tsk::bca {

namespace {

// Replications resampled side by side: each has its own running sum, so
// the additions of one replication keep their order while the processor
// overlaps several replications.
constexpr int kLanes = 8;

int countBelow(const float* b, int B, float statistic) {
  int count = 0;
  for (int r = 0; r < B; ++r)
    if (b[r] < statistic) ++count;
  return count;
}

}  // namespace

float sumOf(const float* x, int n) {
  float s = 0.0f;
  for (int i = 0; i < n; ++i) s = s + x[i];
  return s;
}

float sumOfSquares(const float* x, int n) {
  float s = 0.0f;
  for (int i = 0; i < n; ++i) s = static_cast<float>(s + static_cast<double>(x[i]) * x[i]);
  return s;
}

void jackknifeMeans(const float* x, int n, float s, float* j) {
  for (int i = 0; i < n; ++i) j[i] = static_cast<float>((static_cast<double>(s) - x[i]) / (n - 1));
}

void jackknifeCrowding(const float* x, int n, float s1, float s2, float* j) {
  for (int i = 0; i < n; ++i) {
    double xi = x[i];
    j[i] = static_cast<float>((s2 - xi * xi) / (s1 - xi));
  }
}

float acceleration(const float* j, int n) {
  float sum = 0.0f;
  for (int i = 0; i < n; ++i) sum = sum + j[i];
  float jm = static_cast<float>(static_cast<double>(sum) / n);
  float s2 = 0.0f;
  float s3 = 0.0f;
  for (int i = 0; i < n; ++i) {
    double d = static_cast<float>(static_cast<double>(j[i]) - jm);
    s2 = static_cast<float>(s2 + d * d);
    s3 = static_cast<float>(s3 + d * d * d);
  }
  double s2pow = static_cast<float>(std::pow(static_cast<double>(s2), 1.5));
  return static_cast<float>(-(s3 / s2pow) / 6.0);
}

namespace {

// Replications [first, last) of n draws each, replication after replication
// and draw after draw from mt, which stands at replication `first` and is
// left after the last draw: b[r] is the mean (T1 / n) or the mean crowding
// (T2 / T1) of resample r, with T1 the sum of the drawn values and T2 that of
// their squares sq[k] = x[k]^2. Gives the values of the plain loop over grnd.
template <Statistic kind, class Square>
void resampleRange(MtBlock& mt, const float* x, const Square* sq, int n, int64_t first,
                   int64_t last, float* b) {
  constexpr bool crowding = kind == Statistic::Crowding;
  const double dn = n;
  auto value = [dn](float t1, float t2) {
    return crowding ? static_cast<float>(static_cast<double>(t2) / t1)
                    : static_cast<float>(t1 / dn);
  };
  // The positions of kLanes consecutive replications, drawn in one pass.
  std::vector<int32_t> positions(static_cast<size_t>(kLanes) * n);
  int64_t rep = first;
  for (; rep + kLanes <= last; rep += kLanes) {
    drawPositions(mt, n, positions.data(), positions.size());
    const int32_t* p[kLanes];
    float t1[kLanes];
    float t2[kLanes];
    for (int l = 0; l < kLanes; ++l) {
      p[l] = positions.data() + static_cast<size_t>(l) * n;
      t1[l] = 0.0f;
      t2[l] = 0.0f;
    }
    for (int i = 0; i < n; ++i) {
      for (int l = 0; l < kLanes; ++l) {
        const int32_t k = p[l][i];
        t1[l] += x[k];
        if constexpr (crowding) t2[l] = static_cast<float>(t2[l] + sq[k]);
      }
    }
    for (int l = 0; l < kLanes; ++l) b[rep + l] = value(t1[l], t2[l]);
  }
  for (; rep < last; ++rep) {
    drawPositions(mt, n, positions.data(), static_cast<size_t>(n));
    const int32_t* p = positions.data();
    float t1 = 0.0f;
    float t2 = 0.0f;
    for (int i = 0; i < n; ++i) {
      t1 += x[p[i]];
      if constexpr (crowding) t2 = static_cast<float>(t2 + sq[p[i]]);
    }
    b[rep] = value(t1, t2);
  }
}

// All B replications, shared out over the cores; returns how many b[r] lie
// strictly below `statistic`.
template <Statistic kind, class Square>
int resample(MtBlock& mt, const float* x, const Square* sq, int n, int B, float statistic,
             float* b) {
  forEachReplicationShare(mt, B, static_cast<uint64_t>(n), kLanes,
                          [&](MtBlock& block, int64_t first, int64_t last) -> int64_t {
                            resampleRange<kind>(block, x, sq, n, first, last, b);
                            return 0;
                          });
  return countBelow(b, B, statistic);
}

// True when every x(i) is a whole number and n max x(i)^2 < 2^24: then every
// running sum of squares is a whole number that single precision holds
// exactly, and adding the squares in single precision gives the sums that
// the double additions rounded to single give.
bool squaresSumExactly(const float* x, int n) {
  double largest = 0;
  for (int i = 0; i < n; ++i) {
    if (!(std::fabs(x[i]) < 4096.0f) || x[i] != std::trunc(x[i])) return false;
    largest = std::max(largest, static_cast<double>(x[i]) * x[i]);
  }
  return largest * n < 16777216.0;
}

template <class Square>
std::vector<Square> squaresOf(const float* x, int n) {
  std::vector<Square> squares(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) squares[i] = static_cast<Square>(static_cast<double>(x[i]) * x[i]);
  return squares;
}

}  // namespace

float biasCorrection(int count, int B) {
  float p0 = static_cast<float>(static_cast<double>(count) / B);
  return stnicdf(p0);
}

float statisticOf(const float* x, int n, Statistic kind) {
  if (kind == Statistic::Mean) return static_cast<float>(static_cast<double>(sumOf(x, n)) / n);
  return static_cast<float>(static_cast<double>(sumOfSquares(x, n)) / sumOf(x, n));
}

float accelerationOf(const float* x, int n, Statistic kind) {
  std::vector<float> j(static_cast<size_t>(n));
  if (kind == Statistic::Mean) {
    jackknifeMeans(x, n, sumOf(x, n), j.data());
  } else {
    jackknifeCrowding(x, n, sumOf(x, n), sumOfSquares(x, n), j.data());
  }
  return acceleration(j.data(), n);
}

Bootstrap bootstrap(MtBlock& r, const float* x, int n, int B, Statistic kind, float statistic,
                    float* b) {
  Bootstrap result;
  if (n > 0 && B > 0) {
    if (kind == Statistic::Mean) {
      result.count = resample<Statistic::Mean, float>(r, x, nullptr, n, B, statistic, b);
    } else if (squaresSumExactly(x, n)) {
      // Group sizes as counted: the squares add without rounding.
      const std::vector<float> sq = squaresOf<float>(x, n);
      result.count = resample<Statistic::Crowding>(r, x, sq.data(), n, B, statistic, b);
    } else {
      // Squares are exact in double: each running sum rounds once per draw.
      const std::vector<double> sq = squaresOf<double>(x, n);
      result.count = resample<Statistic::Crowding>(r, x, sq.data(), n, B, statistic, b);
    }
  }
  result.z0 = biasCorrection(result.count, B);
  sort(b, B);
  return result;
}

Limits limits(const float* sorted, int B, float z0, float a, float c, UpperIndex rule) {
  const float alpha1 = static_cast<float>((1.0 - c) / 2.0);
  const float alpha2 = static_cast<float>(1.0 - alpha1);
  auto adjusted = [&](float zq) {
    double w = static_cast<double>(z0) + zq;
    return stncdf(static_cast<float>(z0 + w / (1.0 - a * w)));
  };
  const float pl = adjusted(stnicdf(alpha1));
  const float pu = adjusted(stnicdf(alpha2));
  // A probability that is not a number (an undefined acceleration reaching
  // here) must not become an index outside the store.
  auto index = [B](float p) {
    double k = std::floor(static_cast<double>(B) * p);
    return std::isnan(k) ? 0 : static_cast<int>(std::clamp(k, 0.0, static_cast<double>(B)));
  };
  Limits l;
  l.kl = index(pl);
  l.ku = index(pu);
  if (rule == UpperIndex::OneAbove) l.ku = std::min(l.ku + 1, B);
  l.lower = sorted[l.kl == 0 ? 0 : l.kl - 1];
  l.upper = sorted[l.ku == 0 ? 0 : l.ku - 1];
  l.uncertain = l.kl < 10 || l.ku >= B - 8;
  return l;
}

const char* undefinedLimits(const float* x, int n) {
  if (n == 1) return kOneGroup;
  if (std::all_of(x, x + n, [&](float v) { return v == x[0]; })) return kEqualGroups;
  return nullptr;
}

}  // namespace tsk::bca
