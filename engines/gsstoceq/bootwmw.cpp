#include "bootwmw.h"

#include <algorithm>
#include <cmath>

#include "ranks.h"

namespace gsstoceq {

namespace {

float rankWelch(const float* p1, int n1, const float* p2, int n2, Wmw2Result& r) {
  int flag = 0;
  tsk::meanStd(p1, n1, r.m1, r.s1, flag);
  tsk::meanStd(p2, n2, r.m2, r.s2, flag);
  const double s1 = r.s1, s2 = r.s2;
  r.t = static_cast<float>((static_cast<double>(r.m1) - r.m2) /
                           std::sqrt(s1 * s1 / n1 + s2 * s2 / n2));
  return r.t;
}

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

  std::vector<int> draw1(x1.size()), draw2(shifted.size()), count(values.size(), 0);
  std::vector<float> rankOf(values.size()), p1(x1.size()), p2(shifted.size());
  std::vector<float> stats(static_cast<size_t>(b));
  for (int rep = 0; rep < b; ++rep) {
    for (int i = 0; i < n1; ++i) {
      draw1[i] = id1[static_cast<size_t>(drawIndex(mt, n1) - 1)];
      ++count[static_cast<size_t>(draw1[i])];
    }
    for (int j = 0; j < n2; ++j) {
      draw2[j] = id2[static_cast<size_t>(drawIndex(mt, n2) - 1)];
      ++count[static_cast<size_t>(draw2[j])];
    }
    long below = 0;
    for (size_t v = 0; v < values.size(); ++v) {
      const int t = count[v];
      if (t == 0) continue;
      rankOf[v] = static_cast<float>(below + 0.5 * (t - 1));
      below += t;
      count[v] = 0;
    }
    for (int i = 0; i < n1; ++i) p1[i] = rankOf[static_cast<size_t>(draw1[i])];
    for (int j = 0; j < n2; ++j) p2[j] = rankOf[static_cast<size_t>(draw2[j])];
    Wmw2Result r;
    stats[static_cast<size_t>(rep)] = rankWelch(p1.data(), n1, p2.data(), n2, r);
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

}  // namespace gsstoceq
