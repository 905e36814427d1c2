// SPDX-License-Identifier: GPL-3.0-or-later
#include "two_sample_read.h"

#include <utility>

#include "sample_block.h"

namespace tsk {

std::string readTwoSampleBlock(NumberReader& data, int which, int capacity, int minGroups,
                               const std::string& tooFew, std::vector<float>& x) {
  SampleBlock block;
  const BlockStatus status = readSampleBlock(data, capacity, minGroups, block);
  const std::string sample = "   ERROR: sample " + std::to_string(which);
  switch (status) {
    case BlockStatus::Value:
      break;
    case BlockStatus::NoBlock:
    case BlockStatus::NoAnimalCount:
    case BlockStatus::MissingSizes:
      return "   ERROR: unexpected end of data";
    case BlockStatus::Invalid:
      return "   ERROR: invalid data";
    case BlockStatus::TooManyGroups:
      return sample + " too large (max=" + std::to_string(capacity) + ")";
    case BlockStatus::TooFewGroups:
      return sample + " " + tooFew;
  }
  x = std::move(block.sizes);
  return {};
}

}  // namespace tsk
