// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "frame.h"

namespace gsmean2s {

inline constexpr int kCapacity = 5000;

// Bootstrap two-sample t-test of the mean group size of the first two
// samples of tskdat.tmp; `capacity` groups at most per sample.
void run(const tsk::EngineContext& context, int capacity = kCapacity);

}  // namespace gsmean2s
