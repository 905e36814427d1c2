# SPDX-License-Identifier: GPL-3.0-or-later
# With seed_time = "hhmmss" each analysis gives the numbers that the desktop
# engine's report prints when it runs at that second. Expected values are
# copied from the engines' reports: tskrun with TSK_SEED_TIME set, the
# parameter files at 2000 replications, on the delivered samples and on
# the small ones below. They are compared as the report prints them.

samples <- read_samples(system.file("extdata", package = "toskarn"))
samples$ten <- c(1, 1, 2, 2, 3, 3, 4, 5, 6, 8)
samples$tiny <- c(1, 2, 3)
samples$apart <- c(4, 9, 9)
samples$one <- 5

printed <- function(x, digits) sprintf(paste0("%.", digits, "f"), x)
numbers <- function(text) strsplit(text, ",")[[1L]]
report_table <- function(text) read.table(text = text, header = TRUE, colClasses = "character")

test_that("describe gives the descriptive statistics engine's lines", {
  d <- describe(samples[c("deer", "dolphins", "gulls", "terns")])
  expected <- report_table("
    groups animals mean_size median_size mean_crowding median_crowding
    262    1185    4.52      4.00        7.54          6.00
    143    1004    7.02      6.00        11.32         10.00
    318    2830    8.90      6.00        17.91         15.00
    204    1234    6.05      4.00        13.04         10.00")
  expect_identical(d$groups, as.integer(expected$groups))
  expect_identical(d$animals, as.integer(expected$animals))
  for (column in names(expected)[-(1:2)])
    expect_identical(printed(d[[column]], 2), expected[[column]], label = column)
})

test_that("median_ci gives the exact median limits engine's table", {
  # Levels in the report's order 99, 95, 90 %; coverage in percent.
  expected <- report_table("
    sample   median lower upper coverage
    ten      3.0    1,1,1 8,6,5 99.8,98.8,94.4
    dolphins 6.0    5,5,5 7,7,6 99.6,99.6,93.0
    terns    4.0    3,3,3 5,5,4 99.9,99.9,92.9
    deer     4.0    3,3,3 4,4,4 100.0,100.0,100.0")
  for (i in seq_len(nrow(expected))) {
    e <- expected[i, ]
    m <- median_ci(samples[[e$sample]], conf = c(0.99, 0.95, 0.90))
    expect_identical(printed(m$estimate, 1), e$median, label = e$sample)
    expect_identical(m$limits$lower, as.double(numbers(e$lower)), label = e$sample)
    expect_identical(m$limits$upper, as.double(numbers(e$upper)), label = e$sample)
    expect_identical(printed(100 * m$limits$coverage, 1), numbers(e$coverage), label = e$sample)
  }
})

test_that("mean_ci and crowding_ci give the BCa engines' limits and indices", {
  # 000000 is midnight, which the engines seed as 240000.
  expected <- report_table("
    crowding sample   second estimate lower           upper             kl         ku
    FALSE    deer     130509 4.52     4.18,4.11,3.98  4.93,5.00,5.16    122,65,16  1919,1963,1994
    FALSE    dolphins 130509 7.02     6.32,6.20,6.00  7.84,8.03,8.37    117,63,16  1916,1962,1994
    FALSE    ten      000000 3.50     2.40,2.20,1.90  4.60,4.90,5.40    93,51,13   1892,1951,1993
    TRUE     deer     000000 7.54     6.79,6.69,6.48  9.04,9.54,10.25   222,146,61 1975,1994,2000
    TRUE     dolphins 130509 11.32    9.85,9.60,9.18  13.50,13.94,15.87 170,106,39 1955,1986,2000
    TRUE     ten      130509 4.83     3.62,3.38,3.07  6.47,6.93,7.12    255,173,77 1983,1997,2000")
  for (i in seq_len(nrow(expected))) {
    e <- expected[i, ]
    f <- if (as.logical(e$crowding)) crowding_ci else mean_ci
    label <- paste(e$sample, e$second, e$crowding)
    b <- suppressWarnings(f(samples[[e$sample]], R = 2000, seed_time = e$second))
    expect_identical(printed(b$estimate, 2), e$estimate, label = label)
    expect_identical(printed(b$limits$lower, 2), numbers(e$lower), label = label)
    expect_identical(printed(b$limits$upper, 2), numbers(e$upper), label = label)
    expect_identical(b$limits$lower_index, as.integer(numbers(e$kl)), label = label)
    expect_identical(b$limits$upper_index, as.integer(numbers(e$ku)), label = label)
    # The report warns where kl < 10 or ku >= B - 8.
    expect_identical(b$limits$uncertain, b$limits$lower_index < 10 | b$limits$upper_index >= 1992)
  }
})

test_that("mean_test gives the bootstrap t-test engine's report", {
  expected <- report_table("
    x     y        second means       sds         t      p
    deer  dolphins 130509 4.523,7.021 3.701,5.515 -4.853 0.0000
    ten   tiny     130509 3.500,2.000 2.273,1.000 1.627  0.1285
    ten   tiny     000000 3.500,2.000 2.273,1.000 1.627  0.1290
    gulls terns    130509 8.899,6.049 8.969,6.518 4.197  0.0000")
  for (i in seq_len(nrow(expected))) {
    e <- expected[i, ]
    label <- paste(e$x, e$y, e$second)
    r <- mean_test(samples[[e$x]], samples[[e$y]], R = 2000, seed_time = e$second)
    expect_identical(printed(r$estimate, 3), numbers(e$means), label = label)
    expect_identical(printed(r$sd, 3), numbers(e$sds), label = label)
    expect_identical(printed(r$statistic, 3), e$t, label = label)
    expect_identical(printed(r$p.value, 4), e$p, label = label)
  }
})

test_that("crowding_test gives the crowding comparison engine's report", {
  expected <- report_table("
    x     y        second estimates   limits_x    limits_y    significant
    deer  dolphins 130509 7.54,11.32  6.59,9.56   9.39,14.59  FALSE
    deer  dolphins 000000 7.54,11.32  6.59,9.93   9.42,14.77  FALSE
    ten   tiny     130509 4.83,2.33   3.23,7.12   1.00,3.00   TRUE
    gulls terns    000000 17.91,13.04 15.34,21.89 10.43,19.08 FALSE")
  for (i in seq_len(nrow(expected))) {
    e <- expected[i, ]
    label <- paste(e$x, e$y, e$second)
    r <- suppressWarnings(
      crowding_test(samples[[e$x]], samples[[e$y]], R = 2000, seed_time = e$second))
    expect_identical(printed(r$estimate, 2), numbers(e$estimates), label = label)
    expect_identical(printed(r$limits["x", ], 2), numbers(e$limits_x), label = label)
    expect_identical(printed(r$limits["y", ], 2), numbers(e$limits_y), label = label)
    expect_identical(r$significant, as.logical(e$significant), label = label)
  }
})

test_that("median_test gives Mood's median test engine's table and p-value", {
  expected <- report_table("
    samples              medians     combined le         gt        p
    deer,terns           4.0,4.0     4.0      160,113    102,91    0.220
    ten,tiny             3.0,2.0     3.0      6,3        4,0       0.497
    dolphins,gulls,terns 6.0,6.0,4.0 5.0      67,150,125 76,168,79 0.003
    ten,deer,tiny        3.0,4.0,2.0 3.0      6,129,3    4,133,0   0.210")
  for (i in seq_len(nrow(expected))) {
    e <- expected[i, ]
    r <- median_test(samples[numbers(e$samples)])
    expect_identical(printed(r$estimate, 1), numbers(e$medians), label = e$samples)
    expect_identical(printed(r$parameter, 1), e$combined, label = e$samples)
    expect_identical(unname(r$table[, "LE"]), as.integer(numbers(e$le)), label = e$samples)
    expect_identical(unname(r$table[, "GT"]), as.integer(numbers(e$gt)), label = e$samples)
    expect_identical(printed(r$p.value, 3), e$p, label = e$samples)
  }
})

test_that("stoceq_test gives the stochastic equality engine's report", {
  # The report marks a missing p-value -1.0000 and prints the balance of
  # the shifted samples only where it warns.
  expected <- report_table("
    x     y        second greater wmw    bm      boot    balance why
    deer  dolphins 130509 0.341   0.0000 0.0000  0.0000  0.485   -
    ten   tiny     130509 0.700   0.3445 0.2524  0.2920  0.483   -
    ten   tiny     000001 0.700   0.3445 0.2524  0.3210  0.483   -
    gulls terns    130509 0.606   0.0000 0.0000  0.0030  0.468   -
    tiny  apart    000000 0.000   0.0765 -1.0000 0.1610  0.556   separated
    ten   one      000000 0.250   0.5233 -1.0000 -1.0000 -       one_group")
  for (i in seq_len(nrow(expected))) {
    e <- expected[i, ]
    label <- paste(e$x, e$y, e$second)
    r <- stoceq_test(samples[[e$x]], samples[[e$y]], R = 2000, seed_time = e$second)
    expect_identical(printed(r$estimate[[1L]], 3), e$greater, label = label)
    p <- r$tests$p.value
    expect_identical(printed(ifelse(is.na(p), -1, p), 4), c(e$wmw, e$bm, e$boot), label = label)
    expect_identical(if (r$unbalanced) printed(r$balance, 3) else "-", e$balance, label = label)
    expect_identical(if (is.na(r$bm_undefined)) "-" else r$bm_undefined, e$why, label = label)
  }
})
