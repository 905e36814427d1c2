// SPDX-License-Identifier: GPL-3.0-or-later
// Every engine fed damaged and random exchange and parameter files: each run
// must end with a complete report (closing line, CR LF line ends, no NaN or
// infinity text) and the finished status, never a crash. Files planted in
// the folder (links, FIFOs, devices, huge files) and files that cannot be
// written must neither be written through, block, flood memory nor end as
// "finished". Run under the sanitizer build too.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <fstream>
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
#include "platform.h"
#include "test_support.h"

namespace {

using tsk::test::readFile;
using tsk::test::writeFile;

struct Engine {
  const char* name;
  void (*run)(const tsk::EngineContext&, int);
  int smallCapacity;
  const char* parameterFile;  // nullptr for none
  bool oneSample;             // reads every value after the counts as a size
};

const Engine kEngines[] = {
    {"gssummar", gssummar::run, 5000, nullptr, false},
    {"gsmidlim", gsmidlim::run, 999, nullptr, true},
    {"gsmeanci", gsmeanci::run, 999, "gsmeanci.par", true},
    {"gscrowci", gscrowci::run, 999, "crowreps.par", true},
    {"gsmean2s", gsmean2s::run, 1999, "mean2reps.par", false},
    {"gscrow2s", gscrow2s::run, 1999, "crowreps.par", false},
    {"gsmidtst", gsmidtst::run, 999, "gsmidtst.par", false},
    {"gsstoceq", gsstoceq::run, 999, "steqreps.par", false},
};

std::string upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

// Small samples the engine accepts: one or two as it reads them.
std::string goodData(const Engine& e) {
  const std::string first = "3\r\n6\r\n1\r\n2\r\n3\r\n \r\n";
  return e.oneSample ? first : first + "4\r\n10\r\n1\r\n2\r\n3\r\n4\r\n \r\n";
}

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
          out << (pick(2) ? "1e39\r\n" : pick(2) ? "3e38\r\n" : "1e15\r\n");
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
  // Lines longer than the reader holds at once: a number longer than any,
  // a run of blanks, a lone CR inside.
  if (pick(15) == 0) {
    const char* const fills[] = {"7", " ", "\r"};
    out << std::string(70000 + pick(100), *fills[pick(3)]) << "\r\n";
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

// A parameter file that is plausible, damaged or noise; its count small
// enough for the loop to stay fast.
std::string randomParameters(std::mt19937& gen) {
  auto pick = [&](int n) { return static_cast<int>(gen() % static_cast<unsigned>(n)); };
  const char* const counts[] = {"40", "0", "-5", "2147483648", "1e3", "x", "", "+12", "7,8"};
  std::string text;
  for (int line = 0; line < 2 && pick(8) != 0; ++line) text += pick(2) ? "free text\r\n" : "\n";
  text += counts[pick(9)];
  if (pick(3) == 0) {
    const int bytes = pick(30);
    for (int i = 0; i < bytes; ++i) text += static_cast<char>(gen() & 0xFF);
  }
  return text;
}

TEST(EngineRobustness, DamagedAndRandomExchangeFiles) {
  std::mt19937 gen(20261207);
  std::ostringstream console;
  for (int round = 0; round < 150; ++round) {
    const std::string input = randomExchange(gen);
    const bool damagedParameters = round % 10 == 0;
    const std::string parameters = randomParameters(gen);
    for (const Engine& e : kEngines) {
      tsk::test::TempDir dir;
      writeParameterFiles(dir);
      if (damagedParameters && e.parameterFile) writeFile(dir / e.parameterFile, parameters);
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

// Each output call of a run made to fail in turn: the run exits non-zero; a
// report that could not be completed is named in the status, and a status
// that says "finished" (its line written before its close failed) comes
// with the whole report.
TEST(EngineRobustness, EveryFailedOutputCallFailsTheRun) {
  std::ostringstream console;
  for (const Engine& e : kEngines) {
    SCOPED_TRACE(e.name);
    long calls = 0;
    std::string fullReport;
    for (long n = 0; n == 0 || n <= calls; ++n) {
      tsk::test::TempDir dir;
      writeParameterFiles(dir);
      writeFile(dir / tsk::kDataFile, goodData(e));
      tsk::EngineContext context{dir.path(), tsk::fixedClock(10, 11, 12), &console};
      const long before = tsk::platform::outputCalls();
      tsk::platform::failOutputCall(n);
      const int exit = tsk::runEngine(e.run, context, e.smallCapacity);
      tsk::platform::failOutputCall(0);
      const std::string status = readFile(dir / tsk::kStatusFile);
      if (n == 0) {
        calls = tsk::platform::outputCalls() - before;
        ASSERT_EQ(exit, 0);
        ASSERT_EQ(status, std::string(" finished: ") + e.name + "\r\n");
        fullReport = readFile(dir / tsk::kReportFile);
        continue;
      }
      SCOPED_TRACE("output call " + std::to_string(n) + " of " + std::to_string(calls));
      EXPECT_EQ(exit, 1);
      if (context.failure == "cannot write TSKRES.TMP" ||
          context.failure == "cannot write TSKTAB.TMP") {
        // The table is written before "finished": a run without it never
        // says finished, so that no one takes an older run's rows.
        EXPECT_EQ(status, std::string(" failed: ") + e.name + " (" + context.failure + ")\r\n");
      } else {
        EXPECT_EQ(context.failure, "cannot write TSKSTAT.TMP");
        if (status.find("finished") != std::string::npos) {
          EXPECT_EQ(readFile(dir / tsk::kReportFile), fullReport);
        }
      }
    }
  }
}

// A link planted as the report, table or status file: the engine exits non-zero
// and the link's target is byte-identical afterwards.
TEST(EngineRobustness, LinksPlantedAsTheWrittenFiles) {
  std::ostringstream console;
  const std::string profile = "PATH=$HOME/bin:$PATH\n";
  for (const Engine& e : kEngines) {
    for (const char* planted : {tsk::kReportFile, tsk::kTableFile, tsk::kStatusFile}) {
      SCOPED_TRACE(std::string(e.name) + " with " + planted + " a link");
      tsk::test::TempDir dir, home;
      writeParameterFiles(dir);
      writeFile(dir / tsk::kDataFile, goodData(e));
      writeFile(home / ".profile", profile);
      std::filesystem::create_symlink(home / ".profile", dir / planted);
      tsk::EngineContext context{dir.path(), tsk::fixedClock(10, 11, 12), &console};
      EXPECT_EQ(tsk::runEngine(e.run, context, e.smallCapacity), 1);
      EXPECT_EQ(readFile(home / ".profile"), profile);
      EXPECT_TRUE(std::filesystem::is_symlink(dir / planted));
    }
  }
}

struct ChildRun {
  int exit = -1;  // -1 when it did not exit normally
  bool timedOut = false;
  long maxResidentKb = 0;
};

// Runs an engine program in `dir` as the launcher does, killed after
// `seconds`; its exit, and the most memory it held.
ChildRun runProgram(const std::string& program, const std::filesystem::path& dir, int seconds) {
  const std::string path = (tsk::test::binDir() / program).string();
  const pid_t pid = fork();
  if (pid == 0) {
    if (chdir(dir.c_str()) != 0) _exit(126);
    alarm(static_cast<unsigned>(seconds));  // stays set across exec
    execl(path.c_str(), path.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  struct rusage usage {};
  wait4(pid, &status, 0, &usage);
  ChildRun r;
  if (WIFEXITED(status)) r.exit = WEXITSTATUS(status);
  r.timedOut = WIFSIGNALED(status) && WTERMSIG(status) == SIGALRM;
  r.maxResidentKb = usage.ru_maxrss;
  return r;
}

void expectFinishedWith(const tsk::test::TempDir& dir, const Engine& e, const ChildRun& r,
                        const std::string& message) {
  EXPECT_FALSE(r.timedOut) << e.name << " hung";
  EXPECT_EQ(r.exit, 0) << e.name;
  const std::string report = readFile(dir / tsk::kReportFile);
  EXPECT_NE(report.find(message), std::string::npos) << e.name << " report:\n" << report;
  EXPECT_NE(report.find(std::string(tsk::kClosingLine) + "\r\n"), std::string::npos) << e.name;
  EXPECT_EQ(readFile(dir / tsk::kStatusFile), std::string(" finished: ") + e.name + "\r\n");
}

// A FIFO or a link to /dev/zero as the exchange or a parameter file is not
// read: the run reports the file it cannot open, without blocking or
// filling memory.
TEST(EngineRobustness, FifoAndDeviceInputsAreNotRead) {
  for (const Engine& e : kEngines) {
    std::vector<std::string> inputs = {tsk::kDataFile};
    if (e.parameterFile) inputs.push_back(e.parameterFile);
    for (const std::string& input : inputs) {
      for (bool fifo : {true, false}) {
        SCOPED_TRACE(input + (fifo ? " a FIFO" : " a link to /dev/zero"));
        tsk::test::TempDir dir;
        writeParameterFiles(dir);
        writeFile(dir / tsk::kDataFile, goodData(e));
        std::filesystem::remove(dir / input);
        if (fifo) {
          ASSERT_EQ(mkfifo((dir / input).c_str(), 0600), 0);
        } else {
          std::filesystem::create_symlink("/dev/zero", dir / input);
        }
        const ChildRun r = runProgram(e.name, dir.path(), 30);
        // Parameter files are named as they are on disk, the exchange file
        // as it always has been.
        expectFinishedWith(dir, e, r,
                           "cannot open file " + (input == tsk::kDataFile ? upper(input) : input));
      }
    }
  }
}

// A huge exchange file is read only as far as needed: a group count past
// the capacity stops the run before the 1 GiB that follows it is read, and
// 50 MB of blank lines pass through a small buffer.
TEST(EngineRobustness, HugeExchangeFilesInBoundedMemory) {
  const Engine& gssummar = kEngines[0];
  struct Case {
    const char* what;
    const char* head;
    std::uintmax_t size;
    const char* message;
  } cases[] = {
      {"10 million groups", "10000000\r\n10000000\r\n1\r\n", std::uintmax_t{1} << 30,
       "ERROR: max. sample size is 5000"},
      {"50 MB of blank lines", "", 50u << 20, "ERROR: unexpected end of data"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    tsk::test::TempDir dir;
    {
      std::ofstream out(dir / tsk::kDataFile, std::ios::binary);
      out << c.head;
      if (*c.head == '\0') {
        const std::string blanks(1 << 20, '\n');
        for (std::uintmax_t written = 0; written < c.size; written += blanks.size()) out << blanks;
      }
    }
    // The rest of the groups: a hole of zero bytes, which costs no disk.
    if (*c.head != '\0') std::filesystem::resize_file(dir / tsk::kDataFile, c.size);
    const ChildRun r = runProgram(gssummar.name, dir.path(), 60);
    expectFinishedWith(dir, gssummar, r, c.message);
    // Far below the file's size; the sanitizer build's own stores included.
    EXPECT_LT(r.maxResidentKb, 200 * 1024) << "kB";
  }
}

}  // namespace
