// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "frame.h"

namespace gsmeanci {

inline constexpr int kCapacity = 5000;

// BCa bootstrap confidence limits (90, 95 and 99 %) of the mean group size
// of the first sample in tskdat.tmp; replications from gsmeanci.par.
void run(const tsk::EngineContext& context, int capacity = kCapacity);

}  // namespace gsmeanci
