// SPDX-License-Identifier: GPL-3.0-or-later
#include "describe.h"

#include <cmath>
#include <limits>

namespace tsk::analyses {

namespace {

const char* const kNoGroups = "    ERROR: a sample has no groups";
const char* const kMismatch = "    ERROR: number of animals does not match the group sizes";
const char* const kNoCount =
    "    ERROR: the group sizes do not add up to a whole number of animals of 32 bits";

// The median crowding by a running total over the ascending sizes. False
// when the animal count does not lead the scan to a size inside x.
bool medianCrowding(const std::vector<float>& x, int32_t a, float& result) {
  const int n = static_cast<int>(x.size());
  const int32_t m = a / 2;
  float c = 0.0f;
  for (int j = 0; j < n; ++j) {
    c = c + x[j];
    if (static_cast<double>(c) == m) {
      if (j + 1 >= n) return false;
      result =
          a % 2 == 0 ? static_cast<float>((static_cast<double>(x[j]) + x[j + 1]) / 2) : x[j + 1];
      return true;
    }
    if (static_cast<double>(c) > m) {
      result = x[j];
      return true;
    }
  }
  return false;
}

}  // namespace

Result<Description> describe(Sizes sizes, int animals) {
  // Medians need ascending sizes; the sums run in that order too.
  const std::vector<float> x = sizes.ascending();
  const int n = static_cast<int>(x.size());
  if (n < 1) return Failure{Error::NoGroups, kNoGroups};

  Description d;
  d.groups = n;
  d.animals = animals;
  d.meanSize = static_cast<float>(static_cast<double>(animals) / n);
  float squares = 0.0f;
  for (int i = 0; i < n; ++i)
    squares = static_cast<float>(squares + static_cast<double>(x[i]) * x[i]);
  const int h = n / 2;
  d.medianSize = n % 2 == 1 ? x[h] : static_cast<float>((static_cast<double>(x[h - 1]) + x[h]) / 2);
  if (animals < 1 || !medianCrowding(x, animals, d.medianCrowding)) {
    return Failure{Error::AnimalsMismatch, kMismatch};
  }
  d.meanCrowding = static_cast<float>(squares / static_cast<double>(animals));
  return d;
}

Result<Description> describe(Sizes sizes) {
  double sum = 0;
  for (float v : sizes.values()) sum += v;
  if (!(sum >= 0 && sum <= std::numeric_limits<int32_t>::max()) || sum != std::trunc(sum)) {
    return Failure{Error::AnimalsMismatch, kNoCount};
  }
  return describe(sizes, static_cast<int>(sum));
}

}  // namespace tsk::analyses
