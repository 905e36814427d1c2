// SPDX-License-Identifier: GPL-3.0-or-later
#include "replications.h"

#include <algorithm>
#include <exception>
#include <thread>

namespace tsk {

namespace {

// Moving the generator on costs this share of making the same draws.
constexpr double kSkipCost = 0.1;
// Below this many draws a second thread costs more than it saves.
constexpr uint64_t kDrawsPerThread = 2000000;
constexpr int kMaxThreads = 4;

int threadsFor(uint64_t draws, int requested) {
  if (requested > 0) return requested;
  const int threads =
      std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1, kMaxThreads);
  const uint64_t useful = std::max<uint64_t>(1, draws / kDrawsPerThread);
  return static_cast<int>(std::min<uint64_t>(static_cast<uint64_t>(threads), useful));
}

}  // namespace

std::vector<int64_t> replicationShares(int64_t count, int align, int threads) {
  threads = std::max(threads, 1);
  align = std::max(align, 1);
  // Worker k starts at a(k) and takes kSkipCost a(k) + a(k+1) - a(k) = c:
  // a(k+1) = (1 - kSkipCost) a(k) + c, with c chosen so that a(threads) = 1.
  double unit = 0;  // a(threads) for c = 1
  for (int k = 0; k < threads; ++k) unit = (1 - kSkipCost) * unit + 1;
  std::vector<int64_t> bounds{0};
  double a = 0;
  for (int k = 1; k < threads; ++k) {
    a = (1 - kSkipCost) * a + 1 / unit;
    int64_t bound = static_cast<int64_t>(a * static_cast<double>(count) / align) * align;
    bounds.push_back(std::clamp(bound, bounds.back(), count));
  }
  bounds.push_back(count);
  return bounds;
}

int64_t forEachReplicationShare(MtBlock& block, int64_t count, uint64_t drawsPerReplication,
                                int align, const ReplicationWork& work, int threads) {
  if (count <= 0) return 0;
  threads = threadsFor(static_cast<uint64_t>(count) * drawsPerReplication, threads);
  if (threads == 1) return work(block, 0, count);

  const std::vector<int64_t> bounds = replicationShares(count, align, threads);
  struct Share {
    MtBlock block;
    int64_t result = 0;
    std::exception_ptr failure;
  };
  std::vector<Share> shares(static_cast<size_t>(threads));
  std::vector<std::thread> workers;
  for (int k = 1; k < threads; ++k) {
    Share& share = shares[static_cast<size_t>(k)];
    share.block = block;
    workers.emplace_back([&share, &work, &bounds, k, drawsPerReplication] {
      try {
        skipDraws(share.block, static_cast<uint64_t>(bounds[k]) * drawsPerReplication);
        share.result = work(share.block, bounds[k], bounds[k + 1]);
      } catch (...) {
        share.failure = std::current_exception();
      }
    });
  }
  try {
    shares[0].result = work(block, bounds[0], bounds[1]);
  } catch (...) {
    shares[0].failure = std::current_exception();
  }
  for (std::thread& w : workers) w.join();
  int64_t total = 0;
  for (const Share& share : shares) {
    if (share.failure) std::rethrow_exception(share.failure);
    total += share.result;
  }
  // The last share ran to the end of the run's draws.
  block = shares.back().block;
  return total;
}

}  // namespace tsk
