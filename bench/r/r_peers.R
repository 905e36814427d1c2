# SPDX-License-Identifier: GPL-3.0-or-later
# The R package against R's own tools on the same work:
#   mean_ci (n = 5000, R = 20000) against boot::boot followed by
#   boot::boot.ci(type = "bca");
#   median_test against fisher.test on six samples of 500 groups.
# Run after `make r-install`:  Rscript bench/r/r_peers.R
# Times are the median of `runs` runs: elapsed (wall) and CPU seconds (the
# package shares its replications out over up to four cores).

library(toskarn)
runs <- 3L
samples <- read_samples(system.file("extdata", package = "toskarn"))

timed <- function(f, n = runs) {
  times <- vapply(seq_len(n), function(i) {
    gc()
    t <- system.time(f())
    c(elapsed = t[["elapsed"]], cpu = t[["user.self"]] + t[["sys.self"]])
  }, c(elapsed = 0, cpu = 0))
  apply(times, 1L, stats::median)
}

show <- function(what, t) cat(sprintf("%-44s %8.3f s elapsed %8.3f s CPU\n", what,
                                      t[["elapsed"]], t[["cpu"]]))

set.seed(2026)
x <- sample(unlist(samples, use.names = FALSE), 5000L, replace = TRUE)
cat("BCa limits of the mean group size, n = 5000, R = 20000, levels 0.90 0.95 0.99\n")
show("toskarn::mean_ci", timed(function() mean_ci(x, R = 20000)))
show("boot::boot + boot::boot.ci(type = \"bca\")",
     timed(function() boot::boot.ci(boot::boot(x, function(x, i) mean(x[i]), R = 20000),
                                    conf = c(0.90, 0.95, 0.99), type = "bca")))

# Six samples of 500, drawn from the four example samples and two shifted
# copies, so that the medians differ as in a real comparison.
sources <- c(samples, list(deer_plus = samples$deer + 2L, terns_plus = samples$terns + 1L))
six <- lapply(sources, function(s) sample(s, 500L, replace = TRUE))
r <- median_test(six)
cat("\nMood's median test, six samples of 500 groups\n")
print(r$table)
show("toskarn::median_test", timed(function() median_test(six)))
# fisher.test's network algorithm needs far more than its default workspace
# for such a table (2e8 suffices), and minutes: it runs once.
p <- NA
show("stats::fisher.test on its table (one run)",
     timed(function() p <<- stats::fisher.test(r$table, workspace = 2e8)$p.value, n = 1L))
cat(sprintf("p-values: median_test %.6g, fisher.test %.6g\n", r$p.value, p))
