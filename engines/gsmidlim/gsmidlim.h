#pragma once
#include <vector>

#include "frame.h"

namespace gsmidlim {

inline constexpr int kCapacity = 999;

// Candidate limits for the median: truncated order statistics with the
// one-sided coverage each can have (the probability that the median lies
// above a lower, or below an upper, candidate).
struct Candidates {
  std::vector<int> lower, upper;
  std::vector<float> lowerCoverage, upperCoverage;
};

// Candidates from an ascending sample x[0..n-1]: the values at the positions
// i whose P(X <= i-1) lies in the window 4.999e-05 .. 0.1 (X binomial(n, 1/2)),
// each with the coverage of the outermost position that holds it. Every
// value must fit a 32-bit integer when truncated.
Candidates candidates(const std::vector<float>& x);

// The shortest pair whose coverage exceeds a level.
struct Interval {
  int lo = 0;  // 0: none chosen yet
  int hi = 0;
  float coverage = 0.0f;
};

// Chooses the interval for `level` among the candidates, keeping `chosen`
// when no pair qualifies (the choice carries over from one level to the next).
void choose(const Candidates& c, float level, Interval& chosen);

// Median group size and exact distribution-free confidence limits of the
// first sample of tskdat.tmp.
void run(const tsk::EngineContext& context, int capacity = kCapacity);

}  // namespace gsmidlim
