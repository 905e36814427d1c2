# SPDX-License-Identifier: GPL-3.0-or-later
library(testthat)
library(toskarn)

test_check("toskarn")
