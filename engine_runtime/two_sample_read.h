// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The sample reads of the two-sample engines, which stop on the same faults
// with the same lines.

#include <string>
#include <vector>

#include "reader.h"

namespace tsk {

// Reads sample `which` (1 or 2) into `x`: its block, of at most `capacity`
// and at least `minGroups` groups. Returns the line that stops the run
// ("   ERROR: sample 2 too large (max=1999)"), `tooFew` ending it for a
// sample of fewer groups; an empty text when the sample was read.
std::string readTwoSampleBlock(NumberReader& data, int which, int capacity, int minGroups,
                               const std::string& tooFew, std::vector<float>& x);

}  // namespace tsk
