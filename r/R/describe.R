# SPDX-License-Identifier: GPL-3.0-or-later
describe <- function(...) {
  samples <- sample_list(list(...), as.list(substitute(list(...)))[-1L])
  as.data.frame(.describe(unname(samples)), row.names = names(samples))
}

median_ci <- function(x, conf = c(0.90, 0.95, 0.99)) {
  data.name <- deparse1(substitute(x))
  x <- check_sizes(x, "'x'", min_groups = 5L)
  conf <- check_conf(conf)
  m <- .median_ci(x, conf)
  limits <- data.frame(conf = conf, lower = m$lower, upper = m$upper, coverage = m$coverage)
  new_limits("Exact confidence limits for the median group size", data.name,
             "median group size", m$estimate, m$groups, limits)
}

# Limits of one statistic at several levels; `extra` holds what a method
# adds (replications, seed, bias correction, acceleration).
new_limits <- function(method, data.name, statistic, estimate, groups, limits, extra = list()) {
  structure(c(list(method = method, data.name = data.name, statistic = statistic,
                   estimate = estimate, groups = groups, limits = limits), extra),
            class = "toskarn_limits")
}

print.toskarn_limits <- function(x, digits = getOption("digits"), ...) {
  cat("\n\t", x$method, "\n\n", sep = "")
  cat("data:  ", x$data.name, " (", x$groups, " groups)\n", sep = "")
  cat(x$statistic, " = ", format(x$estimate, digits = digits), "\n", sep = "")
  if (!is.null(x$R))
    cat(x$R, " bootstrap replications, seed ", x$seed, "\n", sep = "")
  cat("\n")
  limits <- x$limits
  if (!is.null(limits$uncertain)) limits$uncertain <- ifelse(limits$uncertain, "!", "")
  print(format(limits, digits = digits), row.names = FALSE)
  if (anyNA(x$limits$lower))
    cat("\nNA: the sample is too small for limits at that level.\n")
  if (!is.null(x$limits$coverage))
    cat("\nReport the exact coverage with the limits, not the level asked for.\n")
  if (any(x$limits$uncertain))
    cat("\n!: too few replications in a tail for these limits; increase R.\n")
  invisible(x)
}

as.data.frame.toskarn_limits <- function(x, ...) x$limits
