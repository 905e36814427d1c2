// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "frame.h"

namespace gscrow2s {

inline constexpr int kCapacity = 5000;

// Compares the mean crowding of the first two samples in tskdat.tmp by
// their BCa bootstrap 97.5 % intervals; replications from crowreps.par.
// capacity is the largest sample accepted, per sample.
void run(const tsk::EngineContext& context, int capacity = kCapacity);

}  // namespace gscrow2s
