# SPDX-License-Identifier: GPL-3.0-or-later
# Where R has a peer of an analysis, the two agree: wilcox.test (normal
# approximation, continuity correction), fisher.test, and boot's BCa limits
# within Monte Carlo error.

samples <- read_samples(system.file("extdata", package = "toskarn"))

test_that("the Wilcoxon-Mann-Whitney test is wilcox.test's", {
  pairs <- list(list(samples$deer, samples$terns), list(samples$gulls, samples$dolphins),
                list(c(1, 1, 2, 2, 3, 3, 4, 5, 6, 8), c(1, 2, 3)),
                list(c(1, 1, 1, 2), c(1, 2, 2, 2)),
                # U at its mean: the correction stops at zero and p is 1.
                list(1:4, 1:4))
  set.seed(3)
  for (pair in pairs) {
    ours <- stoceq_test(pair[[1]], pair[[2]], R = 20)$tests["wilcoxon", ]
    theirs <- wilcox.test(pair[[1]], pair[[2]], exact = FALSE, correct = TRUE)
    expect_identical(ours$statistic, unname(theirs$statistic), label = deparse1(pair))
    # Single precision and the normal integral's approximation: absolute.
    expect_lt(abs(ours$p.value - theirs$p.value), 1e-6, label = deparse1(pair))
  }
})

test_that("median_test counts the table and gives fisher.test's p-value", {
  sets <- list(samples[c("deer", "terns")],
               list(ten = c(1, 1, 2, 2, 3, 3, 4, 5, 6, 8), tiny = c(1, 2, 3)),
               samples[c("dolphins", "gulls", "terns")],
               list(a = 1:9, b = 5:20, c = c(1, 1, 1, 2, 30), d = 2:12, e = 3:7, f = 1:2))
  for (s in sets) {
    r <- median_test(s)
    pooled <- median(unlist(s))
    le <- vapply(s, function(x) sum(x <= pooled), 1L)
    expect_identical(r$table[, "LE"], le)
    expect_identical(r$table[, "GT"], lengths(s) - le)
    expect_equal(r$p.value, fisher.test(r$table)$p.value, tolerance = 1e-9,
                 label = paste(names(s), collapse = " "))
  }
})

test_that("BCa limits agree with boot.ci within Monte Carlo error", {
  skip_if_not_installed("boot")
  B <- 20000
  cases <- list(list(mean_ci, function(x, i) mean(x[i]), samples$deer),
                list(mean_ci, function(x, i) mean(x[i]), samples$dolphins),
                list(crowding_ci, function(x, i) sum(x[i]^2) / sum(x[i]), samples$terns))
  set.seed(17)
  for (case in cases) {
    ours <- case[[1]](case[[3]], conf = c(0.90, 0.95), R = B)$limits
    theirs <- boot::boot.ci(boot::boot(case[[3]], case[[2]], R = B), conf = c(0.90, 0.95),
                            type = "bca")$bca[, 4:5]
    # An endpoint of B = 20000 replications varies by about 0.5 % of the
    # interval's width; allow eight times that for two independent runs.
    width <- ours$upper - ours$lower
    expect_lt(max(abs(ours$lower - theirs[, 1]) / width), 0.04)
    expect_lt(max(abs(ours$upper - theirs[, 2]) / width), 0.04)
  }
})
