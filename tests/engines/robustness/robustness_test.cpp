// Every engine fed damaged and random exchange files: each run must end with
// a complete report (closing line, CR LF line ends, no NaN or infinity text)
// and the finished status, never a crash. Run under the sanitizer build too.

#include <gtest/gtest.h>

#include <random>
#include <sstream>
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
using tsk::test::writeFile;

struct Engine {
  const char* name;
  void (*run)(const tsk::EngineContext&, int);
  int smallCapacity;
};

const Engine kEngines[] = {
    {"gssummar", gssummar::run, 5000}, {"gsmidlim", gsmidlim::run, 999},
    {"gsmeanci", gsmeanci::run, 999},  {"gscrowci", gscrowci::run, 999},
    {"gsmean2s", gsmean2s::run, 1999}, {"gscrow2s", gscrow2s::run, 1999},
    {"gsmidtst", gsmidtst::run, 999},  {"gsstoceq", gsstoceq::run, 999},
};

// Parameter files with few replications keep the loop fast.
void writeParameterFiles(const tsk::test::TempDir& dir) {
  for (const char* name : {"gsmeanci.par", "crowreps.par", "mean2reps.par", "steqreps.par"}) {
    writeFile(dir / name, "replications\r\nfor the robustness test\r\n40\r\n");
  }
  writeFile(dir / "gsmidtst.par", "time limit\r\nin minutes\r\n1\r\n");
}

// A sample block that is plausible, damaged or plain noise.
std::string randomExchange(std::mt19937& gen) {
  auto pick = [&](int n) { return static_cast<int>(gen() % static_cast<unsigned>(n)); };
  std::ostringstream out;
  const int samples = pick(4);
  for (int s = 0; s < samples; ++s) {
    const int n = pick(8) == 0 ? pick(3) - 1 : pick(25) + 1;
    std::vector<int> sizes;
    long animals = 0;
    for (int i = 0; i < n; ++i) {
      sizes.push_back(pick(6) == 0 ? pick(3) - 1 : 1 + pick(pick(2) ? 3 : 40));
      animals += sizes.back();
    }
    std::sort(sizes.begin(), sizes.end());
    out << (pick(10) == 0 ? n + pick(5) - 2 : n) << "\r\n";
    out << (pick(10) == 0 ? animals + pick(7) - 3 : animals) << "\r\n";
    for (int v : sizes) {
      switch (pick(40)) {
        case 0:
          out << "x\r\n";
          break;
        case 1:
          out << "1e39\r\n";
          break;
        case 2:
          out << v << ".5\r\n";
          break;
        case 3:
          out << "\r\n";
          break;
        default:
          out << ' ' << v << " \r\n";
      }
    }
    if (pick(10) != 0) out << " \r\n";
  }
  if (pick(5) == 0) {
    const int bytes = pick(40);
    for (int i = 0; i < bytes; ++i) out << static_cast<char>(gen() & 0xFF);
  }
  return out.str();
}

void expectCompleteRun(const tsk::test::TempDir& dir, const Engine& e, const std::string& input) {
  const std::string report = readFile(dir / tsk::kReportFile);
  const std::string closing = std::string(tsk::kClosingLine) + "\r\n";
  ASSERT_GE(report.size(), closing.size()) << e.name << " on:\n" << input;
  EXPECT_EQ(report.substr(report.size() - closing.size()), closing) << e.name << " on:\n" << input;
  for (size_t at = report.find('\n'); at != std::string::npos; at = report.find('\n', at + 1)) {
    ASSERT_TRUE(at > 0 && report[at - 1] == '\r') << e.name << ": a line without CR LF";
  }
  std::istringstream words(report);
  for (std::string word; words >> word;) {
    const bool notANumber = word == "NaN" || word == "nan" || word == "-nan";
    const bool infinite = word.find("Inf") != std::string::npos || word == "inf" || word == "-inf";
    EXPECT_FALSE(notANumber || infinite) << e.name << " wrote " << word << " on:\n"
                                         << input << "\nreport:\n"
                                         << report;
  }
  EXPECT_EQ(readFile(dir / tsk::kStatusFile), std::string(" finished: ") + e.name + "\r\n");
}

TEST(EngineRobustness, DamagedAndRandomExchangeFiles) {
  std::mt19937 gen(20261207);
  std::ostringstream console;
  for (int round = 0; round < 150; ++round) {
    const std::string input = randomExchange(gen);
    for (const Engine& e : kEngines) {
      tsk::test::TempDir dir;
      writeParameterFiles(dir);
      writeFile(dir / tsk::kDataFile, input);
      tsk::EngineContext context{dir.path(), tsk::fixedClock(10, 11, 12), &console};
      e.run(context, e.smallCapacity);
      expectCompleteRun(dir, e, input);
      if (HasFailure()) return;
    }
  }
}

TEST(EngineRobustness, MissingFilesStillFinish) {
  std::ostringstream console;
  for (const Engine& e : kEngines) {
    for (bool withData : {false, true}) {
      tsk::test::TempDir dir;
      if (withData)
        writeFile(dir / tsk::kDataFile,
                  "3\r\n6\r\n1\r\n2\r\n3\r\n \r\n3\r\n9\r\n2\r\n3\r\n4\r\n \r\n");
      tsk::EngineContext context{dir.path(), tsk::fixedClock(0, 0, 0), &console};
      e.run(context, e.smallCapacity);
      expectCompleteRun(dir, e, withData ? "two samples, no parameter file" : "no files");
      if (!withData) {
        EXPECT_NE(readFile(dir / tsk::kReportFile).find("ERROR"), std::string::npos) << e.name;
      }
    }
  }
}

}  // namespace
