#include "tdist.h"

#include <cmath>

namespace tsk {

namespace {
// Pi as a single-precision constant widened, as the series was first coded.
constexpr double kPi = static_cast<double>(3.14159265358979f);
}  // namespace

double tdist(double t, int n) {
  if (n < 1) return 0.0;
  const double theta = std::atan2(t, std::sqrt(static_cast<double>(n)));
  if (n == 1) return theta / kPi + 0.5;
  const double c = std::cos(theta);
  const double s = std::sin(theta);
  double sum = 1.0;
  for (int a = n - 2; a >= 2; a -= 2) sum = sum * ((a - 1.0) / a) * c * c + 1.0;
  if (n % 2 == 0) return (s * sum + 1.0) * 0.5;
  return (s * c * sum + theta) / kPi + 0.5;
}

float tprob(float t, int n, int k) {
  const double f = tdist(static_cast<double>(t), n);
  if (k == 1) return static_cast<float>(1.0 - f);
  return static_cast<float>((1.0 - f) + (1.0 - f));
}

}  // namespace tsk
