// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A plain transcription of the two-sample bootstrap t-test loops: the
// generator one word at a time, resamples stored in full and
// the t statistic recomputed from them each time. It is the yardstick for the
// engine's speed and, in the tests, an independent source of its results.

#include <cstdint>
#include <vector>

namespace gsmean2s_baseline {

struct Result {
  float t = 0, m1 = 0, m2 = 0, s1 = 0, s2 = 0;
  int64_t count = 0;  // replications with |t*| < |t|
  float p = 0;
  double next = 0;  // the generator's value after the last draw
};

// x1, x2 at least two values each; the generator seeded with `seed`.
Result run(const std::vector<float>& x1, const std::vector<float>& x2, int b, int32_t seed);

}  // namespace gsmean2s_baseline
