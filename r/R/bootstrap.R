# SPDX-License-Identifier: GPL-3.0-or-later
mean_ci <- function(x, conf = c(0.90, 0.95, 0.99), R = 2000, seed_time = NULL) {
  bca_limits(x, conf, R, seed_time, deparse1(substitute(x)), crowding = FALSE)
}

crowding_ci <- function(x, conf = c(0.90, 0.95, 0.99), R = 2000, seed_time = NULL) {
  bca_limits(x, conf, R, seed_time, deparse1(substitute(x)), crowding = TRUE)
}

bca_limits <- function(x, conf, R, seed_time, data.name, crowding) {
  # Ascending, as a sample file holds the sizes: the draws pick positions, so
  # the order decides which sizes a seed draws.
  x <- sort(check_spread(check_sizes(x, "'x'", min_groups = 2L), "'x'"))
  conf <- check_conf(conf)
  R <- check_replications(R)
  # Drawn last, so that a call stopped by a bad argument leaves R's random
  # stream where it was.
  seed <- resolve_seed(seed_time)
  b <- .bca_limits(x, conf, R, seed, crowding)
  limits <- data.frame(conf = conf, lower = b$lower, upper = b$upper,
                       lower_index = b$lower_index, upper_index = b$upper_index,
                       uncertain = b$uncertain)
  if (any(limits$uncertain))
    warning("too few replications in a tail for the ",
            paste0(100 * conf[limits$uncertain], "%", collapse = ", "),
            " limits; increase 'R'", call. = FALSE)
  statistic <- if (crowding) "mean crowding" else "mean group size"
  new_limits(paste("Bootstrap (BCa) confidence limits for the", statistic), data.name,
             statistic, b$estimate, length(x), limits,
             list(R = R, seed = seed, z0 = b$z0, acceleration = b$acceleration))
}

mean_test <- function(x, y, R = 2000, seed_time = NULL) {
  data.name <- paste(deparse1(substitute(x)), "and", deparse1(substitute(y)))
  x <- sort(check_sizes(x, "'x'", min_groups = 2L))
  y <- sort(check_sizes(y, "'y'", min_groups = 2L))
  R <- check_replications(R)
  seed <- resolve_seed(seed_time)
  r <- .mean_test(x, y, R, seed)
  structure(list(statistic = c(t = r$t), parameter = c(R = R), p.value = r$p.value,
                 estimate = c("mean of x" = r$mean[1L], "mean of y" = r$mean[2L]),
                 null.value = c("difference in means" = 0), alternative = "two.sided",
                 method = "Bootstrap two-sample t-test (Welch's t)", data.name = data.name,
                 sd = r$sd, groups = c(length(x), length(y)), seed = seed),
            class = c("toskarn_mean_test", "htest"))
}

print.toskarn_mean_test <- function(x, ...) {
  NextMethod()
  # print.htest shows a p-value of 0 as "< 2.2e-16"; here it only means
  # that no replication was as extreme.
  if (x$p.value == 0)
    cat("(p-value 0: no replication as extreme as the data; p < 1/R = ",
        format(1 / x$parameter[["R"]]), ")\n\n", sep = "")
  invisible(x)
}
