// SPDX-License-Identifier: GPL-3.0-or-later
#include "replications.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace {

struct Case {
  int64_t count;
  int draws;
  int align;
};

// Each replication keeps its draws' positions in a 0..996 sample folded into
// one number; a share must start exactly at its replication's first draw.
int64_t work(tsk::MtBlock& block, int64_t first, int64_t last, int draws,
             std::vector<uint64_t>& out) {
  std::vector<int32_t> positions(static_cast<size_t>(draws));
  for (int64_t r = first; r < last; ++r) {
    tsk::drawPositions(block, 997, positions.data(), positions.size());
    uint64_t folded = 0;
    for (int32_t p : positions) folded = folded * 31 + static_cast<uint64_t>(p);
    out[static_cast<size_t>(r)] = folded;
  }
  return last - first;
}

TEST(ReplicationShares, EveryThreadCountGivesTheDrawsOfOneLoopAndItsEndState) {
  const Case cases[] = {{0, 5, 8}, {1, 5, 8}, {7, 13, 8}, {8, 1, 8}, {100, 13, 1}, {2001, 37, 8}};
  for (const Case& c : cases) {
    std::vector<uint64_t> expected(static_cast<size_t>(c.count));
    tsk::MtBlock plain;
    tsk::sgrnd(plain, 101500);
    work(plain, 0, c.count, c.draws, expected);
    for (int threads : {1, 2, 3, 4, 7}) {
      SCOPED_TRACE(::testing::Message()
                   << "count " << c.count << ", draws " << c.draws << ", threads " << threads);
      std::vector<uint64_t> got(static_cast<size_t>(c.count), ~uint64_t{0});
      tsk::MtBlock block;
      tsk::sgrnd(block, 101500);
      const int64_t total = tsk::forEachReplicationShare(
          block, c.count, static_cast<uint64_t>(c.draws), c.align,
          [&](tsk::MtBlock& b, int64_t first, int64_t last) {
            return work(b, first, last, c.draws, got);
          },
          threads);
      EXPECT_EQ(total, c.count);
      EXPECT_EQ(got, expected);
      EXPECT_EQ(block.mti, plain.mti);
      EXPECT_EQ(block.mt, plain.mt);
    }
  }
}

TEST(ReplicationShares, BoundsAreAlignedAndLaterSharesShorter) {
  for (int threads : {1, 2, 4}) {
    const std::vector<int64_t> b = tsk::replicationShares(20000, 8, threads);
    ASSERT_EQ(b.size(), static_cast<size_t>(threads) + 1);
    EXPECT_EQ(b.front(), 0);
    EXPECT_EQ(b.back(), 20000);
    for (int k = 1; k < threads; ++k) {
      EXPECT_EQ(b[k] % 8, 0);
      EXPECT_GT(b[k] - b[k - 1], b[k + 1] - b[k]);
    }
  }
  // More workers than aligned pieces: some shares are empty, none reversed.
  const std::vector<int64_t> few = tsk::replicationShares(10, 8, 4);
  for (size_t k = 1; k < few.size(); ++k) EXPECT_LE(few[k - 1], few[k]);
  EXPECT_EQ(few.back(), 10);
}

TEST(ReplicationShares, AFailingShareIsRethrownAfterAllHaveStopped) {
  tsk::MtBlock block;
  tsk::sgrnd(block, 1);
  EXPECT_THROW(tsk::forEachReplicationShare(
                   block, 64, 10, 8,
                   [](tsk::MtBlock&, int64_t first, int64_t) -> int64_t {
                     if (first > 0) throw std::runtime_error("share failed");
                     return 0;
                   },
                   2),
               std::runtime_error);
}

}  // namespace
