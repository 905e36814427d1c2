# SPDX-License-Identifier: GPL-3.0-or-later
# Sample files (.dat) as the desktop program reads and writes them: line 1
# the number of groups, line 2 the number of animals, then one line per group
# with its size, ascending; every line ends CR LF. Readers take the text item
# by item: an item ends at a comma or a line end, blanks around it ignored.

read_sample <- function(file) {
  if (!is.character(file) || length(file) != 1L || is.na(file))
    stop("'file' must be one file name", call. = FALSE)
  # Only a regular file: a pipe or a device could block or never end.
  if (!utils::file_test("-f", file))
    stop("'file' (", file, ") is not a readable sample file", call. = FALSE)
  bytes <- readBin(file, "raw", file.size(file))
  text <- rawToChar(bytes[bytes != as.raw(0L)])
  items <- trimws(strsplit(text, "[,\r\n]")[[1L]], whitespace = "[ \t]")
  items <- items[nzchar(items)]
  name <- basename(file)
  if (length(items) < 2L)
    stop("file ", name, " is not a sample file: it lacks the totals of groups and animals",
         call. = FALSE)
  values <- suppressWarnings(as.numeric(items))
  bad <- which(is.na(values) | !is.finite(values) | values != round(values))
  if (length(bad))
    stop("file ", name, " holds \"", items[bad[1L]], "\", which is not a whole number",
         call. = FALSE)
  declared <- values[1:2]
  sizes <- values[-(1:2)]
  if (length(sizes) != declared[1L])
    warning("file ", name, " says ", declared[1L], " groups but holds ", length(sizes),
            call. = FALSE)
  else if (sum(sizes) != declared[2L])
    warning("file ", name, " says ", declared[2L], " animals but its groups hold ", sum(sizes),
            call. = FALSE)
  # Sizes of 0 or less count as groups in the desktop program but never
  # become rows of the sample, so they are not part of it.
  if (any(sizes <= 0))
    warning("file ", name, " holds ", sum(sizes <= 0), " group size(s) of 0 or less, left out",
            call. = FALSE)
  sizes <- sizes[sizes > 0]
  if (any(sizes > .Machine$integer.max))
    stop("file ", name, " holds a group size above ", .Machine$integer.max, call. = FALSE)
  sort(as.integer(sizes))
}

read_samples <- function(folder = ".") {
  if (!is.character(folder) || length(folder) != 1L || is.na(folder) || !dir.exists(folder))
    stop("'folder' must name an existing folder", call. = FALSE)
  files <- list.files(folder, pattern = "\\.dat$", ignore.case = TRUE, full.names = TRUE)
  files <- files[utils::file_test("-f", files)]
  names(files) <- sub("\\.dat$", "", basename(files), ignore.case = TRUE)
  lapply(files, read_sample)
}

write_sample <- function(x, file) {
  x <- sort(check_sizes(x, "'x'"))
  if (!is.character(file) || length(file) != 1L || is.na(file) || !nzchar(file))
    stop("'file' must be one file name", call. = FALSE)
  if (dir.exists(file))
    stop("'file' (", file, ") is a folder", call. = FALSE)
  # Totals right-aligned in seven characters (never cut), as the desktop
  # program saves a sample it has built; each size as " s ".
  total <- function(v) formatC(v, width = 7L, format = "f", digits = 0L)
  lines <- c(total(length(x)), total(sum(as.double(x))), paste0(" ", x, " "))
  # Written beside the target and then moved into place, so a failure midway
  # leaves an older file intact, and a link at the name is replaced rather
  # than written through.
  temp <- tempfile(".toskarn", tmpdir = dirname(file), fileext = ".tmp")
  on.exit(unlink(temp))
  con <- file(temp, "wb")
  tryCatch(writeChar(paste0(lines, "\r\n", collapse = ""), con, eos = NULL, useBytes = TRUE),
           finally = close(con))
  if (!file.rename(temp, file))
    stop("cannot write file ", file, call. = FALSE)
  invisible(file)
}
