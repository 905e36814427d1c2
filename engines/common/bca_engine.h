// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The report side of the BCa engines: the replication count read from a
// parameter file, and the one-sample engine that the mean and the crowding
// programs share.

#include <string>

#include "bca_limits.h"
#include "frame.h"

namespace tsk::bca {

// The store of bootstrap values, and the most replications a run makes.
inline constexpr int kMaxReplications = 20000;
inline constexpr int kDefaultReplications = 2000;

// Reads the replication count from line 3 of the parameter file `fileName`,
// which the report names as it is on disk. A missing file writes the ERROR
// line and returns false. An unreadable file, or a count of 0 or below,
// writes the three warning lines and gives the default; counts above the
// store are lowered to it.
bool readReplications(EngineRun& run, const std::string& fileName, int& B);

// The one-sample engine of mean group size or mean crowding.
struct OneSampleEngine {
  std::string name;           // status name: gsmeanci, gscrowci
  std::string title;          // report title
  std::string parameterFile;  // as on disk and in the report
  Statistic statistic;
};
void runOneSample(const EngineContext& context, int capacity, const OneSampleEngine& engine);

}  // namespace tsk::bca
