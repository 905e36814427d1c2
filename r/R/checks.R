# SPDX-License-Identifier: GPL-3.0-or-later
# Argument checks. Every failure stops with a message that names the
# argument, before anything reaches the compiled library.

# Group sizes as an integer vector: whole, positive, no NA, at least
# `min_groups` of them. `what` names the argument in messages ("'x'",
# "sample 'deer'").
check_sizes <- function(x, what, min_groups = 1L) {
  if (is.atomic(x) && anyNA(x))
    stop(what, " has missing values (NA)", call. = FALSE)
  if (!is.numeric(x))
    stop(what, " must be a numeric vector of group sizes", call. = FALSE)
  x <- as.vector(x)
  bad <- x[!is.finite(x) | x != round(x)]
  if (length(bad))
    stop(what, " must hold whole numbers; it holds ", format(bad[1L]), call. = FALSE)
  if (any(x <= 0))
    stop(what, " must hold positive group sizes; it holds ", format(x[x <= 0][1L]),
         call. = FALSE)
  if (any(x > .Machine$integer.max))
    stop(what, " holds a group size above ", .Machine$integer.max, call. = FALSE)
  if (length(x) < min_groups)
    stop(what, " needs at least ", min_groups, if (min_groups == 1L) " group" else " groups",
         "; it has ", length(x), call. = FALSE)
  as.integer(x)
}

# Bootstrap limits need groups of more than one size: with one size every
# replication gives the same value.
check_spread <- function(x, what) {
  if (all(x == x[1L]))
    stop("all groups of ", what, " have the same size, so there are no bootstrap limits",
         call. = FALSE)
  x
}

check_conf <- function(conf, what = "'conf'") {
  if (!is.numeric(conf) || !length(conf) || anyNA(conf) || any(conf <= 0 | conf >= 1))
    stop(what, " must hold confidence levels strictly between 0 and 1", call. = FALSE)
  as.double(conf)
}

check_replications <- function(R) {
  if (!is.numeric(R) || length(R) != 1L || is.na(R) || R != round(R) || R < 1 ||
      R > .Machine$integer.max)
    stop("'R' must be one whole number of replications, 1 or more", call. = FALSE)
  as.integer(R)
}

# The generator's seed. By default it comes from R's random stream, so that
# set.seed() repeats a script; "hhmmss" seeds as the desktop program does
# when it runs at that second, and gives the numbers of its report.
resolve_seed <- function(seed_time) {
  if (is.null(seed_time))
    return(sample.int(.Machine$integer.max, 1L))
  ok <- is.character(seed_time) && length(seed_time) == 1L && !is.na(seed_time) &&
    grepl("^[0-9]{6}$", seed_time)
  if (ok) {
    parts <- as.integer(substring(seed_time, c(1L, 3L, 5L), c(2L, 4L, 6L)))
    ok <- parts[1L] <= 23L && parts[2L] <= 59L && parts[3L] <= 59L
  }
  if (!ok)
    stop("'seed_time' must be a time of day written \"hhmmss\", \"000000\" to \"235959\"",
         call. = FALSE)
  as.integer(seed_time)
}
