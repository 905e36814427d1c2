// SPDX-License-Identifier: GPL-3.0-or-later
#include "tdist.h"

#include <algorithm>
#include <boost/math/distributions/students_t.hpp>
#include <cmath>

namespace tsk {

namespace {

namespace bmp = boost::math::policies;
// Errors become quiet results instead of exceptions: the callers have ruled
// out f <= 0, and no input of theirs may end the engine.
using Policy =
    bmp::policy<bmp::domain_error<bmp::ignore_error>, bmp::overflow_error<bmp::ignore_error>,
                bmp::evaluation_error<bmp::ignore_error>>;

// Past this the distribution is normal to far below single precision, and
// the degrees of freedom stay finite for the library.
constexpr double kMaxDf = 1.0e12;

double upperTail(double t, double f) {
  if (std::isnan(t)) return t;
  if (std::isinf(t)) return t > 0 ? 0.0 : 1.0;
  const boost::math::students_t_distribution<double, Policy> dist(std::min(f, kMaxDf));
  return boost::math::cdf(boost::math::complement(dist, t));
}

}  // namespace

double tdist(double t, double f) {
  if (!(f > 0.0)) return 0.0;
  return 1.0 - upperTail(t, f);
}

float tprob(float t, double f, int k) {
  const double tail = f > 0.0 ? upperTail(static_cast<double>(t), f) : 1.0;
  if (k == 1) return static_cast<float>(tail);
  return static_cast<float>(tail + tail);
}

}  // namespace tsk
