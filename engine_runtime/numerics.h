// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Numerical routines shared by the resampling engines: the standard normal
// distribution function and its inverse, and ascending sorts of
// single-precision arrays.

namespace tsk {

// Phi(z), single precision.
float stncdf(float z);
// z with Phi(z) = p, single precision; +-12.727922 outside (0, 1).
float stnicdf(float p);

// Sort x[0..n-1] ascending in place (the exchange and the gap variants give
// the same array; both names are kept for the engines that use them).
void sort(float* x, int n);
void sortGap(float* x, int n);

}  // namespace tsk
