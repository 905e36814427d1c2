#pragma once
// Numerical routines shared by the resampling engines: the multiplicative
// uniform generator, the standard normal distribution function and its
// inverse, and ascending sorts of single-precision arrays.

#include "clock.h"

namespace tsk {

// State record of the multiplicative generator; every field double precision.
struct Ranseed {
  double multiplier = 131061.0;
  double modulus = 524287.0;
  double state = 1.0;
};

// Seeds the state from the time of day written as hhmmss.
void seedRanseed(Ranseed& r, const TimeOfDay& t);

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

}  // namespace tsk
