// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Bootstrap replications shared out over the processor's cores. Replication
// r of a run uses draws r * d ... (r + 1) * d - 1 of the one stream, so a
// later share can start from a copy of the generator moved on past the
// earlier shares' draws; every replication gets exactly the draws it gets
// when the run makes them one after another.

#include <cstdint>
#include <functional>
#include <vector>

#include "mtrand.h"

namespace tsk {

// Makes replications [first, last) from `block`, which stands at the first
// draw of replication `first` and must be left after the last draw of
// replication last - 1. Returns a count the caller wants summed over shares.
using ReplicationWork = std::function<int64_t(MtBlock& block, int64_t first, int64_t last)>;

// The shares' bounds for `threads` workers: 0 = s(0) < s(1) < ... = count,
// every inner bound a multiple of `align`. Later shares are shorter, since
// their worker first moves its generator on, which costs about a tenth of
// making the draws.
std::vector<int64_t> replicationShares(int64_t count, int align, int threads);

// Runs work over replications [0, count), each making drawsPerReplication
// draws, on `threads` threads (0: as many as the processor has cores, at
// most 4, and one for small runs). Leaves `block` after all count *
// drawsPerReplication draws and returns the sum of the shares' counts.
int64_t forEachReplicationShare(MtBlock& block, int64_t count, uint64_t drawsPerReplication,
                                int align, const ReplicationWork& work, int threads = 0);

}  // namespace tsk
