// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Descriptive statistics of one sample: counts, mean and median group size
// (the group as the unit) and mean and median crowding (the animal as the
// unit: a group of size s counts s times; M. Lloyd 1967, J. Anim. Ecol. 36:
// 1-30).

#include "analysis.h"

namespace tsk::analyses {

struct Description {
  int groups = 0;
  int animals = 0;
  float meanSize = 0.0f;  // animals / groups
  float medianSize = 0.0f;
  float meanCrowding = 0.0f;    // sum of squared sizes / animals
  float medianCrowding = 0.0f;  // the median of the animals' group sizes
};

// The sample `sizes`, in any order, with `animals` as its animal count,
// which enters the means and the crowding median as given. Failures:
// NoGroups, and AnimalsMismatch when the count is below 1 or the animals'
// median runs past the sizes.
Result<Description> describe(Sizes sizes, int animals);

// The same with the sum of the sizes as the animal count; AnimalsMismatch
// when that sum is not a whole number of 32 bits.
Result<Description> describe(Sizes sizes);

}  // namespace tsk::analyses
