// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

#include "platform.h"
#include "test_support.h"

namespace tsk {
namespace {

using test::readFile;
using test::writeFile;

TEST(EngineFrame, StatusEndsHoldingExactlyTheFinishedLine) {
  test::TempDir dir;
  writeFile(dir / kStatusFile, "before start and a long tail of older text\r\nsecond line\r\n");
  EngineContext ctx{dir.path()};
  {
    EngineRun run(ctx, "gsabcdef");
    run.startStatus();
    EXPECT_EQ(readFile(dir / kStatusFile), " started: gsabcdef\r\n");
    run.openReport();
    run.report().message("x");
    run.finish();
  }
  EXPECT_EQ(readFile(dir / kStatusFile), " finished: gsabcdef\r\n");
}

// The rows go to tsktab.tmp before "finished", replacing an older run's
// rows; values keep the precision of their type, and no more digits.
TEST(EngineFrame, TableOfResultsIsWrittenWithTheReport) {
  test::TempDir dir;
  writeFile(dir / kTableFile, std::string(3000, 'o'));
  EngineContext ctx{dir.path()};
  {
    EngineRun run(ctx, "gsabcdef");
    run.startStatus();
    run.openReport();
    run.table().setSeed(93000);
    run.table().add({"1", "BCa bootstrap", "lower_limit", tableNumber(8.9f), "0.95", 20000});
    run.table().add({sampleList(1, 3), "test", "p_value", tableNumber(0.1 + 0.2)});
    run.table().add({"1,2", "test", "p_value", tableNumber(std::optional<double>())});
  }
  EXPECT_EQ(readFile(dir / kTableFile),
            "engine\tgsabcdef\r\nseed\t093000\r\n"
            "samples\tmethod\tstatistic\tvalue\tlevel\treplications\r\n"
            "1\tBCa bootstrap\tlower_limit\t8.9\t0.95\t20000\r\n"
            "1,2,3\ttest\tp_value\t0.30000000000000004\t\t\r\n"
            "1,2\ttest\tp_value\tNA\t\t\r\n");
}

// A parameter file missing from the folder comes from the defaults folder;
// the folder's own file wins, and exchange files never come from there.
TEST(EngineFrame, ParameterFilesFallBackToTheDefaults) {
  test::TempDir dir, defaults;
  writeFile(defaults / "a.par", "x");
  writeFile(defaults / "b.par", "x");
  writeFile(dir / "b.par", "x");
  writeFile(defaults / kDataFile, "x");
  EngineContext ctx{dir.path()};
  ctx.defaultsDir = defaults.path();
  EngineRun run(ctx, "gsabcdef");
  EXPECT_EQ(run.file("a.par"), defaults / "a.par");
  EXPECT_EQ(run.file("b.par"), dir / "b.par");
  EXPECT_EQ(run.file("c.par"), dir / "c.par");
  EXPECT_EQ(run.file(kDataFile), dir / kDataFile);
}

TEST(EngineFrame, ShorterReportLeavesNoTraceOfALongerOne) {
  test::TempDir dir;
  writeFile(dir / kReportFile, std::string(5000, 'o') + "\r\n");
  EngineContext ctx{dir.path()};
  {
    EngineRun run(ctx, "gsabcdef");
    run.openReport();
    run.startStatus();
    run.report().message(" ");
    run.report().format("(/,'title')");
  }
  EXPECT_EQ(readFile(dir / kReportFile),
            "  \r\n\r\ntitle\r\n" + std::string(kClosingLine) + "\r\n");
  EXPECT_EQ(kClosingLine.size(), 79u);
}

TEST(EngineFrame, MissingDataFileIsReportedAndRunStillFinishes) {
  test::TempDir dir;
  EngineContext ctx{dir.path()};
  {
    EngineRun run(ctx, "gsabcdef");
    run.startStatus();
    run.openReport();
    EXPECT_FALSE(run.openData());
  }
  EXPECT_EQ(readFile(dir / kReportFile),
            " " + missingFileMessage("TSKDAT.TMP") + "\r\n" + std::string(kClosingLine) + "\r\n");
  EXPECT_EQ(missingFileMessage("TSKDAT.TMP"), "    ERROR: cannot open file TSKDAT.TMP");
  EXPECT_EQ(readFile(dir / kStatusFile), " finished: gsabcdef\r\n");
}

// A run that writes enough report lines to be handed to the system in
// several pieces.
void longRun(const EngineContext& context, int) {
  EngineRun run(context, "gsabcdef");
  run.openReport();
  run.startStatus();
  for (int i = 0; i < 20000; ++i) run.report().format("('line ',i6)", {i});
}

const std::string kReportFailed = " failed: gsabcdef (cannot write TSKRES.TMP)\r\n";

// A file, link or other entry planted where the run writes must not be
// written through or replaced: the run fails, says so where it still can,
// and the planted entry and its target stay as they were.
TEST(EngineFrame, RefusesLinksAndOtherEntriesPlantedAsItsFiles) {
  enum Kind { SymbolicLink, DanglingLink, HardLink, Fifo, Directory };
  struct Case {
    const char* file;
    Kind kind;
  } cases[] = {
      {kReportFile, SymbolicLink}, {kReportFile, DanglingLink}, {kReportFile, HardLink},
      {kReportFile, Fifo},         {kReportFile, Directory},    {kStatusFile, SymbolicLink},
      {kStatusFile, DanglingLink}, {kStatusFile, HardLink},     {kStatusFile, Fifo},
  };
  const std::string targetText = "export PATH=$HOME/bin:$PATH\n";
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.file) + " planted as kind " + std::to_string(c.kind));
    test::TempDir dir, elsewhere;
    const auto target = elsewhere / "profile";
    const auto planted = dir / c.file;
    if (c.kind != DanglingLink) writeFile(target, targetText);
    switch (c.kind) {
      case SymbolicLink:
      case DanglingLink:
        std::filesystem::create_symlink(target, planted);
        break;
      case HardLink:
        std::filesystem::create_hard_link(target, planted);
        break;
      case Fifo:
        ASSERT_EQ(mkfifo(planted.c_str(), 0600), 0);
        break;
      case Directory:
        std::filesystem::create_directory(planted);
        break;
    }
    const auto typeBefore = std::filesystem::symlink_status(planted).type();
    EngineContext ctx{dir.path()};
    EXPECT_EQ(runEngine(longRun, ctx, 0), 1);
    const bool status = std::string(c.file) == kStatusFile;
    EXPECT_EQ(ctx.failure, status ? "cannot write TSKSTAT.TMP" : "cannot write TSKRES.TMP");
    EXPECT_EQ(std::filesystem::symlink_status(planted).type(), typeBefore);
    if (c.kind == DanglingLink) {
      EXPECT_FALSE(std::filesystem::exists(target));
    } else if (c.kind != Fifo && c.kind != Directory) {
      EXPECT_EQ(readFile(target), targetText);
    }
    if (!status) {
      EXPECT_EQ(readFile(dir / kStatusFile), kReportFailed);
    }
  }
}

// Every output call of a run made to fail in turn, as on a full disk: the
// run exits non-zero, a report that could not be completed is named in the
// status, and a status that says "finished" (its line written before its
// close failed) comes with the whole report.
TEST(EngineFrame, EveryFailedOutputCallFailsTheRun) {
  long calls = 0;
  std::string fullReport;
  {
    test::TempDir dir;
    EngineContext ctx{dir.path()};
    const long before = platform::outputCalls();
    ASSERT_EQ(runEngine(longRun, ctx, 0), 0);
    calls = platform::outputCalls() - before;
    fullReport = readFile(dir / kReportFile);
    EXPECT_EQ(readFile(dir / kStatusFile), " finished: gsabcdef\r\n");
  }
  // report pieces, status write, cut and close, report and table cut and close
  ASSERT_GE(calls, 8);
  for (long n = 1; n <= calls; ++n) {
    SCOPED_TRACE("output call " + std::to_string(n) + " of " + std::to_string(calls));
    test::TempDir dir;
    writeFile(dir / kReportFile, "last week's report\r\n" + std::string(kClosingLine) + "\r\n");
    EngineContext ctx{dir.path()};
    platform::failOutputCall(n);
    EXPECT_EQ(runEngine(longRun, ctx, 0), 1);
    platform::failOutputCall(0);
    const std::string status = readFile(dir / kStatusFile);
    if (ctx.failure == "cannot write TSKRES.TMP") {
      EXPECT_EQ(status, kReportFailed);
    } else if (ctx.failure == "cannot write TSKTAB.TMP") {
      EXPECT_EQ(status, " failed: gsabcdef (cannot write TSKTAB.TMP)\r\n");
    } else {
      EXPECT_EQ(ctx.failure, "cannot write TSKSTAT.TMP");
      if (status.find("finished") != std::string::npos) {
        EXPECT_EQ(readFile(dir / kReportFile), fullReport);
      }
    }
  }
}

// Runs `body` in a child process, as an ordinary user when the tests run as
// root (root may write a read-only file); its exit status, 77 when the
// user cannot be changed.
int inChildProcess(const std::function<int()>& body) {
  const pid_t pid = fork();
  if (pid == 0) {
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(77);
    _exit(body());
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(EngineFrame, ReadOnlyFilesFailTheRunAndKeepTheirText) {
  const std::string oldReport = "last week's report\r\n" + std::string(kClosingLine) + "\r\n";
  for (const char* readOnly : {kReportFile, kStatusFile}) {
    SCOPED_TRACE(readOnly);
    test::TempDir dir;
    writeFile(dir / kReportFile, oldReport);
    writeFile(dir / kStatusFile, "before start\r\n");
    for (const char* name : {kReportFile, kStatusFile}) {
      ASSERT_EQ(chmod((dir / name).c_str(), name == readOnly ? 0444 : 0666), 0);
    }
    EngineContext ctx{dir.path()};
    const int exit = inChildProcess([&] { return runEngine(longRun, ctx, 0); });
    if (exit == 77) GTEST_SKIP() << "cannot run as an ordinary user";
    EXPECT_EQ(exit, 1);
    if (readOnly == kReportFile) {
      EXPECT_EQ(readFile(dir / kReportFile), oldReport);
      EXPECT_EQ(readFile(dir / kStatusFile), kReportFailed);
    } else {
      EXPECT_EQ(readFile(dir / kStatusFile), "before start\r\n");
    }
  }
}

}  // namespace
}  // namespace tsk
