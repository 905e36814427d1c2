#pragma once
// Mood's median test for two to six samples: the counts of each sample at or
// below and above the pooled median, tested by Fisher's exact test under a
// time limit read from gsmidtst.par.

#include "frame.h"

namespace gsmidtst {

inline constexpr int kCapacity = 2000;  // values per sample, newer build
inline constexpr int kMaxSamples = 6;

// Sorts x[0..n-1] ascending in place and returns its median, the mean of the
// two middle values (the middle value twice for odd n).
float amed(float* x, int n);

// Running time of the full enumeration on the reference machine: seconds
// (single precision) and whole minutes rounded half up. The minutes are kept
// in double so that an estimate beyond any integer field still compares.
struct Estimate {
  float seconds;
  double minutes;
};
Estimate estimate(int k, const int* n);

// One run in context.dir; capacity is the largest sample accepted.
void run(const tsk::EngineContext& context, int capacity = kCapacity);

}  // namespace gsmidtst
