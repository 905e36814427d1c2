// SPDX-License-Identifier: GPL-3.0-or-later
#include "sample_block.h"

#include <cmath>

namespace tsk {

BlockStatus readSampleBlock(NumberReader& data, int capacity, int minGroups, SampleBlock& block) {
  ReadStatus st = data.readInt(block.groups);
  if (st == ReadStatus::EndOfData) return BlockStatus::NoBlock;
  if (st == ReadStatus::Invalid) return BlockStatus::Invalid;
  st = data.readInt(block.animals);
  if (st == ReadStatus::EndOfData) return BlockStatus::NoAnimalCount;
  if (st == ReadStatus::Invalid) return BlockStatus::Invalid;
  if (block.groups > capacity) return BlockStatus::TooManyGroups;
  if (block.groups < minGroups) return BlockStatus::TooFewGroups;
  block.sizes.assign(static_cast<size_t>(block.groups), 0.0f);
  st = data.readReals(block.sizes.data(), block.groups);
  if (st == ReadStatus::EndOfData) return BlockStatus::MissingSizes;
  if (st == ReadStatus::Invalid) return BlockStatus::Invalid;
  return BlockStatus::Value;
}

SampleFault sampleFault(const SampleBlock& block) {
  // Sizes are whole in the files; summed in double they stay exact far
  // beyond any sample that fits the engines.
  double sum = 0.0;
  for (float size : block.sizes) {
    if (!(size >= 1.0f)) return SampleFault::SizeBelowOne;
    sum += size;
  }
  return sum == block.animals ? SampleFault::None : SampleFault::AnimalsMismatch;
}

}  // namespace tsk
