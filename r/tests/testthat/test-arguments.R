# SPDX-License-Identifier: GPL-3.0-or-later
# Every bad argument stops with an error that names it, before any
# computation; none moves R's random stream.

test_that("bad arguments give errors naming them", {
  x <- c(1, 2, 2, 3, 5, 8)
  cases <- list(
    list(quote(describe(x, c(1, NA))), "sample 'c\\(1, NA\\)' has missing values"),
    list(quote(describe(a = x, b = "3")), "sample 'b' must be a numeric vector"),
    list(quote(describe(list(x, c(2, 0)))), "sample 'sample 2' must hold positive group sizes"),
    list(quote(describe()), "no samples given"),
    list(quote(median_ci(c(x, 2.5))), "'x' must hold whole numbers; it holds 2.5"),
    list(quote(median_ci(1:4)), "'x' needs at least 5 groups; it has 4"),
    list(quote(median_ci(x, conf = 1)), "'conf' must hold confidence levels strictly between"),
    list(quote(median_ci(x, conf = c(0.9, NA))), "'conf' must hold"),
    list(quote(mean_ci(x, conf = 0)), "'conf' must hold"),
    list(quote(mean_ci(c(x, -1))), "'x' must hold positive group sizes; it holds -1"),
    list(quote(mean_ci(5)), "'x' needs at least 2 groups; it has 1"),
    list(quote(crowding_ci(c(3, 3, 3))), "all groups of 'x' have the same size"),
    list(quote(crowding_ci(x, R = 0)), "'R' must be one whole number of replications"),
    list(quote(crowding_ci(x, R = 10.5)), "'R' must be one whole number"),
    list(quote(mean_ci(x, seed_time = "240000")), "'seed_time' must be a time of day"),
    list(quote(mean_ci(x, seed_time = 130509)), "'seed_time' must be a time of day"),
    list(quote(mean_ci(x, seed_time = "13059")), "'seed_time' must be a time of day"),
    list(quote(mean_test(x, c(1, Inf))), "'y' must hold whole numbers"),
    list(quote(mean_test(x, NA)), "'y' has missing values"),
    list(quote(mean_test(factor(x), x)), "'x' must be a numeric vector"),
    list(quote(crowding_test(x, c(2, 2))), "all groups of 'y' have the same size"),
    list(quote(crowding_test(x, x, R = NA)), "'R' must be one whole number"),
    list(quote(crowding_test(x, x, seed_time = "126000")), "'seed_time' must be a time of day"),
    list(quote(median_test(x)), "needs at least 2 samples; '...' gives 1"),
    list(quote(median_test(as.data.frame(replicate(7, x)))), "at most 6 samples; '...' gives 7"),
    list(quote(median_test(a = x, b = c(1, NA))), "sample 'b' has missing values"),
    list(quote(median_test(list(x, c(2, 0)))), "sample 'sample 2' must hold positive"),
    list(quote(stoceq_test(x, numeric())), "'y' needs at least 1 group; it has 0"),
    list(quote(stoceq_test(c(x, 1.5), x)), "'x' must hold whole numbers"),
    list(quote(stoceq_test(x, x, R = -5)), "'R' must be one whole number"),
    list(quote(stoceq_test(x, x, seed_time = "126000")), "'seed_time' must be a time of day"),
    list(quote(write_sample(c(1, 0.5), tempfile())), "'x' must hold whole numbers"),
    list(quote(write_sample(x, NA_character_)), "'file' must be one file name"),
    list(quote(read_samples(tempfile())), "'folder' must name an existing folder")
  )
  set.seed(1)
  before <- .Random.seed
  for (case in cases)
    expect_error(eval(case[[1]]), case[[2]], label = deparse1(case[[1]]))
  expect_identical(.Random.seed, before)
})
