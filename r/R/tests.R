# SPDX-License-Identifier: GPL-3.0-or-later
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

median_test <- function(...) {
  samples <- sample_list(list(...), as.list(substitute(list(...)))[-1L])
  k <- length(samples)
  if (k < 2L)
    stop("Mood's median test needs at least 2 samples; '...' gives ", k, call. = FALSE)
  if (k > 6L)
    stop("Mood's median test takes at most 6 samples; '...' gives ", k, call. = FALSE)
  r <- .median_test(unname(samples))
  table <- cbind(LE = r$le, GT = r$gt)
  rownames(table) <- names(samples)
  structure(list(parameter = c("combined median" = r$combined_median), p.value = r$p.value,
                 estimate = setNames(r$medians, paste("median of", names(samples))),
                 method = "Mood's median test with Fisher's exact test",
                 data.name = name_series(names(samples)), table = table),
            class = c("toskarn_median_test", "htest"))
}

print.toskarn_median_test <- function(x, ...) {
  NextMethod()
  cat("Groups at or below (LE) and above (GT) the combined median:\n")
  print(x$table)
  # Far below what the exact search resolves, the library gives a bound.
  if (x$p.value <= 1e-14)
    cat("\nThe p-value is an upper bound; the exact value lies below it.\n")
  cat("\n")
  invisible(x)
}

stoceq_test <- function(x, y, R = 2000, seed_time = NULL) {
  data.name <- paste(deparse1(substitute(x)), "and", deparse1(substitute(y)))
  # Ascending, as sample files hold them: the bootstrap draws positions.
  x <- sort(check_sizes(x, "'x'"))
  y <- sort(check_sizes(y, "'y'"))
  R <- check_replications(R)
  seed <- resolve_seed(seed_time)
  r <- .stoceq_test(x, y, R, seed)
  # W as wilcox.test gives it: the pairs in which x is larger, ties as halves.
  pairs <- as.double(length(x)) * length(y)
  tests <- data.frame(test = c("Wilcoxon-Mann-Whitney", "Brunner-Munzel", "bootstrap"),
                      name = c("W", "W", "t"), statistic = c(pairs - r$u, r$statistic),
                      df = c(NA, r$df, NA), p.value = r$p.value,
                      row.names = c("wilcoxon", "brunner_munzel", "bootstrap"))
  structure(list(method = "Two-sample tests of stochastic equality", data.name = data.name,
                 groups = c(length(x), length(y)),
                 estimate = c("P(X>Y) + P(X=Y)/2" = r$greater, "P(X<Y) + P(X=Y)/2" = r$less),
                 tests = tests, bm_undefined = r$bm_undefined, boot_undefined = r$boot_undefined,
                 shift = r$shift, balance = r$balance, unbalanced = r$unbalanced,
                 R = R, seed = seed),
            class = "toskarn_stoceq_test")
}

# Why a test has no p-value, by the reasons stoceq_test() gives.
bm_reasons <- c(one_group = "a sample of one group has no variance",
                all_equal = "all values are equal (no rank variance)",
                separated = "the samples are completely separated",
                zero_variance = "the rank variance is 0")
boot_reasons <- c(one_group = "it needs two groups in each sample",
                  shift_out_of_range = "the values are too large for its shift",
                  undefined_statistic = "its rank statistic is not defined for these samples (0/0)")

print.toskarn_stoceq_test <- function(x, digits = getOption("digits"), ...) {
  cat("\n\t", x$method, "\n\n", sep = "")
  cat("data:  ", x$data.name, " (", x$groups[1L], " and ", x$groups[2L], " groups)\n", sep = "")
  cat(paste(names(x$estimate), "=", format(x$estimate, digits = max(3L, digits - 3L)),
            collapse = ", "), "\n", sep = "")
  cat(x$R, " bootstrap replications, seed ", x$seed, "\n\n", sep = "")
  t <- x$tests
  # Each number formatted alone, as print.htest does: they differ in scale.
  each <- function(v, f) vapply(v, function(a) if (is.na(a)) "" else f(a), "")
  number <- function(a) format(a, digits = max(1L, digits - 2L))
  print(data.frame(test = t$test,
                   statistic = ifelse(is.na(t$statistic), "",
                                      paste(t$name, "=", each(t$statistic, number))),
                   df = each(t$df, number),
                   "p-value" = format.pval(t$p.value, digits = max(1L, digits - 3L)),
                   check.names = FALSE),
        row.names = FALSE, right = FALSE)
  cat("\n")
  if (!is.na(x$bm_undefined))
    cat("No Brunner-Munzel p-value: ", bm_reasons[[x$bm_undefined]], ".\n", sep = "")
  if (!is.na(x$boot_undefined))
    cat("No bootstrap p-value: ", boot_reasons[[x$boot_undefined]], ".\n", sep = "")
  if (x$unbalanced)
    cat("The shift to the null hypothesis left the samples unbalanced (",
        format(x$balance, digits = 3L), "):\nthe bootstrap p-value may be invalid.\n", sep = "")
  cat("Report the Brunner-Munzel or the bootstrap test: the Wilcoxon-Mann-Whitney\n",
      "test assumes distributions of one shape and is given for information only.\n\n", sep = "")
  invisible(x)
}

as.data.frame.toskarn_stoceq_test <- function(x, ...) x$tests
