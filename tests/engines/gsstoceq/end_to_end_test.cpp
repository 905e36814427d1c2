// SPDX-License-Identifier: GPL-3.0-or-later
// The built program run through tskrun, as a user runs it, with the
// delivered parameter file. The clock is real here, so the bootstrap column
// is checked against the plain transcription for each second the run spans.

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <ctime>
#include <filesystem>

#include "plain_stoceq.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;
using tsk::test::crlf;
using tsk::test::readFile;
using tsk::test::writeFile;

int secondsNow() {
  const std::time_t t = std::time(nullptr);
  std::tm local{};
  localtime_r(&t, &local);
  return local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec;
}

std::string runCommand(const std::string& command) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return out;
  std::array<char, 4096> buf;
  size_t n = 0;
  while ((n = std::fread(buf.data(), 1, buf.size(), pipe)) > 0) out.append(buf.data(), n);
  pclose(pipe);
  return out;
}

TEST(GsstoceqEndToEnd, ThroughTskrun) {
  const fs::path tskrun = tsk::test::binDir() / "tskrun";
  if (!fs::exists(tskrun) || !fs::exists(tsk::test::binDir() / "gsstoceq")) {
    GTEST_SKIP() << "tskrun or gsstoceq not built in " << tsk::test::binDir();
  }
  tsk::test::TempDir dir;
  writeFile(dir / "a.dat", crlf({"    4", "   10", " 1 ", " 2 ", " 3 ", " 4 "}));
  writeFile(dir / "b.dat", crlf({"    4", "   14", " 2 ", " 3 ", " 4 ", " 5 "}));
  fs::copy_file(tsk::test::dataDir() / "steqreps.par", dir / "steqreps.par");

  const int before = secondsNow();
  const std::string report = runCommand("cd '" + dir.path().string() + "' && '" + tskrun.string() +
                                        "' --report-only gsstoceq a.dat b.dat 2>/dev/null");
  const int after = secondsNow();
  ASSERT_EQ(readFile(dir / "tskstat.tmp"), " finished: gsstoceq\r\n");

  // The delivered file asks for 10000 replications; the Brunner-Munzel
  // worked example gives 0.3778, 0.3071 (see the whole-report tests).
  const std::vector<std::string> lines = tsk::test::splitLines(report);
  ASSERT_EQ(lines.size(), 27u) << report;
  EXPECT_EQ(lines[18], "       Number of bootstrap replications = 10000");
  const std::string pvalues = lines[23];
  ASSERT_EQ(pvalues.size(), 69u);
  EXPECT_EQ(pvalues.substr(0, 48), "             0.3778                       0.3071");
  bool matched = false;
  for (int s = before; s <= after && !matched; ++s) {
    const int seed = 10000 * (s / 3600) + 100 * (s / 60 % 60) + s % 60;
    plain::Mt mt(seed);
    const float p = plain::bootwmw(mt, {1, 2, 3, 4}, {2, 3, 4, 5}, 10000);
    char column[32];
    std::snprintf(column, sizeof column, "%21.4f", static_cast<double>(p));
    matched = pvalues.substr(48) == column;
  }
  EXPECT_TRUE(matched) << pvalues;
  EXPECT_EQ(lines.back(), std::string(79, '_'));
}

}  // namespace
