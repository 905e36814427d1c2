crowding_test <- function(x, y, R = 2000, seed_time = NULL) {
  data.name <- paste(deparse1(substitute(x)), "and", deparse1(substitute(y)))
  x <- sort(check_spread(check_sizes(x, "'x'", min_groups = 2L), "'x'"))
  y <- sort(check_spread(check_sizes(y, "'y'", min_groups = 2L), "'y'"))
  R <- check_replications(R)
  seed <- resolve_seed(seed_time)
  r <- .crowding_test(x, y, R, seed)
  if (any(r$uncertain))
    warning("too few replications in a tail for the 97.5% limits of ",
            paste(c("'x'", "'y'")[r$uncertain], collapse = " and "), "; increase 'R'",
            call. = FALSE)
  # Two 97.5 % intervals that do not overlap mark a difference at the 5 %
  # level; there is no p-value, so the decision is the test's result.
  limits <- rbind(x = r$x, y = r$y)
  colnames(limits) <- c("lower", "upper")
  structure(list(parameter = c(R = R),
                 estimate = c("mean crowding of x" = r$estimate[1L],
                              "mean crowding of y" = r$estimate[2L]),
                 null.value = c("difference in mean crowding" = 0), alternative = "two.sided",
                 method = "Two-sample comparison of mean crowding by BCa 97.5% intervals",
                 data.name = data.name, limits = limits, significant = r$significant,
                 seed = seed),
            class = c("toskarn_crowding_test", "htest"))
}

print.toskarn_crowding_test <- function(x, digits = getOption("digits"), ...) {
  NextMethod()
  cat("97.5 percent confidence intervals (BCa):\n")
  print(signif(x$limits, digits))
  cat(if (x$significant) "The intervals do not overlap: the difference is significant (p < 0.05).\n"
      else "The intervals overlap: the difference is not significant (p > 0.05).\n")
  invisible(x)
}
