// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Midranks of two samples and the mean and standard deviation routine of
// the rank statistics. A midrank is 1 + (number of values below) + 1/2 x
// (number of other values equal); a value that is not a number compares
// with nothing, so it keeps the starting rank and moves no other rank.
// Ranks are whole numbers or halves, exact in single precision.

namespace tsk {

// r1[0..n1-1], r2[0..n2-1]: midranks among all n1 + n2 values;
// q1, q2: midranks within the value's own sample. Inputs in any order.
void ranks(const float* x1, int n1, const float* x2, int n2, float* r1, float* r2, float* q1,
           float* q2);

// p1, p2: the pooled midranks minus one.
void ranks2(const float* x1, int n1, const float* x2, int n2, float* p1, float* p2);

// Mean and standard deviation (divisor n - 1) of x[0..n-1] from a single-
// precision sum and sum of squares taken in index order; a negative variance
// counts as 0. n = 1 gives a standard deviation that is not a number (0/0).
// (Called `std` in the engines' texts; renamed so as not to hide the
// standard library's namespace.) flag is always set to 1.
void meanStd(const float* x, int n, float& mean, float& sd, int& flag);

}  // namespace tsk
