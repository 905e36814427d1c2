// SPDX-License-Identifier: GPL-3.0-or-later
#include "stoceq_test.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "mtrand.h"
#include "ranks.h"
#include "tdist.h"

namespace tsk::analyses {

namespace {

float median(const std::vector<float>& sorted) {
  const size_t n = sorted.size();
  return static_cast<float>(
      (static_cast<double>(sorted[(n + 1) / 2 - 1]) + sorted[(n + 2) / 2 - 1]) / 2);
}

// Minimum, median and maximum from a sorted copy: the same as by position
// for the ascending samples the front end writes, and still right for a
// file edited by hand.
StoceqSample describeSample(const std::vector<float>& x) {
  std::vector<float> s = x;
  std::sort(s.begin(), s.end());
  StoceqSample d;
  d.groups = static_cast<int>(x.size());
  float sd = 0.0f;
  int flag = 0;
  tsk::meanStd(x.data(), d.groups, d.mean, sd, flag);
  d.minimum = s.front();
  d.median = median(s);
  d.maximum = s.back();
  return d;
}

}  // namespace

Result<StoceqTest> stoceqTest(Sizes first, Sizes second, int replications, Seed seed) {
  const std::vector<float> x1 = first.values(), x2 = second.values();
  if (x1.empty()) return sampleWithoutGroups(1);
  if (x2.empty()) return sampleWithoutGroups(2);
  if (replications < 1) {
    return Failure{Error::BadReplications,
                   "   ERROR: the number of bootstrap replications must be 1 or more"};
  }
  StoceqTest r;
  r.samples[0] = describeSample(x1);
  r.samples[1] = describeSample(x2);
  r.pairs = static_cast<double>(x1.size()) * static_cast<double>(x2.size());
  r.wmw = wmwtest(x1, x2);
  r.greater = 1 - r.wmw.u / r.pairs;
  r.less = r.wmw.u / r.pairs;
  r.replications = replications;

  const std::vector<float> y = adjuszt(x1, x2, 1.0f, &r.shift);
  // Differences beyond the single-precision range leave no usable shift.
  r.shiftUsable = std::isfinite(r.shift);
  if (r.shiftUsable) {
    const float shiftedU = wmwtest(x1, y).u;
    r.balance = shiftedU / r.pairs;
    // |U'/(n1 n2) - 0.5| > 0.01, decided exactly: 2U' and n1 n2 are whole
    // numbers, while 0.49 and 0.51 have no exact binary form and would warn
    // at the very ends of the accepted range.
    r.unbalanced = 50 * std::fabs(2.0 * shiftedU - r.pairs) > r.pairs;
  }

  r.bm = bmtest(x1, x2);
  r.bmWhy = whyUndefined(x1, x2, r.bm.f);
  if (r.bmWhy == BmUndefined::Defined) {
    r.bmP = tsk::tprob(std::fabs(r.bm.w), static_cast<double>(r.bm.f), 2);
  }

  r.boot.defined = false;
  if (r.shiftUsable) {
    MtBlock mt;
    sgrnd(mt, nonZeroSeed(seed));
    r.boot = bootwmw(mt, x1, x2, y, replications);
  }
  if (r.boot.defined) r.bootP = r.boot.p;
  return r;
}

}  // namespace tsk::analyses
