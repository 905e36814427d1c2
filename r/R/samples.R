# SPDX-License-Identifier: GPL-3.0-or-later
# The samples handed to describe(): numeric vectors, or one
# list or data frame whose elements or columns are the samples. Names come
# from the arguments (or the list's names), else from the expressions, as
# data.frame() names its columns; a list's unnamed elements are numbered.
sample_list <- function(args, exprs, min_groups = 1L) {
  if (length(args) == 1L && is.list(args[[1L]])) {
    samples <- as.list(args[[1L]])
    default <- paste("sample", seq_along(samples))
  } else {
    samples <- args
    default <- vapply(exprs, deparse1, "", collapse = " ")
  }
  if (!length(samples))
    stop("no samples given", call. = FALSE)
  given <- names(samples)
  nm <- if (is.null(given)) default else ifelse(nzchar(given), given, default)
  nm <- make.unique(nm, sep = ".")
  samples <- Map(function(x, name) check_sizes(x, sprintf("sample '%s'", name), min_groups),
                 samples, nm)
  names(samples) <- nm
  samples
}

# "a", "a and b", "a, b and c": the data line of a printed test.
name_series <- function(names) {
  if (length(names) < 2L) return(names)
  paste(paste(names[-length(names)], collapse = ", "), "and", names[length(names)])
}
