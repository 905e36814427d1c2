// SPDX-License-Identifier: GPL-3.0-or-later
// The R interface: each function hands R's vectors to one analysis of the
// library as views, without copies, and turns its result into a plain list
// that the R functions shape. The R side has checked every argument, so a
// failure here is one the library alone can see; it becomes an R error with
// the library's message.

#include <Rcpp.h>

#include <span>
#include <string>
#include <vector>

#include "bca_limits.h"
#include "describe.h"
#include "mean_test.h"
#include "median_limits.h"
#include "median_test.h"
#include "stoceq_test.h"

namespace ta = tsk::analyses;

namespace {

std::span<const int> sizesOf(const Rcpp::IntegerVector& x) {
  return std::span<const int>(x.begin(), static_cast<std::size_t>(x.size()));
}

// The library's message is a report line: leading blanks and the "ERROR:"
// tag belong to the report, not to an R error.
[[noreturn]] void fail(const ta::Failure& failure) {
  std::string text = failure.message;
  text.erase(0, text.find_first_not_of(' '));
  if (text.rfind("ERROR:", 0) == 0) text.erase(0, text.find_first_not_of(' ', 6));
  Rcpp::stop(text);
}

std::span<const double> levelsOf(const Rcpp::NumericVector& conf) {
  return std::span<const double>(conf.begin(), static_cast<std::size_t>(conf.size()));
}

// A copy: the result is a temporary of the caller's expression.
template <class T>
T valueOf(const ta::Result<T>& result) {
  if (!result) fail(result.failure());
  return result.value();
}

}  // namespace

// [[Rcpp::export(name = ".describe")]]
Rcpp::List describeSamples(Rcpp::List samples) {
  const R_xlen_t k = samples.size();
  Rcpp::IntegerVector groups(k), animals(k);
  Rcpp::NumericVector meanSize(k), medianSize(k), meanCrowding(k), medianCrowding(k);
  for (R_xlen_t i = 0; i < k; ++i) {
    const Rcpp::IntegerVector x = samples[i];
    const ta::Description d = valueOf(ta::describe(sizesOf(x)));
    groups[i] = d.groups;
    animals[i] = d.animals;
    meanSize[i] = d.meanSize;
    medianSize[i] = d.medianSize;
    meanCrowding[i] = d.meanCrowding;
    medianCrowding[i] = d.medianCrowding;
  }
  return Rcpp::List::create(Rcpp::Named("groups") = groups, Rcpp::Named("animals") = animals,
                            Rcpp::Named("mean_size") = meanSize,
                            Rcpp::Named("median_size") = medianSize,
                            Rcpp::Named("mean_crowding") = meanCrowding,
                            Rcpp::Named("median_crowding") = medianCrowding);
}

// [[Rcpp::export(name = ".median_ci")]]
Rcpp::List medianLimits(Rcpp::IntegerVector x, Rcpp::NumericVector conf) {
  const ta::MedianLimits m = valueOf(ta::medianLimits(sizesOf(x), levelsOf(conf)));
  const std::size_t k = m.levels.size();
  Rcpp::NumericVector lower(k, NA_REAL), upper(k, NA_REAL), coverage(k, NA_REAL);
  for (std::size_t i = 0; i < k; ++i) {
    if (!m.levels[i].found) continue;
    lower[i] = m.levels[i].interval.lo;
    upper[i] = m.levels[i].interval.hi;
    coverage[i] = m.levels[i].interval.coverage;
  }
  return Rcpp::List::create(Rcpp::Named("estimate") = m.median ? *m.median : NA_REAL,
                            Rcpp::Named("groups") = m.groups, Rcpp::Named("lower") = lower,
                            Rcpp::Named("upper") = upper, Rcpp::Named("coverage") = coverage);
}

namespace {

Rcpp::List bcaList(const ta::BcaLimits& b) {
  if (b.noLimits) fail(*b.noLimits);
  const std::size_t k = b.levels.size();
  Rcpp::NumericVector lower(k), upper(k);
  Rcpp::IntegerVector lowerIndex(k), upperIndex(k);
  Rcpp::LogicalVector uncertain(k);
  for (std::size_t i = 0; i < k; ++i) {
    lower[i] = b.levels[i].lower;
    upper[i] = b.levels[i].upper;
    lowerIndex[i] = b.levels[i].kl;
    upperIndex[i] = b.levels[i].ku;
    uncertain[i] = b.levels[i].uncertain;
  }
  return Rcpp::List::create(
      Rcpp::Named("estimate") = b.estimate, Rcpp::Named("z0") = b.z0,
      Rcpp::Named("acceleration") = b.acceleration, Rcpp::Named("lower") = lower,
      Rcpp::Named("upper") = upper, Rcpp::Named("lower_index") = lowerIndex,
      Rcpp::Named("upper_index") = upperIndex, Rcpp::Named("uncertain") = uncertain);
}

}  // namespace

// [[Rcpp::export(name = ".bca_limits")]]
Rcpp::List bcaLimits(Rcpp::IntegerVector x, Rcpp::NumericVector conf, int R, int seed,
                     bool crowding) {
  const ta::Statistic kind = crowding ? ta::Statistic::Crowding : ta::Statistic::Mean;
  return bcaList(valueOf(ta::bcaLimits(sizesOf(x), kind, R, levelsOf(conf), seed)));
}

// [[Rcpp::export(name = ".crowding_test")]]
Rcpp::List crowdingTest(Rcpp::IntegerVector x, Rcpp::IntegerVector y, int R, int seed) {
  // Two 97.5 % intervals apart mark a difference at the 5 % level.
  const ta::CrowdingComparison c =
      valueOf(ta::crowdingComparison(sizesOf(x), sizesOf(y), R, 0.975, seed));
  for (const ta::BcaLimits& b : c.samples)
    if (b.noLimits) fail(*b.noLimits);
  const auto interval = [](const ta::BcaLimits& b) {
    return Rcpp::NumericVector::create(b.levels[0].lower, b.levels[0].upper);
  };
  return Rcpp::List::create(
      Rcpp::Named("estimate") = Rcpp::NumericVector::create(c.samples[0].estimate,
                                                             c.samples[1].estimate),
      Rcpp::Named("x") = interval(c.samples[0]), Rcpp::Named("y") = interval(c.samples[1]),
      Rcpp::Named("uncertain") = Rcpp::LogicalVector::create(c.samples[0].levels[0].uncertain,
                                                             c.samples[1].levels[0].uncertain),
      Rcpp::Named("significant") = c.apart.value_or(false));
}

// [[Rcpp::export(name = ".mean_test")]]
Rcpp::List meanTest(Rcpp::IntegerVector x, Rcpp::IntegerVector y, int R, int seed) {
  const ta::MeanTest r = valueOf(ta::meanTest(sizesOf(x), sizesOf(y), R, seed));
  const ta::Moments& m = r.moments;
  return Rcpp::List::create(Rcpp::Named("t") = r.t, Rcpp::Named("p.value") = r.p,
                            Rcpp::Named("mean") = Rcpp::NumericVector::create(m.m1, m.m2),
                            Rcpp::Named("sd") = Rcpp::NumericVector::create(m.s1, m.s2));
}

// [[Rcpp::export(name = ".median_test")]]
Rcpp::List medianTest(Rcpp::List samples) {
  std::vector<Rcpp::IntegerVector> kept;  // owns what the views see
  for (R_xlen_t i = 0; i < samples.size(); ++i) kept.emplace_back(samples[i]);
  std::vector<ta::Sizes> sizes;
  for (const Rcpp::IntegerVector& x : kept) sizes.emplace_back(sizesOf(x));
  const ta::MedianTest r = valueOf(ta::medianTest(sizes));
  if (r.noTest) fail(*r.noTest);
  const std::size_t k = r.samples.size();
  Rcpp::NumericVector medians(k);
  Rcpp::IntegerVector le(k), gt(k);
  for (std::size_t i = 0; i < k; ++i) {
    medians[i] = r.samples[i].median;
    le[i] = r.samples[i].le;
    gt[i] = r.samples[i].gt;
  }
  return Rcpp::List::create(Rcpp::Named("medians") = medians, Rcpp::Named("le") = le,
                            Rcpp::Named("gt") = gt, Rcpp::Named("combined_median") = r.median,
                            Rcpp::Named("p.value") = r.p ? *r.p : NA_REAL);
}

namespace {

// Why the Brunner-Munzel and the bootstrap test have no p-value: NA where
// they have one.
Rcpp::String bmReason(ta::BmUndefined why) {
  switch (why) {
    case ta::BmUndefined::Defined:
      break;
    case ta::BmUndefined::OneGroup:
      return "one_group";
    case ta::BmUndefined::AllEqual:
      return "all_equal";
    case ta::BmUndefined::Separated:
      return "separated";
    case ta::BmUndefined::ZeroVariance:
      return "zero_variance";
  }
  return NA_STRING;
}

Rcpp::String bootReason(const ta::StoceqTest& r) {
  if (r.boot.defined) return NA_STRING;
  if (r.samples[0].groups < 2 || r.samples[1].groups < 2) return "one_group";
  if (!r.shiftUsable) return "shift_out_of_range";
  return "undefined_statistic";
}

}  // namespace

// [[Rcpp::export(name = ".stoceq_test")]]
Rcpp::List stoceqTest(Rcpp::IntegerVector x, Rcpp::IntegerVector y, int R, int seed) {
  const ta::StoceqTest r = valueOf(ta::stoceqTest(sizesOf(x), sizesOf(y), R, seed));
  // The library marks a test without a p-value by -1, as the report prints it.
  const auto p = [](float value) { return value < 0 ? NA_REAL : static_cast<double>(value); };
  const bool bm = r.bmWhy == ta::BmUndefined::Defined;
  return Rcpp::List::create(
      Rcpp::Named("greater") = r.greater, Rcpp::Named("less") = r.less,
      Rcpp::Named("u") = r.wmw.u,
      Rcpp::Named("statistic") =
          Rcpp::NumericVector::create(bm ? r.bm.w : NA_REAL, r.boot.defined ? r.boot.t0 : NA_REAL),
      Rcpp::Named("df") = bm ? r.bm.f : NA_REAL,
      Rcpp::Named("p.value") = Rcpp::NumericVector::create(r.wmw.p, p(r.bmP), p(r.bootP)),
      Rcpp::Named("bm_undefined") = bmReason(r.bmWhy),
      Rcpp::Named("boot_undefined") = bootReason(r),
      Rcpp::Named("shift") = r.shiftUsable ? r.shift : NA_REAL,
      Rcpp::Named("balance") = r.shiftUsable ? r.balance : NA_REAL,
      Rcpp::Named("unbalanced") = r.shiftUsable && r.unbalanced);
}
