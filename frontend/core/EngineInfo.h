// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the front end knows about each engine program, from the engines'
// build declarations (add_engine in CMake): the engine it is a build of, its
// capacity, how many samples and groups it takes, the parameter file it reads.

#include <QString>

namespace tsk {

struct EngineInfo {
  QString program;        // gsmeanci, gsmeanc9, ...
  QString engine;         // status name, shared by the capacity builds
  int capacity = 0;       // most groups in a sample
  int minGroups = 1;      // fewest groups in a sample
  int minSamples = 1;     // how many samples it takes
  int maxSamples = 1;     // 0: any number
  QString parameterFile;  // read from the working directory; empty: none
  bool random = false;    // seeds random numbers from a second of the day
};

// The engine program `name` (either build; blanks ignored); nullptr for a
// name that is no engine of Toskarn.
const EngineInfo* engineInfo(const QString& name);

// Where the delivered data (method lists, parameter files, examples) lie
// for a program in `programDir`: <programDir>/../share/toskarn.
QString deliveredDataDir(const QString& programDir);

}  // namespace tsk
