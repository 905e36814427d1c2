// SPDX-License-Identifier: GPL-3.0-or-later
#include "median_test.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace tsk::analyses {

float amed(float* x, int n) {
  // Any ascending order gives the same median and counts: equal values
  // cannot be told apart afterwards.
  std::sort(x, x + n);
  const int i = (n + 1) / 2;
  return static_cast<float>((static_cast<double>(x[i - 1]) + x[n - i]) / 2);
}

Estimate estimate(int k, const int* n) {
  float t = 0.0002f;
  for (int v = 1; v <= kMedianTestMaxSamples; ++v) {
    if (v <= k) {
      t = static_cast<float>(n[v - 1] * static_cast<double>(t) / 2);
    } else {
      t = static_cast<float>(static_cast<double>(t) * 0.35f);
    }
  }
  return {t, std::floor(static_cast<double>(t) / 60 + 0.5)};
}

Failure medianTestNoGroups(int sample) {
  return {Error::NoGroups, "    ERROR: sample " + std::to_string(sample) + " has no groups"};
}

Result<MedianTest> medianTest(std::span<const Sizes> samples, double limitMinutes) {
  const int k = static_cast<int>(samples.size());
  if (k < 1 || k > kMedianTestMaxSamples) {
    return Failure{Error::TooManySamples, "    ERROR: the test takes one to six samples"};
  }
  std::vector<std::vector<float>> x;
  for (int j = 0; j < k; ++j) {
    x.push_back(samples[static_cast<size_t>(j)].values());
    if (x.back().empty()) return medianTestNoGroups(j + 1);
  }
  MedianTest r;
  std::vector<float> pool;
  int n[kMedianTestMaxSamples] = {}, le[kMedianTestMaxSamples] = {};
  for (int j = 0; j < k; ++j) {
    std::vector<float> copy = x[static_cast<size_t>(j)];
    n[j] = static_cast<int>(copy.size());
    r.samples.push_back({n[j], amed(copy.data(), n[j])});
    pool.insert(pool.end(), copy.begin(), copy.end());
  }
  r.groups = static_cast<int>(pool.size());
  r.median = amed(pool.data(), r.groups);
  for (int j = 0; j < k; ++j) {
    const std::vector<float>& v = x[static_cast<size_t>(j)];
    le[j] = static_cast<int>(std::count_if(v.begin(), v.end(), [&](float s) { return s <= r.median; }));
    r.samples[static_cast<size_t>(j)].le = le[j];
    r.samples[static_cast<size_t>(j)].gt = n[j] - le[j];
  }
  if (k < 2) {
    r.noTest = Failure{Error::TooFewSamples, "    ERROR: the test needs at least two samples"};
    return r;
  }
  r.estimate = estimate(k, n);
  r.table = canonicalTable(k, le, n);
  if (r.estimate.minutes <= limitMinutes) r.p = exactPValue(r.table, chooseHeadRows(r.table));
  return r;
}

}  // namespace tsk::analyses
