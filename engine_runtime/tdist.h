// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Student's t distribution for real-valued degrees of freedom, as the
// Brunner-Munzel test needs it (its f is a ratio of variance estimates).

namespace tsk {

// F(t) for f degrees of freedom, double precision; 0 when f <= 0 or f is
// not a number.
double tdist(double t, double f);

// Tail probability, single precision: 1 - F for k = 1, 2 (1 - F) for k = 2.
// The tail is computed directly rather than as 1 - F, so small p-values
// keep their digits.
float tprob(float t, double f, int k);

}  // namespace tsk
