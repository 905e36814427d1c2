// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Two-sample tests of stochastic equality of group sizes, H0: P(X1 < X2) =
// P(X1 > X2): the Wilcoxon-Mann-Whitney test (H. B. Mann and D. R. Whitney
// 1947, Ann. Math. Stat. 18: 50-60), the Brunner-Munzel test (E. Brunner and
// U. Munzel 2000, Biometrical Journal 42: 17-25) and a bootstrap test of the
// Welch statistic on pooled midranks.

#include "analysis.h"
#include "bmtest.h"
#include "bootwmw.h"
#include "wmwtest.h"

namespace tsk::analyses {

struct StoceqSample {
  int groups = 0;
  float minimum = 0.0f, median = 0.0f, mean = 0.0f, maximum = 0.0f;
};

struct StoceqTest {
  StoceqSample samples[2];
  double pairs = 0.0;    // n1 n2
  WmwResult wmw;         // u: the pairs in which sample 2 is larger, ties as halves
  double greater = 0.0;  // P(X1 > X2) + 1/2 P(X1 = X2): 1 - u / pairs
  double less = 0.0;     // P(X1 < X2) + 1/2 P(X1 = X2): u / pairs
  BmResult bm;
  BmUndefined bmWhy = BmUndefined::Defined;
  float bmP = -1.0f;  // two-sided; -1 where bmWhy is not Defined
  // The bootstrap's shift: the median of the pairwise differences. Not
  // usable when they pass the single-precision range: then no bootstrap.
  float shift = 0.0f;
  bool shiftUsable = true;
  double balance = 0.0;     // U'/(n1 n2) of sample 1 against the shifted sample 2
  bool unbalanced = false;  // balance more than 0.01 from 1/2: the shift failed
  int replications = 0;
  BootResult boot;     // not defined where not computed
  float bootP = -1.0f;  // -1 where not computed
};

// The three tests of `first` against `second`, each resampled in the order
// given, with `replications` (>= 1) bootstrap replications. Failures:
// NoGroups, BadReplications. The work grows with n1 n2 (the pairwise
// differences are held in memory, 4 bytes each) and with the replications
// times (n1 + n2).
Result<StoceqTest> stoceqTest(Sizes first, Sizes second, int replications, Seed seed);

}  // namespace tsk::analyses
