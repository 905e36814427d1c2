// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The Brunner-Munzel test of H0: P(X1 < X2) + 1/2 P(X1 = X2) = 1/2 without
// equal variances (E. Brunner and U. Munzel 2000, Biometrical Journal 42:
// 17-25), by pooled and internal midranks.

#include <span>

namespace tsk::analyses {

struct BmResult {
  float w = 0.0f;  // positive when sample 2 tends to the larger values
  float f = 0.0f;  // degrees of freedom; 0 when the variance estimate is not positive
};

// A sample of one group leaves the variance 0/0; it is answered like every
// other degenerate case, with W = 0 and f = 0.
BmResult bmtest(std::span<const float> x1, std::span<const float> x2);

// Why the test has no p-value (f = 0, the report's -1.0000).
enum class BmUndefined {
  Defined,       // it has one
  OneGroup,      // a sample of one group: its rank variance is 0/0
  AllEqual,      // every value of both samples equal
  Separated,     // every value of one sample below every value of the other
  ZeroVariance,  // the rank variance is 0 otherwise
};

// The reason for samples whose result has f = `f`.
BmUndefined whyUndefined(std::span<const float> x1, std::span<const float> x2, float f);

}  // namespace tsk::analyses
