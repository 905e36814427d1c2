# SPDX-License-Identifier: GPL-3.0-or-later
# The analysis library's own files and the runtime's pure numerical routines
# it builds on, named from the repository's root. Nothing here reads a file,
# the clock or the environment, so the same list builds the library for the
# engines, for other compilers and inside the R package, which copies exactly
# these files.
set(TSK_NUMERICS_SOURCES
    engine_runtime/bca.cpp
    engine_runtime/mtrand.cpp
    engine_runtime/numerics.cpp
    engine_runtime/ranks.cpp
    engine_runtime/replications.cpp
    engine_runtime/tdist.cpp)
set(TSK_NUMERICS_HEADERS
    engine_runtime/bca.h
    engine_runtime/mtrand.h
    engine_runtime/numerics.h
    engine_runtime/ranks.h
    engine_runtime/replications.h
    engine_runtime/tdist.h)
set(TSK_ANALYSES_SOURCES
    analyses/analysis.cpp
    analyses/bca_limits.cpp
    analyses/bmtest.cpp
    analyses/bootwmw.cpp
    analyses/describe.cpp
    analyses/fisherxx.cpp
    analyses/mean_test.cpp
    analyses/median_limits.cpp
    analyses/median_test.cpp
    analyses/stoceq_test.cpp
    analyses/wmwtest.cpp)
set(TSK_ANALYSES_HEADERS
    analyses/analysis.h
    analyses/bca_limits.h
    analyses/bmtest.h
    analyses/bootwmw.h
    analyses/describe.h
    analyses/fisherxx.h
    analyses/mean_test.h
    analyses/median_limits.h
    analyses/median_test.h
    analyses/stoceq_test.h
    analyses/wmwtest.h)
