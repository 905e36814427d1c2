// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The exact test by full enumeration, transcribed step by step: every first
// column of the canonical table visited by six nested loops. The reference
// that the fast search is checked and timed against.

#include <utility>

namespace gsmidtst::plain {

inline double hipgeo(int N, int K, int m, int c) {
  int kk = K > N / 2 ? K : N - K;
  int cc = K > N / 2 ? c : m - c;
  double p = 1.0;
  for (int i = 1; i <= cc; ++i) p = ((kk - i + 1) * p / (N - i + 1)) * (m - i + 1) / (cc - i + 1);
  for (int j = 1; j <= m - cc; ++j) p = (N - kk - j + 1) * p / (N - cc - j + 1);
  return p;
}

inline double probab(int k, const int* t, const int* n, int A, int N) {
  double p = hipgeo(N, n[0], A, t[0]);
  int nn = N, aa = A;
  for (int i = 1; i <= k - 2; ++i) {
    nn -= n[i - 1];
    aa -= t[i - 1];
    p = p * hipgeo(nn, n[i], aa, t[i]);
  }
  return p;
}

// k in 2..6; le and rows hold k values.
inline double fisherxx(int k, const int* le, const int* rows, long long* tables = nullptr,
                       double tolerance = 1.0e-7) {
  int a[6] = {}, b[6] = {}, n[6] = {};
  int A = 0, B = 0;
  for (int i = 0; i < k; ++i) {
    a[i] = le[i];
    n[i] = rows[i];
    b[i] = n[i] - a[i];
    A += a[i];
    B += b[i];
  }
  const int N = A + B;
  if (B < A) {
    for (int i = 0; i < 6; ++i) std::swap(a[i], b[i]);
    std::swap(A, B);
  }
  for (int i = 0; i < k; ++i) {
    for (int j = i + 1; j < k; ++j) {
      if (n[j] > n[i]) {
        std::swap(n[i], n[j]);
        std::swap(a[i], a[j]);
        std::swap(b[i], b[j]);
      }
    }
  }
  const double p0 = probab(k, a, n, A, N);
  const int rest4 = n[4] + n[5], rest3 = n[3] + rest4, rest2 = n[2] + rest3, rest1 = n[1] + rest2;
  double p = 0.0;
  long long count = 0;
  int t[6];
  for (t[0] = 0; t[0] <= n[0]; ++t[0]) {
    const int s1 = t[0];
    if (s1 > A || A - s1 > rest1) continue;
    for (t[1] = 0; t[1] <= n[1]; ++t[1]) {
      const int s2 = s1 + t[1];
      if (s2 > A || A - s2 > rest2) continue;
      for (t[2] = 0; t[2] <= n[2]; ++t[2]) {
        const int s3 = s2 + t[2];
        if (s3 > A || A - s3 > rest3) continue;
        for (t[3] = 0; t[3] <= n[3]; ++t[3]) {
          const int s4 = s3 + t[3];
          if (s4 > A || A - s4 > rest4) continue;
          for (t[4] = 0; t[4] <= n[4]; ++t[4]) {
            const int s5 = s4 + t[4];
            if (s5 > A || A - s5 > n[5]) continue;
            t[5] = A - s5;
            ++count;
            const double pt = probab(k, t, n, A, N);
            if (pt <= p0 * (1.0 + tolerance)) p = p + pt;
          }
        }
      }
    }
  }
  if (tables) *tables = count;
  return p;
}

}  // namespace gsmidtst::plain
