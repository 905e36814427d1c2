// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "frame.h"

namespace gsmidlim {

inline constexpr int kCapacity = 999;

// Median group size and exact distribution-free confidence limits of the
// first sample of tskdat.tmp.
void run(const tsk::EngineContext& context, int capacity = kCapacity);

}  // namespace gsmidlim
