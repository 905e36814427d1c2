// SPDX-License-Identifier: GPL-3.0-or-later
// TSK_SEED_TIME in the engines: every random engine seeds from the second it
// names instead of the clock, reports a malformed one after its title and
// still finishes; the engines without random numbers never look at it.

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "frame.h"
#include "gscrow2s.h"
#include "gscrowci.h"
#include "gsmean2s.h"
#include "gsmeanci.h"
#include "gsmidlim.h"
#include "gsmidtst.h"
#include "gsstoceq.h"
#include "gssummar.h"
#include "test_support.h"

namespace {

using tsk::test::readFile;
using tsk::test::TempDir;
using tsk::test::writeFile;

struct Engine {
  const char* name;
  void (*run)(const tsk::EngineContext&, int);
  int capacity;
  const char* parameterFile;  // nullptr: none
  int samples;
};

const Engine kRandomEngines[] = {
    {"gsmeanci", gsmeanci::run, 5000, "gsmeanci.par", 1},
    {"gscrowci", gscrowci::run, 999, "crowreps.par", 1},
    {"gsmean2s", gsmean2s::run, 5000, "mean2reps.par", 2},
    {"gscrow2s", gscrow2s::run, 1999, "crowreps.par", 2},
    {"gsstoceq", gsstoceq::run, 2000, "steqreps.par", 2},
};

const Engine kOtherEngines[] = {
    {"gssummar", gssummar::run, 5000, nullptr, 2},
    {"gsmidlim", gsmidlim::run, 999, nullptr, 1},
    {"gsmidtst", gsmidtst::run, 2000, "gsmidtst.par", 2},
};

// A sample block of n groups with sizes from 1 to 12, many ties, built by
// a little generator of the test's own; `shift` makes the second sample a
// little larger, so that the two-sample p-values lie well inside (0, 1).
std::string block(int n, unsigned seed, int shift) {
  std::vector<int> sizes;
  unsigned s = seed;
  long animals = 0;
  for (int i = 0; i < n; ++i) {
    s = s * 1103515245u + 12345u;
    sizes.push_back(1 + static_cast<int>((s >> 16) % 9) + ((s >> 8) % 4 == 0 ? shift : 0));
    animals += sizes.back();
  }
  std::sort(sizes.begin(), sizes.end());
  std::string b = std::to_string(n) + "\r\n" + std::to_string(animals) + "\r\n";
  for (int v : sizes) b += " " + std::to_string(v) + " \r\n";
  return b + " \r\n";
}

struct Outcome {
  std::string report;
  std::string status;
};

// Runs `engine` on fixed samples with the clock at 13:05:09 and the given
// TSK_SEED_TIME setting.
Outcome runWith(const Engine& engine, std::optional<std::string> setting) {
  TempDir dir;
  std::string data = block(60, 7, 0);
  if (engine.samples == 2) data += block(50, 11, 3);
  writeFile(dir / tsk::kDataFile, data);
  if (engine.parameterFile) {
    // 1000 replications, or for gsmidtst a time limit of 1000 minutes.
    writeFile(dir / engine.parameterFile, "replications\r\nof the seed test\r\n1000\r\n");
  }
  tsk::EngineContext context{dir.path(), tsk::fixedClock(13, 5, 9)};
  context.seedSetting = std::move(setting);
  engine.run(context, engine.capacity);
  return {readFile(dir / tsk::kReportFile), readFile(dir / tsk::kStatusFile)};
}

TEST(SeedTimeSetting, FixesTheSecondInsteadOfTheClock) {
  for (const Engine& e : kRandomEngines) {
    SCOPED_TRACE(e.name);
    const Outcome byClock = runWith(e, std::nullopt);  // the clock reads 13:05:09
    const Outcome bySetting = runWith(e, "130509");
    EXPECT_EQ(bySetting.report, byClock.report);
    // Another second draws other bootstrap samples: other indices and limits
    // in the one-sample reports, other bootstrap p-values in the others.
    const Outcome other = runWith(e, "101500");
    EXPECT_NE(other.report, byClock.report);
    EXPECT_EQ(runWith(e, "101500").report, other.report);
    EXPECT_EQ(other.status, std::string(" finished: ") + e.name + "\r\n");
  }
}

TEST(SeedTimeSetting, MalformedIsReportedAfterTheTitleAndTheRunFinishes) {
  const std::string error = std::string(" ") + tsk::kBadSeedTimeMessage + "\r\n";
  for (const Engine& e : kRandomEngines) {
    const std::string normal = runWith(e, "101500").report;
    for (const char* bad : {"", "240000", "10:15:00", "abcdef", "1015"}) {
      SCOPED_TRACE(std::string(e.name) + " with \"" + bad + "\"");
      const Outcome run = runWith(e, bad);
      // Title, the ERROR line, the closing line: nothing computed.
      const size_t at = run.report.find(error);
      ASSERT_NE(at, std::string::npos) << run.report;
      EXPECT_EQ(run.report.substr(at), error + std::string(tsk::kClosingLine) + "\r\n");
      EXPECT_EQ(normal.substr(0, at), run.report.substr(0, at));
      EXPECT_EQ(run.status, std::string(" finished: ") + e.name + "\r\n");
    }
  }
}

TEST(SeedTimeSetting, EnginesWithoutRandomNumbersIgnoreIt) {
  for (const Engine& e : kOtherEngines) {
    SCOPED_TRACE(e.name);
    const Outcome plain = runWith(e, std::nullopt);
    EXPECT_EQ(runWith(e, "not a time").report, plain.report);
    EXPECT_EQ(runWith(e, "101500").report, plain.report);
    EXPECT_EQ(plain.report.find("ERROR"), std::string::npos) << plain.report;
  }
}

}  // namespace
