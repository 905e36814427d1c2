// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Fisher's exact test on a k x 2 table (the Freeman-Halton extension for
// k > 2): the hypergeometric routines and the exact two-sided p-value.

#include <array>

namespace tsk::analyses {

inline constexpr int kMaxRows = 6;

// Probability C(K, c) C(N - K, m - c) / C(N, m) of c successes in a draw of m
// from N items of which K are successes, by running products in double.
double hipgeo(int N, int K, int m, int c);

// Probability of the table whose first column is t[0..k-1], under the row
// totals n[0..k-1] and the first column total A (grand total N). The last row
// follows from the others.
double probab(int k, const int* t, const int* n, int A, int N);

// The table as the test sees it: columns exchanged so that the first has the
// smaller total, rows ordered by total, largest first.
struct FisherTable {
  int k = 0;
  std::array<int, kMaxRows> a{};  // observed first column
  std::array<int, kMaxRows> n{};  // row totals
  int A = 0;                      // first column total
  int N = 0;                      // grand total
};

// Builds the canonical table from the counts LE(i) and the row totals n(i).
FisherTable canonicalTable(int k, const int* le, const int* n);

// Exact two-sided p-value: the summed probability of every table with the
// observed margins whose probability is at most P0 (1 + 1e-7), P0 being the
// observed table's. The tolerance is relative: an absolute one counts every
// table of large samples, whose probabilities lie far below it. Good to about
// 1e-14 absolute; a p-value proven below 1e-14 is given as that bound. k must
// lie in 2..6: otherwise the result is -1.
double fisherxx(int k, const int* le, const int* n);

// The same p-value with the rows split into a head (the first headRows rows
// of the canonical table) and a tail: for each sum of the head's first
// column, the partial tables of both sides that the cut does not decide
// whole are listed, sorted and swept against each other; where rows of one
// side have equal totals, a partial table is listed once for all its
// rearrangements among them (six samples of 2000 then list about a sixth as
// many). The power bound is tried first on large tables. fisherxx picks the
// split; any split in 0..k gives the same p-value. The relative tolerance of
// "at most P0" can be changed for tests, where 0 puts every table tied with
// the observed one exactly at the cut.
double exactPValue(const FisherTable& table, int headRows, double tolerance = 1.0e-7);

// The split that fisherxx uses for a canonical table.
int chooseHeadRows(const FisherTable& table);

// An upper bound on the exact p-value that takes a few convolutions of the
// rows, however many tables there are.
double powerBound(const FisherTable& table);

}  // namespace tsk::analyses
