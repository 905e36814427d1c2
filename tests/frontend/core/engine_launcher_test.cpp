// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QtGlobal>

#include "EngineLauncher.h"
#include "ExchangeWriter.h"
#include "core_test_support.h"

namespace {

namespace fs = std::filesystem;
using tsk::EngineOutcome;
using tsk::test::qpath;
using tsk::test::readFile;
using tsk::test::TempDir;
using tsk::test::writeFile;

void installProgram(const fs::path& from, const fs::path& to) {
  fs::copy_file(from, to, fs::copy_options::overwrite_existing);
  fs::permissions(to, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
}

// The closing line that ends every complete report.
const std::string kClosing = std::string(79, '_') + "\r\n";

void installFake(const fs::path& dir, const std::string& name = "tskfake") {
  installProgram(tsk::test::binDir() / "tskfake", dir / name);
}

// A working directory and an empty "program folder", so that only what a
// test puts there can be found.
struct Workplace {
  TempDir work, prog;
  tsk::EngineRunOptions options() const {
    tsk::EngineRunOptions o;
    o.workDir = qpath(work.path());
    o.programDir = qpath(prog.path());
    return o;
  }
};

TEST(EngineLauncher, StatusLine) {
  const struct {
    const char* content;  // nullptr: no status file
    const char* engine;
    bool finished;
  } cases[] = {
      {" finished: gssummar\r\n", "gssummar", true},
      {" finished: gssummar\r\n", "gsmidtst", false},  // another engine's line
      {" finished: gsmeanci\r\n", "gsmeanc9", true},   // a capacity build's
      {" finished: gsmeanci\r\n", "gscrowc9", false},
      {" finished: gsmeanci\r\n", "gsmeanc8", false},
      {"finished", "gssummar", false},  // no name: nothing says whose it is
      {"\tfinished:gssummar  \n", "gssummar", true},
      {" finishe", "gssummar", false},
      {"before start\r\n", "gssummar", false},
      {" started: gssummar\r\n", "gssummar", false},
      {"", "gssummar", false},
      {"\r\nfinished: gssummar\r\n", "gssummar", false},  // only the first line counts
      {",finished: gssummar\r\n", "gssummar", false},     // its first item is empty
      {nullptr, "gssummar", false},
  };
  for (const auto& c : cases) {
    TempDir dir;
    if (c.content) writeFile(dir / "tskstat.tmp", c.content);
    EXPECT_EQ(tsk::statusFinished(qpath(dir / "tskstat.tmp"), c.engine), c.finished)
        << (c.content ? c.content : "none") << " " << c.engine;
  }
}

TEST(EngineLauncher, ResolvesWorkDirThenProgramDirThenSearchPath) {
  Workplace w;
  TempDir onPath;
  const QByteArray oldPath = qgetenv("PATH");
  qputenv("PATH", QByteArray::fromStdString(onPath.path().string()) + ":" + oldPath);
  for (const fs::path& d : {w.work.path(), w.prog.path(), onPath.path()}) installFake(d);
  const QString work = qpath(w.work.path()), prog = qpath(w.prog.path());

  EXPECT_EQ(tsk::resolveEngine("tskfake", work, prog), qpath(w.work / "tskfake"));
  fs::remove(w.work / "tskfake");
  // A file that is not executable is no program.
  writeFile(w.work / "tskfake", "not a program");
  EXPECT_EQ(tsk::resolveEngine("tskfake", work, prog), qpath(w.prog / "tskfake"));
  fs::remove(w.prog / "tskfake");
  EXPECT_EQ(tsk::resolveEngine("tskfake", work, prog), qpath(onPath / "tskfake"));
  fs::remove(onPath / "tskfake");
  EXPECT_EQ(tsk::resolveEngine("tskfake", work, prog), "");
  qputenv("PATH", oldPath);

  for (const char* bad : {"", ".", "..", "../tskfake", "sub/tskfake", "sub\\tskfake"})
    EXPECT_EQ(tsk::resolveEngine(bad, work, prog), "") << bad;
}

TEST(EngineLauncher, RunsTheRealEngine) {
  Workplace w;
  writeFile(w.work / "a.dat", tsk::test::kEnteredExample);
  writeFile(w.work / "b.dat", tsk::test::kPairExample);
  writeFile(w.work / "tskres.tmp", std::string(5000, 'x'));  // an older, longer report
  ASSERT_TRUE(tsk::writeExchangeData(qpath(w.work.path()), {"a.dat", "b.dat"}));

  tsk::EngineRunOptions options = w.options();
  options.programDir = qpath(tsk::test::binDir());
  int events = 0;
  options.processEvents = [&events] { ++events; };
  // Names from a method list come padded with blanks.
  tsk::EngineRunResult r = tsk::RunEngine("gssummar  ", options);
  ASSERT_TRUE(r.ok()) << r.message.toStdString();
  EXPECT_EQ(r.engine.toStdString(), "gssummar");
  EXPECT_EQ(r.program, qpath(tsk::test::binDir() / "gssummar"));
  EXPECT_TRUE(tsk::test::sameText(tsk::test::kTwoSampleReport, tsk::test::str(r.report)));
  EXPECT_EQ(r.message.toStdString(), "");
  EXPECT_EQ(r.console.toStdString(), "");
  EXPECT_EQ(readFile(w.work / "tskstat.tmp"), " finished: gssummar\r\n");
  EXPECT_GE(events, 3);
}

TEST(EngineLauncher, NoticesEnginesThatDoNotFinish) {
  const struct {
    const char* mode;
    int graceMs;
    EngineOutcome outcome;
    std::string message;
    std::string report;
    int exitCode;
  } cases[] = {
      {"finish", 2000, EngineOutcome::Finished, "", " fake report\r\n" + kClosing, 0},
      {"exit 3", 300, EngineOutcome::EndedAbnormally,
       "Engine tskfake ended without finishing its report (exit status 3).", "", 3},
      // Ends at once with status 0 and leaves "before start".
      {"silent", 300, EngineOutcome::EndedAbnormally,
       "Engine tskfake ended without finishing its report (exit status 0).", "", 0},
      {"crash", 300, EngineOutcome::EndedAbnormally,
       "Engine tskfake ended abnormally (it crashed) without finishing its report.", "", 0},
      // "finished" appears 0.3 s after the process has gone.
      {"late", 5000, EngineOutcome::Finished, "", " late report\r\n" + kClosing, 0},
      // The engine says why it did not finish: its words are shown.
      {"failed", 300, EngineOutcome::EngineFailed,
       "Engine tskfake reported \"failed: tskfake (cannot write TSKRES.TMP)\".", "", 0},
      // "finished" over a report cut short: neither it nor the older one.
      {"cut", 300, EngineOutcome::ReportIncomplete,
       "Engine tskfake reported \"finished\", but its report tskres.tmp does not end with the "
       "closing line: it is not shown.",
       "", 0},
  };
  for (const auto& c : cases) {
    Workplace w;
    installFake(w.work.path());
    writeFile(w.work / "tskfake.mode", c.mode);
    // What an earlier run left: it must not pass for this run's outcome.
    writeFile(w.work / "tskstat.tmp", " finished: gssummar\r\n");
    writeFile(w.work / "tskres.tmp", " old report\r\n");
    tsk::EngineRunOptions options = w.options();
    options.graceMs = c.graceMs;
    tsk::EngineRunResult r = tsk::RunEngine("tskfake", options);
    EXPECT_EQ(r.outcome, c.outcome) << c.mode;
    EXPECT_EQ(r.message.toStdString(), c.message) << c.mode;
    EXPECT_EQ(tsk::test::str(r.report), c.report) << c.mode;
    EXPECT_EQ(r.exitCode, c.exitCode) << c.mode;
  }
}

TEST(EngineLauncher, HandsOverAfterBeforeStartAndKeepsTheConsole) {
  Workplace w;
  installFake(w.work.path());
  tsk::EngineRunResult r = tsk::RunEngine("tskfake", w.options());
  ASSERT_TRUE(r.ok());
  // The engine found "before start" when it began.
  EXPECT_EQ(readFile(w.work / "tskfake.seen"), "before start\r\n");
  EXPECT_EQ(tsk::test::str(r.console), " guard text\n");
}

TEST(EngineLauncher, StopsAnEngineAfterTheTimeLimit) {
  Workplace w;
  installFake(w.work.path());
  writeFile(w.work / "tskfake.mode", "hang");
  tsk::EngineRunOptions options = w.options();
  options.timeoutMs = 300;
  tsk::EngineRunResult r = tsk::RunEngine("tskfake", options);
  EXPECT_EQ(r.outcome, EngineOutcome::TimedOut);
  EXPECT_EQ(r.message.toStdString(),
            "Engine tskfake was stopped after 0.3 s without finishing its report.");
  EXPECT_EQ(readFile(w.work / "tskstat.tmp"), " started: tskfake\r\n");
}

TEST(EngineLauncher, EnginesThatCannotRun) {
  Workplace w;
  writeFile(w.work / "tskstat.tmp", " finished: gssummar\r\n");
  tsk::EngineRunResult missing = tsk::RunEngine("gsnone", w.options());
  EXPECT_EQ(missing.outcome, EngineOutcome::NotFound);
  EXPECT_EQ(missing.message.toStdString(),
            "Engine gsnone not found: it is neither in the working directory, nor beside this "
            "program, nor on the search path.");
  // Nothing was started, so the status file is as it was.
  EXPECT_EQ(readFile(w.work / "tskstat.tmp"), " finished: gssummar\r\n");

  for (const char* bad : {"", "   ", "../gssummar", "/bin/sh"}) {
    tsk::EngineRunResult r = tsk::RunEngine(bad, w.options());
    EXPECT_EQ(r.outcome, EngineOutcome::BadName) << bad;
    EXPECT_EQ(r.message.toStdString(),
              "\"" + QString(bad).trimmed().toStdString() + "\" is not an engine program name.");
  }

  // Executable, but not a program the system can start.
  writeFile(w.work / "junk",
            "\x7f"
            "ELF but not really");
  fs::permissions(w.work / "junk", fs::perms::owner_all);
  tsk::EngineRunResult junk = tsk::RunEngine("junk", w.options());
  EXPECT_EQ(junk.outcome, EngineOutcome::FailedToStart);
  EXPECT_EQ(junk.message.left(34).toStdString(), "Engine junk could not be started: ");

  // Found, but the status file is a folder: the engine is not started.
  installFake(w.work.path());
  fs::remove(w.work / "tskstat.tmp");
  fs::create_directory(w.work / "tskstat.tmp");
  tsk::EngineRunResult blocked = tsk::RunEngine("tskfake", w.options());
  EXPECT_EQ(blocked.outcome, EngineOutcome::ExchangeRefused);
  EXPECT_EQ(blocked.message.toStdString(),
            "File tskstat.tmp is not a regular file: it is not written. Engine tskfake not "
            "started.");
  EXPECT_FALSE(fs::exists(w.work / "tskfake.seen"));

  // There, but not executable: said so, not "not found".
  fs::remove(w.work / "tskfake");
  writeFile(w.work / "gsplain", "#!/bin/sh\n");
  tsk::EngineRunResult plain = tsk::RunEngine("gsplain", w.options());
  EXPECT_EQ(plain.outcome, EngineOutcome::NotExecutable);
  EXPECT_EQ(plain.message.toStdString(), "Engine gsplain cannot be started: the file " +
                                             (w.work / "gsplain").string() + " is not executable.");
}

// A link planted as the status or the report file: the engine is not
// started and the file linked to is byte for byte as it was.
TEST(EngineLauncher, RefusesLinkedExchangeFiles) {
  for (const char* file : {"tskstat.tmp", "tskres.tmp"}) {
    Workplace w;
    installFake(w.work.path());
    TempDir elsewhere;
    writeFile(elsewhere / "profile", "keep me\n");
    fs::create_symlink(elsewhere / "profile", w.work / file);
    tsk::EngineRunResult r = tsk::RunEngine("tskfake", w.options());
    EXPECT_EQ(r.outcome, EngineOutcome::ExchangeRefused) << file;
    EXPECT_EQ(r.message.toStdString(),
              "File " + std::string(file) +
                  " is a symbolic link: it is not written, because that would change the file it "
                  "points to. Remove the link and try again. Engine tskfake not started.");
    EXPECT_EQ(readFile(elsewhere / "profile"), "keep me\n") << file;
    EXPECT_TRUE(fs::is_symlink(w.work / file)) << file;
    EXPECT_FALSE(fs::exists(w.work / "tskfake.seen")) << file;
  }
}

// Stopped on request (a Stop button, an interrupt): the engine is ended,
// the run says so and shows no report.
TEST(EngineLauncher, StopsAnEngineOnRequest) {
  Workplace w;
  installFake(w.work.path());
  writeFile(w.work / "tskfake.mode", "hang");
  writeFile(w.work / "tskres.tmp", " old report\r\n" + kClosing);
  tsk::EngineRunOptions options = w.options();
  int polls = 0;
  options.stopRequested = [&polls] { return ++polls > 20; };
  QElapsedTimer clock;
  clock.start();
  tsk::EngineRunResult r = tsk::RunEngine("tskfake", options);
  EXPECT_LT(clock.elapsed(), 10000);
  EXPECT_EQ(r.outcome, EngineOutcome::Stopped);
  EXPECT_EQ(r.message.toStdString(), "Engine tskfake was stopped before it finished its report.");
  EXPECT_TRUE(r.report.isEmpty());
}

// Only the tail of a flood of console output is kept, and the rest counted.
TEST(EngineLauncher, KeepsTheTailOfTheConsole) {
  Workplace w;
  installFake(w.work.path());
  writeFile(w.work / "tskfake.mode", "console 3000000");
  tsk::EngineRunOptions options = w.options();
  options.consoleLimit = 4096;
  tsk::EngineRunResult r = tsk::RunEngine("tskfake", options);
  ASSERT_TRUE(r.ok()) << r.message.toStdString();
  // 3000000 bytes from the loop, then " guard text\n" (12 bytes).
  EXPECT_EQ(r.console.size(), 4096);
  EXPECT_EQ(r.consoleDropped, 3000000 + 12 - 4096);
  EXPECT_TRUE(r.console.endsWith(" guard text\n"));
}

TEST(EngineLauncher, ReportComplete) {
  const std::string line = std::string(79, '_');
  const struct {
    std::string text;
    bool complete;
  } cases[] = {
      {"  Report\r\n" + line + "\r\n", true},
      {line + "\r\n", true},
      {"  Report\n" + line + "\n", true},  // readers accept LF alone
      {"  Report\r\n" + line, false},      // the line end is part of it
      {"  Report\r\n" + line.substr(1) + "\r\n", false},
      {"  Report\r\n_" + line + "\r\n", false},  // 80 underscores
      {"  Report " + line + "\r\n", false},      // not a line of its own
      {"  Report\r\n" + line + "\r\n  more\r\n", false},
      {"", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(tsk::reportComplete(QByteArray::fromStdString(c.text)), c.complete) << c.text;
}

}  // namespace
