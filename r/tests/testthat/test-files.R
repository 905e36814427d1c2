# SPDX-License-Identifier: GPL-3.0-or-later
# Sample files as the desktop program writes and reads them.

example_file <- function(name) system.file("extdata", paste0(name, ".dat"), package = "toskarn")

bytes_of <- function(path) readBin(path, "raw", file.size(path))

test_that("write_sample writes the desktop program's bytes", {
  path <- tempfile(fileext = ".dat")
  # The entry window's example: three groups of 1 and two of 4, any order.
  write_sample(c(4, 1, 1, 4, 1), path)
  expect_identical(rawToChar(bytes_of(path)),
                   "      5\r\n     11\r\n 1 \r\n 1 \r\n 1 \r\n 4 \r\n 4 \r\n")
  # A delivered sample, saved by the desktop program, is written back unchanged.
  for (name in c("deer", "gulls")) {
    write_sample(read_sample(example_file(name)), path)
    expect_identical(bytes_of(path), bytes_of(example_file(name)), label = name)
  }
  # Totals wider than seven characters are written whole.
  write_sample(rep(1234567L, 9L), path)
  expect_identical(readLines(path, n = 2L), c("      9", "11111103"))
})

test_that("read_sample takes the files the desktop program takes", {
  path <- tempfile(fileext = ".dat")
  cases <- list(
    # text, sizes, warning (NA: none)
    list("5\n11\n1\n1\n1\n4\n4\n", c(1L, 1L, 1L, 4L, 4L), NA),
    list("    3,   6, 3 , 1,2\r\n", c(1L, 2L, 3L), NA),
    list("3\r\n6\r\n3.0\r\n2\r\n1\r\n", c(1L, 2L, 3L), NA),
    list("2\n4\n1\n3\n\n\n", c(1L, 3L), NA),
    list("12\n6\n1\n2\n3\n", 1:3, "says 12 groups but holds 3"),
    list("3\n150\n1\n2\n3\n", 1:3, "says 150 animals but its groups hold 6"),
    list("4\n4\n0\n2\n3\n-1\n", 2:3, "2 group size\\(s\\) of 0 or less"),
    list("0\n0\n", integer(), NA)
  )
  for (case in cases) {
    writeBin(charToRaw(case[[1]]), path)
    expect_warning(x <- read_sample(path), case[[3]])
    expect_identical(x, case[[2]], label = case[[1]])
  }
  bad <- list(c("3\n6\n1\nabc\n2\n", "\"abc\", which is not a whole number"),
              c("2\n3\n1\n2.5\n", "\"2.5\", which is not a whole number"),
              c("7\n", "lacks the totals"))
  for (case in bad) {
    writeBin(charToRaw(case[1]), path)
    expect_error(read_sample(path), case[2], label = case[1])
  }
  expect_error(read_sample(tempdir()), "not a readable sample file")
})

test_that("read_samples reads every .dat file of a folder by name", {
  s <- read_samples(system.file("extdata", package = "toskarn"))
  expect_identical(names(s), c("deer", "dolphins", "gulls", "terns"))
  # Group counts of the delivered files' first lines.
  expect_identical(lengths(s, use.names = FALSE), c(262L, 143L, 318L, 204L))
  expect_identical(sum(s$gulls), 2830L)
})
