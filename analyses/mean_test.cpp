// SPDX-License-Identifier: GPL-3.0-or-later
#include "mean_test.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

#include "replications.h"

namespace tsk::analyses {

namespace {

// Replications computed side by side: their running sums are independent
// chains, so the processor overlaps the rounding of one with the others.
constexpr int kLanes = 8;

// How many of replications [first, last) give |t*| < absT; mt stands at
// replication `first` and is left after replication last - 1.
int64_t countWithin(const std::vector<float>& y1, const std::vector<float>& y2,
                    const std::vector<double>& sq1, const std::vector<double>& sq2, float absT,
                    int64_t first, int64_t last, MtBlock& mt) {
  const int n1 = static_cast<int>(y1.size()), n2 = static_cast<int>(y2.size());
  // The positions of kLanes replications, each its n1 draws then its n2.
  std::vector<int32_t> positions(static_cast<size_t>(kLanes) * (y1.size() + y2.size()));
  int64_t count = 0;
  for (int64_t r0 = first; r0 < last; r0 += kLanes) {
    const int lanes = static_cast<int>(std::min<int64_t>(kLanes, last - r0));
    const int32_t* p1[kLanes];
    const int32_t* p2[kLanes];
    int32_t* next = positions.data();
    for (int l = 0; l < kLanes; ++l) {
      // Spare lanes of the last group repeat the first one; they are not counted.
      if (l >= lanes) {
        p1[l] = p1[0];
        p2[l] = p2[0];
        continue;
      }
      drawPositions(mt, n1, next, static_cast<size_t>(n1));
      p1[l] = next;
      next += n1;
      drawPositions(mt, n2, next, static_cast<size_t>(n2));
      p2[l] = next;
      next += n2;
    }
    float sa[kLanes] = {}, qa[kLanes] = {}, sb[kLanes] = {}, qb[kLanes] = {};
    for (int i = 0; i < n1; ++i) {
      for (int l = 0; l < kLanes; ++l) {
        const int32_t k = p1[l][i];
        sa[l] += y1[k];
        qa[l] = static_cast<float>(qa[l] + sq1[k]);
      }
    }
    for (int j = 0; j < n2; ++j) {
      for (int l = 0; l < kLanes; ++l) {
        const int32_t k = p2[l][j];
        sb[l] += y2[k];
        qb[l] = static_cast<float>(qb[l] + sq2[k]);
      }
    }
    for (int l = 0; l < lanes; ++l) {
      Moments ignored;
      const float tStar = tFromSums(n1, n2, sa[l], qa[l], sb[l], qb[l], ignored);
      if (std::fabs(tStar) < absT) ++count;
    }
  }
  return count;
}

Failure tooFewGroups(int sample) {
  return {Error::TooFewGroups, "   ERROR: sample " + std::to_string(sample) +
                                   " too small (min=" + std::to_string(kMeanTestMinGroups) + ")"};
}

}  // namespace

float tFromSums(int n1, int n2, float sa, float qa, float sb, float qb, Moments& m) {
  m.m1 = static_cast<float>(static_cast<double>(sa) / n1);
  float q1 = static_cast<float>((static_cast<double>(qa) - static_cast<double>(m.m1) * m.m1 * n1) /
                                (n1 - 1));
  if (q1 < 0) q1 = 0;
  m.s1 = static_cast<float>(std::sqrt(static_cast<double>(q1)));
  m.m2 = static_cast<float>(static_cast<double>(sb) / n2);
  float q2 = static_cast<float>((static_cast<double>(qb) - static_cast<double>(m.m2) * m.m2 * n2) /
                                (n2 - 1));
  if (q2 < 0) q2 = 0;
  m.s2 = static_cast<float>(std::sqrt(static_cast<double>(q2)));
  float se = static_cast<float>(
      std::sqrt(static_cast<double>(m.s1) * m.s1 / n1 + static_cast<double>(m.s2) * m.s2 / n2));
  if (se <= 0) se = 1e-05f;
  return static_cast<float>((static_cast<double>(m.m1) - m.m2) / se);
}

float st(int n1, int n2, const float* a, const float* b, Moments& moments) {
  // float + float rounds exactly as the double sum rounded to single does.
  float sa = 0, qa = 0, sb = 0, qb = 0;
  for (int i = 0; i < n1; ++i) {
    sa += a[i];
    qa = static_cast<float>(qa + static_cast<double>(a[i]) * a[i]);
  }
  for (int i = 0; i < n2; ++i) {
    sb += b[i];
    qb = static_cast<float>(qb + static_cast<double>(b[i]) * b[i]);
  }
  return tFromSums(n1, n2, sa, qa, sb, qb, moments);
}

void centre(const std::vector<float>& x1, const std::vector<float>& x2, const Moments& m,
            std::vector<float>& y1, std::vector<float>& y2) {
  const double n1 = static_cast<double>(x1.size()), n2 = static_cast<double>(x2.size());
  const float pooled = static_cast<float>((n1 * m.m1 + n2 * m.m2) / (n1 + n2));
  y1.resize(x1.size());
  y2.resize(x2.size());
  for (size_t i = 0; i < x1.size(); ++i) {
    y1[i] = static_cast<float>((static_cast<double>(x1[i]) - m.m1) + pooled);
  }
  for (size_t j = 0; j < x2.size(); ++j) {
    y2[j] = static_cast<float>((static_cast<double>(x2[j]) - m.m2) + pooled);
  }
}

int64_t bootstrapCount(const std::vector<float>& y1, const std::vector<float>& y2, float t,
                       int64_t b, MtBlock& mt) {
  const int n1 = static_cast<int>(y1.size()), n2 = static_cast<int>(y2.size());
  if (n1 < 2 || n2 < 2) throw std::invalid_argument("bootstrapCount: a sample of fewer than 2");
  if (b <= 0) return 0;
  // Squares are exact in double: the running sum rounds as the plain loop's.
  std::vector<double> sq1(y1.size()), sq2(y2.size());
  for (size_t i = 0; i < y1.size(); ++i) sq1[i] = static_cast<double>(y1[i]) * y1[i];
  for (size_t j = 0; j < y2.size(); ++j) sq2[j] = static_cast<double>(y2[j]) * y2[j];
  const float absT = std::fabs(t);
  auto share = [&](MtBlock& block, int64_t first, int64_t last) -> int64_t {
    return countWithin(y1, y2, sq1, sq2, absT, first, last, block);
  };
  return forEachReplicationShare(mt, b, static_cast<uint64_t>(n1) + n2, kLanes, share);
}

Result<MeanTest> meanTest(Sizes first, Sizes second, int replications, Seed seed) {
  const std::vector<float> x1 = first.values(), x2 = second.values();
  if (x1.size() < kMeanTestMinGroups) return tooFewGroups(1);
  if (x2.size() < kMeanTestMinGroups) return tooFewGroups(2);
  if (auto failure = checkReplications(replications)) return *failure;
  MeanTest r;
  r.groups[0] = static_cast<int>(x1.size());
  r.groups[1] = static_cast<int>(x2.size());
  r.t = st(r.groups[0], r.groups[1], x1.data(), x2.data(), r.moments);
  r.replications = replications;
  std::vector<float> y1, y2;
  centre(x1, x2, r.moments, y1, y2);
  MtBlock mt;
  sgrnd(mt, nonZeroSeed(seed));
  r.within = bootstrapCount(y1, y2, r.t, replications, mt);
  r.p = static_cast<float>(1.0 - static_cast<double>(r.within) / replications);
  return r;
}

}  // namespace tsk::analyses
