#pragma once
// Student's t distribution for integer degrees of freedom, by the exact
// finite series in the angle atan2(t, sqrt(n)).

namespace tsk {

// F(t) for n degrees of freedom, double precision; 0 when n < 1.
double tdist(double t, int n);

// Tail probability, single precision: 1 - F for k = 1, 2 (1 - F) for k = 2.
float tprob(float t, int n, int k);

}  // namespace tsk
