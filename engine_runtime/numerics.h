#pragma once
// Numerical routines shared by the resampling engines: the multiplicative
// uniform generator, the standard normal distribution function and its
// inverse, and ascending sorts of single-precision arrays.

#include <cstdint>
#include <vector>

#include "clock.h"

namespace tsk {

// State record of the multiplicative generator; every field double precision.
struct Ranseed {
  double multiplier = 131061.0;
  double modulus = 524287.0;
  double state = 1.0;
};

// Seeds the state from the time of day written as hhmmss. A start at exactly
// midnight would give the state 0, which the generator never leaves (every
// draw 0); that one seed is replaced by kMidnightSeed, midnight written as
// 24:00:00, which no other time of day gives, so every second keeps a
// sequence of its own.
void seedRanseed(Ranseed& r, const TimeOfDay& t);
inline constexpr uint32_t kMidnightSeed = 240000;

// Next uniform value in [0, 1), single precision; advances the state.
float unif01(Ranseed& r);

// Phi(z), single precision.
float stncdf(float z);
// z with Phi(z) = p, single precision; +-12.727922 outside (0, 1).
float stnicdf(float p);

// Sort x[0..n-1] ascending in place (the exchange and the gap variants give
// the same array; both names are kept for the engines that use them).
void sort(float* x, int n);
void sortGap(float* x, int n);

// ---------------------------------------------------------------------------
// Integer form of the generator, for the resampling loops. It walks exactly
// the states of unif01 (131061 s mod 524287) without floating-point remainder.

inline constexpr uint32_t kLehmerMultiplier = 131061;
inline constexpr uint32_t kLehmerModulus = 524287;  // the prime 2^19 - 1
inline constexpr uint32_t kLehmerPeriod = 262143;   // order of 131061 modulo 524287

inline uint32_t lehmerNext(uint32_t s) {
  uint64_t p = uint64_t{kLehmerMultiplier} * s;  // below 2^36
  // p mod (2^19 - 1) by folding the high bits onto the low ones.
  // The fold leaves r below 2 * 524287, so one subtraction completes it.
  uint32_t r = static_cast<uint32_t>((p & kLehmerModulus) + (p >> 19));
  return r >= kLehmerModulus ? r - kLehmerModulus : r;
}

// The state k draws after s: s * 131061^k mod 524287.
uint32_t lehmerJump(uint32_t s, uint64_t k);

// unif01's value for the state it has just produced.
inline float unifValue(uint32_t state) {
  return static_cast<float>(static_cast<double>(state) / 524287.0);
}

// Resampling position floor(u * n + 1), capped at n (1-based). The product
// is taken in double from the single-precision u, where it is exact.
inline int resampleIndex(float u, int n) {
  int k = static_cast<int>(static_cast<double>(u) * n + 1.0);
  return k > n ? n : k;
}

// The generator's state as an integer (the record holds a whole number).
inline uint32_t ranseedState(const Ranseed& r) { return static_cast<uint32_t>(r.state); }

// The 0-based resampling positions of the draws that follow a given state,
// for a sample of n values, laid out along the generator's whole cycle so
// that the draws of any stretch are read in sequence. position(t) is the
// position of draw t (t = 0 the next draw); entries t < period() + n are
// stored, so any run of n draws starting below period() is contiguous.
class IndexCycle {
 public:
  IndexCycle(uint32_t state, int n);  // 1 <= n <= 65536
  int period() const { return period_; }
  const uint16_t* data() const { return positions_.data(); }
  // Where draw number t (counted from the starting state) lies in data().
  uint32_t offset(uint64_t t) const { return static_cast<uint32_t>(t % period_); }

 private:
  int period_ = 1;
  std::vector<uint16_t> positions_;
};

}  // namespace tsk
