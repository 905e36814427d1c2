// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "frame.h"

namespace gssummar {

inline constexpr int kCapacity = 5000;

// Describes every sample of tskdat.tmp: counts, mean and median group size,
// mean and median crowding.
void run(const tsk::EngineContext& context, int capacity = kCapacity);

}  // namespace gssummar
