// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Helpers of the bootstrap engine tests: sample blocks and parameter files,
// an in-process run at a fixed time of day, and a run of the built program
// through tskrun.

#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "baseline.h"
#include "frame.h"
#include "test_support.h"

namespace bootstrap_test {

using tsk::test::crlf;
using tsk::test::readFile;
using tsk::test::sameText;
using tsk::test::TempDir;
using tsk::test::writeFile;

// A sample block of tskdat.tmp: group count (the real one unless given),
// animal count, one size a line, the blank separator line.
inline std::string block(const std::vector<float>& sizes, int declared = -1) {
  double animals = 0;
  for (float v : sizes) animals += v;
  std::string b = std::to_string(declared < 0 ? static_cast<int>(sizes.size()) : declared) +
                  "\r\n" + std::to_string(static_cast<long>(animals)) + "\r\n";
  for (float v : sizes) {
    char item[32];
    std::snprintf(item, sizeof item, "%g", v);
    b += std::string(" ") + item + " \r\n";
  }
  return b + " \r\n";
}

// A parameter file whose third line is `third`.
inline std::string parameters(const std::string& third) {
  return "replications\r\nfor the bootstrap\r\n" + third + "\r\n";
}

// Group sizes from 1 to 40, mostly small, from a fixed little generator of
// the test's own (so the samples do not depend on the library's).
inline std::vector<float> herd(int n, unsigned seed) {
  std::vector<float> x(static_cast<size_t>(n));
  unsigned s = seed * 2654435761u + 12345u;
  for (float& v : x) {
    s = s * 1103515245u + 12345u;
    unsigned r = (s >> 16) % 100;
    v = static_cast<float>(r < 40   ? 1
                           : r < 60 ? 2
                           : r < 75 ? 3
                           : r < 85 ? 5
                           : r < 95 ? 9
                                    : 25 + r % 16);
  }
  return x;
}

// The generator of the plain transcription seeded at h:m:s; a start at
// midnight takes the seed 240000 (24:00:00), as the engines do.
inline baseline::Generator generatorAt(int h, int m, int s) {
  const int32_t seed = 10000 * h + 100 * m + s;
  return baseline::Generator(seed == 0 ? 240000 : seed);
}
inline baseline::Generator generatorAt(tsk::TimeOfDay t) {
  return generatorAt(t.hour, t.minute, t.second);
}

// The samples of an exchange file, as the engines read them.
inline std::vector<std::vector<float>> exchangeSamples(const std::filesystem::path& path) {
  std::vector<std::vector<float>> samples;
  auto reader = tsk::NumberReader::open(path);
  int32_t n = 0, animals = 0;
  while (reader && reader->readInt(n) == tsk::ReadStatus::Value &&
         reader->readInt(animals) == tsk::ReadStatus::Value) {
    std::vector<float> x(static_cast<size_t>(n));
    for (float& v : x) reader->readReal(v);
    samples.push_back(x);
  }
  return samples;
}

struct Outcome {
  std::string report;
  std::string status;
};

// Runs `engine` in dir on the data and (when given) the parameter file at
// the fixed time of day.
inline Outcome runAt(void (*engine)(const tsk::EngineContext&, int), const TempDir& dir,
                     const std::string& data, const char* parameterFile,
                     std::optional<std::string> parameterText, int capacity,
                     tsk::TimeOfDay time = {13, 5, 9}) {
  writeFile(dir / tsk::kDataFile, data);
  if (parameterText) writeFile(dir / parameterFile, *parameterText);
  tsk::EngineContext context{dir.path(), tsk::fixedClock(time.hour, time.minute, time.second)};
  engine(context, capacity);
  return {readFile(dir / tsk::kReportFile), readFile(dir / tsk::kStatusFile)};
}

// The expected report: the given lines and the closing line, CR LF each.
inline std::string report(std::vector<std::string> lines) {
  lines.emplace_back(tsk::kClosingLine);
  return crlf(lines);
}

// The report printed by `tskrun engine files...` run in dir, or nullopt when
// tskrun has not been built. `before` and `after` receive the local time of
// day around the run, which holds the engine's seed.
inline std::optional<std::string> tskrun(const TempDir& dir, const std::string& arguments,
                                         tsk::TimeOfDay& before, tsk::TimeOfDay& after) {
  const auto program = tsk::test::binDir() / "tskrun";
  if (!std::filesystem::exists(program)) return std::nullopt;
  auto now = [] {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    return tsk::TimeOfDay{tm.tm_hour, tm.tm_min, tm.tm_sec};
  };
  const std::string command = "cd '" + dir.path().string() + "' && '" + program.string() +
                              "' --report-only " + arguments + " > out.txt 2> err.txt";
  before = now();
  int status = std::system(command.c_str());
  after = now();
  EXPECT_EQ(status, 0) << readFile(dir / "err.txt");
  // Nothing on standard error but the line naming the seed second.
  EXPECT_EQ(readFile(dir / "err.txt").rfind("tskrun: seed time ", 0), 0u)
      << readFile(dir / "err.txt");
  return readFile(dir / "out.txt");
}

// The seconds from `before` to `after` (a run takes a few at most).
inline std::vector<tsk::TimeOfDay> secondsBetween(tsk::TimeOfDay before, tsk::TimeOfDay after) {
  std::vector<tsk::TimeOfDay> times;
  tsk::TimeOfDay t = before;
  for (int guard = 0; guard < 120; ++guard) {
    times.push_back(t);
    if (t.hour == after.hour && t.minute == after.minute && t.second == after.second) break;
    if (++t.second == 60) {
      t.second = 0;
      if (++t.minute == 60) {
        t.minute = 0;
        t.hour = (t.hour + 1) % 24;
      }
    }
  }
  return times;
}

// True when `report` is the expected report of a run seeded at one of the
// seconds from `before` to `after`: a program run reads the real clock.
template <class ExpectedAt>
bool reportOfSomeSecond(const std::string& report, tsk::TimeOfDay before, tsk::TimeOfDay after,
                        ExpectedAt expectedAt) {
  for (tsk::TimeOfDay t : secondsBetween(before, after)) {
    if (report == expectedAt(t)) return true;
  }
  return false;
}

// The sizes of a .dat file's content as the exchange file lists them
// (ascending) and the content itself.
inline std::string datFile(const std::vector<float>& sizes) {
  double animals = 0;
  for (float v : sizes) animals += v;
  std::vector<std::string> lines = {std::to_string(sizes.size()),
                                    std::to_string(static_cast<long>(animals))};
  for (float v : sizes) lines.push_back(std::to_string(static_cast<int>(v)));
  return crlf(lines);
}

}  // namespace bootstrap_test
