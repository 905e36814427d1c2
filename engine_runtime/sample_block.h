// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One sample block of the exchange file (group count, animal count, the
// group sizes) as the engines read it, and what no engine can compute
// through. The front end checks each sample with these same routines before
// it hands the sample on, so a sample that passes there is read here.

#include <cstdint>
#include <vector>

#include "reader.h"

namespace tsk {

struct SampleBlock {
  int32_t groups = 0;
  int32_t animals = 0;
  std::vector<float> sizes;
};

enum class BlockStatus {
  Value,
  NoBlock,        // the data end before the group count
  Invalid,        // an item that is not a number of its kind
  NoAnimalCount,  // the data end after the group count
  TooManyGroups,  // a group count above the capacity
  TooFewGroups,   // a group count below the least the caller takes
  MissingSizes,   // the data end before the last group size
};

// Reads one block. The counts are judged before any size is read, so a
// count outside [minGroups, capacity] stops the read there.
BlockStatus readSampleBlock(NumberReader& data, int capacity, int minGroups, SampleBlock& block);

enum class SampleFault {
  None,
  SizeBelowOne,     // a group holds at least one animal
  AnimalsMismatch,  // the animal count is not the sum of the sizes
};

// Faults of a block read whole that the reads themselves let pass.
SampleFault sampleFault(const SampleBlock& block);

}  // namespace tsk
