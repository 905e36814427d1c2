# Where R has a peer of an analysis, the two agree: boot's BCa limits within
# Monte Carlo error.

samples <- read_samples(system.file("extdata", package = "toskarn"))

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
