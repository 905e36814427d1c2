// SPDX-License-Identifier: GPL-3.0-or-later
#include "tdist.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

// Independent reference: the two-sided tail 2 (1 - F(t)) by Simpson's rule on
// the density of Student's t after the substitution x = tan(a), which makes
// the integrand smooth and the range finite.
double tailByIntegration(double t, double n) {
  using std::numbers::pi;
  const double logc = std::lgamma((n + 1) / 2.0) - std::lgamma(n / 2.0) - 0.5 * std::log(n * pi);
  auto f = [&](double a) {
    const double x = std::tan(a);
    const double c = std::cos(a);
    return std::exp(logc - (n + 1) / 2.0 * std::log1p(x * x / n)) / (c * c);
  };
  const double lo = std::atan(t), hi = pi / 2;
  const int steps = 20000;
  const double h = (hi - lo) / steps;
  // At a = pi/2 the integrand tends to 1/pi for n = 1 and to 0 for n > 1.
  double s = f(lo) + (n == 1 ? 1 / pi : 0.0);
  for (int i = 1; i < steps; ++i) s += (i % 2 ? 4 : 2) * f(lo + i * h);
  return 2 * s * h / 3;
}

TEST(Tdist, QuotedValues) {
  struct Case {
    double t;
    int n;
    double expected;  // worked examples of the routine's description
  };
  EXPECT_NEAR(tsk::tdist(2.0, 1), 0.852416, 1e-6);  // 0.5 + atan(2)/pi
  const Case tails[] = {{2, 1, 0.295167}, {2, 2, 0.183503}, {2, 10, 0.073388}};
  for (const Case& c : tails) {
    EXPECT_NEAR(tsk::tprob(static_cast<float>(c.t), c.n, 2), c.expected, 1e-6) << c.n;
    EXPECT_NEAR(tsk::tprob(static_cast<float>(c.t), c.n, 1), c.expected / 2, 1e-6) << c.n;
  }
  // No degrees of freedom: F = 0, the two-sided tail 2.
  EXPECT_EQ(tsk::tdist(1.5, 0), 0.0);
  EXPECT_EQ(tsk::tprob(1.5f, 0, 2), 2.0f);
  EXPECT_EQ(tsk::tdist(1.5, -3), 0.0);
  EXPECT_EQ(tsk::tprob(0.0f, 7, 2), 1.0f);
}

TEST(Tdist, AgreesWithIntegratedDensity) {
  // Odd and even degrees of freedom take different branches; large n many
  // terms of the series. Relative tolerance 2e-6 (single precision) plus
  // 5e-8 absolute: the single-precision pi of the odd case shifts F by
  // about 3e-8.
  for (int n : {1, 2, 3, 4, 5, 6, 7, 10, 15, 30, 99, 250}) {
    for (double t : {0.1, 0.5, 1.0, 1.1161, 2.0, 3.5, 6.0}) {
      const double expected = tailByIntegration(t, n);
      const float got = tsk::tprob(static_cast<float>(t), n, 2);
      EXPECT_NEAR(got, expected, 2e-6 * expected + 5e-8) << "t=" << t << " n=" << n;
    }
  }
}

// The Brunner-Munzel degrees of freedom are ratios, seldom whole numbers;
// each f below is one that the test gives for a small sample pair.
TEST(Tdist, RealDegreesOfFreedomAgreeWithIntegratedDensity) {
  for (double f : {1.5, 2.6666667, 4.1538462, 4.757755, 6.4874579, 7.8624027, 37.3, 1234.5}) {
    for (double t : {0.2, 0.5103104, 1.4142136, 1.8854006, 3.0, 4.7765876, 8.0}) {
      const double expected = tailByIntegration(t, f);
      const float got = tsk::tprob(static_cast<float>(t), f, 2);
      EXPECT_NEAR(got, expected, 2e-6 * expected + 1e-9) << "t=" << t << " f=" << f;
      EXPECT_NEAR(tsk::tprob(static_cast<float>(t), f, 1), expected / 2, 1e-6 * expected + 1e-9);
      EXPECT_NEAR(tsk::tdist(t, f), 1 - expected / 2, 1e-6 * expected + 1e-9);
    }
  }
  // Between two whole numbers the tail lies between their tails.
  const float lower = tsk::tprob(1.4142136f, 2.0, 2), upper = tsk::tprob(1.4142136f, 3.0, 2);
  const float between = tsk::tprob(1.4142136f, 2.6666667, 2);
  EXPECT_LT(between, lower);
  EXPECT_GT(between, upper);
  // Far in the tail the digits survive: 2 (1 - F) by subtraction would
  // print 0 here. Reference: the integral above.
  EXPECT_NEAR(tsk::tprob(40.0f, 30.5, 2), tailByIntegration(40.0, 30.5),
              1e-5 * tailByIntegration(40.0, 30.5));
}

TEST(Tdist, NegativeArgumentsAreSymmetric) {
  for (int n : {1, 2, 5, 12}) {
    for (double t : {0.3, 1.7, 4.0}) {
      EXPECT_NEAR(tsk::tdist(-t, n), 1 - tsk::tdist(t, n), 1e-12) << n;
    }
  }
}

}  // namespace
