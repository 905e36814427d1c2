library(testthat)
library(toskarn)

test_check("toskarn")
