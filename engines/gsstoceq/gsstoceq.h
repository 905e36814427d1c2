// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "frame.h"

namespace gsstoceq {

inline constexpr int kCapacity = 2000;

// Tests two samples of tskdat.tmp for stochastic equality: descriptives,
// P(X1 > X2) + 1/2 P(X1 = X2), and the Wilcoxon-Mann-Whitney, Brunner-Munzel
// and bootstrap p-values. capacity is the largest sample accepted: 2000
// (with the product limit n1 n2 <= 2000000) or 999 (the older build).
void run(const tsk::EngineContext& context, int capacity = kCapacity);

}  // namespace gsstoceq
