// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Mood's median test for two to six samples: the counts of each sample at or
// below and above the pooled median, tested by Fisher's exact test under a
// time limit read from gsmidtst.par.

#include "frame.h"

namespace gsmidtst {

inline constexpr int kCapacity = 2000;  // values per sample, newer build
inline constexpr int kMaxSamples = 6;

// One run in context.dir; capacity is the largest sample accepted.
void run(const tsk::EngineContext& context, int capacity = kCapacity);

}  // namespace gsmidtst
