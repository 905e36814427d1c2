// SPDX-License-Identifier: GPL-3.0-or-later
// tskrun run as a user runs it: a subprocess in a working directory.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QSysInfo>
#include <QThread>
#include <cerrno>
#include <cstring>
#include <functional>
#include <thread>

#include "FolderLock.h"
#include "core_test_support.h"

namespace {

namespace fs = std::filesystem;
using tsk::test::crlf;
using tsk::test::qpath;
using tsk::test::TempDir;
using tsk::test::writeFile;

struct Outcome {
  int exitCode = -1;
  std::string out, err;
};

const std::string kClosing = std::string(79, '_') + "\r\n";

void start(QProcess& p, const TempDir& dir, const QStringList& args) {
  p.setWorkingDirectory(qpath(dir.path()));
  p.start(qpath(tsk::test::binDir() / "tskrun"), args);
}

Outcome finish(QProcess& p) {
  EXPECT_TRUE(p.state() == QProcess::NotRunning || p.waitForFinished(60000));
  return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
          p.readAllStandardOutput().toStdString(), p.readAllStandardError().toStdString()};
}

Outcome tskrun(const TempDir& dir, const QStringList& args) {
  QProcess p;
  start(p, dir, args);
  return finish(p);
}

// Waits (up to 20 s) until `path` exists; the stand-in engine's process id
// when it is its pid file.
bool appears(const fs::path& path) {
  QElapsedTimer clock;
  clock.start();
  while (!fs::exists(path) || fs::file_size(path) == 0) {
    if (clock.elapsed() > 20000) return false;
    QThread::msleep(10);
  }
  return true;
}

bool processGone(const fs::path& pidFile) {
  const pid_t pid = static_cast<pid_t>(std::stol(tsk::test::readFile(pidFile)));
  // Ended and reaped by tskrun: no such process any more.
  for (int i = 0; i < 200 && kill(pid, 0) == 0; ++i) QThread::msleep(10);
  return kill(pid, 0) == -1 && errno == ESRCH;
}

void samples(const TempDir& dir) {
  writeFile(dir / "a.dat", tsk::test::kEnteredExample);
  writeFile(dir / "b.dat", tsk::test::kPairExample);
}

TEST(Tskrun, PrintsTheWholeReport) {
  TempDir dir;
  samples(dir);
  // gssummar lies beside tskrun, not in the working directory.
  Outcome o = tskrun(dir, {"gssummar", "a.dat", "b.dat"});
  EXPECT_EQ(o.exitCode, 0) << o.err;
  EXPECT_EQ(o.err, "");
  // The results window's list of samples, named by their files, heads it.
  EXPECT_TRUE(
      tsk::test::sameText(crlf({"     Toskarn - version 1.0", "", "Data selected for analysis",
                                "   Sample 1:  a", "   Sample 2:  b", std::string(79, '_')}) +
                              tsk::test::kTwoSampleReport,
                          o.out));
  // The samples were handed over in the order given.
  EXPECT_EQ(tsk::test::readFile(dir / "tskdat.tmp"),
            crlf({"5", "11", "1", "1", "1", "4", "4", " ", "2", "6", "2", "4", " "}));
}

TEST(Tskrun, Failures) {
  const struct {
    const char* name;
    QStringList args;
    const char* mode;  // for the stand-in engine, or nullptr
    int exitCode;
    std::string err;
  } cases[] = {
      {"no arguments", {}, nullptr, 2, "tskrun: no engine given\nTry 'tskrun --help'.\n"},
      {"no sample",
       {"gssummar"},
       nullptr,
       2,
       "tskrun: no sample file given\nTry 'tskrun --help'.\n"},
      {"unknown option",
       {"-x", "gssummar", "a.dat"},
       nullptr,
       2,
       "tskrun: unknown option -x\nTry 'tskrun --help'.\n"},
      {"path as engine",
       {"../gssummar", "a.dat"},
       nullptr,
       2,
       "tskrun: \"../gssummar\" is not an engine program name.\n"},
      {"missing sample",
       {"gssummar", "a.dat", "gone.dat"},
       nullptr,
       3,
       "tskrun: Cannot read sample file gone.dat: No such file or directory\n"},
      {"missing engine",
       {"gsnone", "a.dat"},
       nullptr,
       1,
       "tskrun: Engine gsnone not found: it is neither in the working directory, nor beside this "
       "program, nor on the search path.\n"},
      {"abnormal end",
       {"tskfake", "a.dat"},
       "exit 4",
       1,
       "tskrun: Engine tskfake ended without finishing its report (exit status 4).\n"},
      {"failure the engine reports",
       {"tskfake", "a.dat"},
       "failed",
       1,
       "tskrun: Engine tskfake reported \"failed: tskfake (cannot write TSKRES.TMP)\".\n"},
      {"report cut short",
       {"tskfake", "a.dat"},
       "cut",
       1,
       "tskrun: Engine tskfake reported \"finished\", but its report tskres.tmp does not end with "
       "the closing line: it is not shown.\n"},
      {"not executable",
       {"gsplain", "a.dat"},
       nullptr,
       1,
       "tskrun: Engine gsplain cannot be started: the file DIR/gsplain is not executable.\n"},
      {"linked exchange file",
       {"gssummar", "a.dat"},
       nullptr,
       3,
       "tskrun: File tskdat.tmp is a symbolic link: it is not written, because that would change "
       "the file it points to. Remove the link and try again.\n"},
      {"sample that is a device",
       {"gssummar", "zero.dat"},
       nullptr,
       3,
       "tskrun: Cannot read sample file zero.dat: it is not a regular file.\n"},
      {"timeout without seconds",
       {"gssummar", "a.dat", "--timeout"},
       nullptr,
       2,
       "tskrun: --timeout needs a number of seconds\nTry 'tskrun --help'.\n"},
      {"pairs of one sample",
       {"--pairs", "gsstoceq", "a.dat"},
       nullptr,
       2,
       "tskrun: --pairs needs two samples or more\nTry 'tskrun --help'.\n"},
      {"each with a two-sample engine",
       {"--each", "gsmean2s", "a.dat", "b.dat"},
       nullptr,
       2,
       "tskrun: --each needs an engine that takes one sample; gsmean2s takes two or more\n"
       "Try 'tskrun --help'.\n"},
      {"table format unknown",
       {"--table", "xls", "gssummar", "a.dat"},
       nullptr,
       2,
       "tskrun: invalid --table xls (give csv, tsv or json)\nTry 'tskrun --help'.\n"},
      {"layout unknown, given with =",
       {"--layout=rows", "gssummar", "a.dat"},
       nullptr,
       2,
       "tskrun: --layout takes samples or pairs\nTry 'tskrun --help'.\n"},
      {"timeout of no time",
       {"--timeout=0", "gssummar", "a.dat"},
       nullptr,
       2,
       "tskrun: invalid --timeout 0 (give seconds, more than 0)\nTry 'tskrun --help'.\n"},
  };
  for (const auto& c : cases) {
    TempDir dir;
    samples(dir);
    if (c.mode) writeFile(dir / "tskfake.mode", c.mode);
    writeFile(dir / "gsplain", "#!/bin/sh\n");
    writeFile(dir / "tskres.tmp", " an older report\r\n" + kClosing);
    fs::create_symlink("/dev/zero", dir / "zero.dat");
    TempDir elsewhere;
    writeFile(elsewhere / "profile", "keep\n");
    if (std::string(c.name) == "linked exchange file")
      fs::create_symlink(elsewhere / "profile", dir / "tskdat.tmp");
    Outcome o = tskrun(dir, c.args);
    EXPECT_EQ(o.exitCode, c.exitCode) << c.name;
    std::string err = c.err;  // DIR stands for the working folder
    if (const auto at = err.find("DIR/"); at != std::string::npos)
      err.replace(at, 3, fs::canonical(dir.path()).string());
    EXPECT_EQ(o.err, err) << c.name;
    EXPECT_EQ(o.out, "") << c.name;
    EXPECT_EQ(tsk::test::readFile(elsewhere / "profile"), "keep\n") << c.name;
    EXPECT_FALSE(fs::exists(dir / "tsklock.tmp")) << c.name;
  }
}

TEST(Tskrun, EngineConsoleGoesToStandardError) {
  TempDir dir;
  samples(dir);
  Outcome o = tskrun(dir, {"--report-only", "--", "tskfake", "a.dat"});
  EXPECT_EQ(o.exitCode, 0);
  EXPECT_EQ(o.out, " fake report\r\n" + kClosing);
  EXPECT_EQ(o.err, " guard text\n");

  // A flood: only the tail is kept, and how much was left out is said.
  writeFile(dir / "tskfake.mode", "console 200000");
  o = tskrun(dir, {"--report-only", "tskfake", "a.dat"});
  EXPECT_EQ(o.exitCode, 0);
  const std::string note =
      "tskrun: the engine wrote 200012 bytes to its console; the first 134476 are left out\n";
  ASSERT_EQ(o.err.size(), note.size() + 65536);
  EXPECT_EQ(o.err.substr(0, note.size()), note);
  EXPECT_EQ(o.err.substr(o.err.size() - 12), " guard text\n");
}

// An engine that never finishes: --timeout and SIGTERM both end it and
// tskrun, with their own statuses.
TEST(Tskrun, EndsAHangingEngine) {
  {
    TempDir dir;
    samples(dir);
    writeFile(dir / "tskfake.mode", "hang");
    QElapsedTimer clock;
    clock.start();
    Outcome o = tskrun(dir, {"--timeout", "0.5", "tskfake", "a.dat"});
    EXPECT_LT(clock.elapsed(), 20000);
    EXPECT_EQ(o.exitCode, 5);
    EXPECT_EQ(o.err,
              "tskrun: Engine tskfake was stopped after 0.5 s without finishing its report.\n");
    EXPECT_EQ(o.out, "");
    EXPECT_TRUE(processGone(dir / "tskfake.pid"));
  }
}

// However tskrun is ended, its engine ends with it, and the next run in the
// folder prints its own report. Signals that tskrun catches give 128 plus
// their number, whether they reach tskrun alone or its whole process group
// (Ctrl+C at a terminal), where the engine may die of them first.
TEST(Tskrun, EndedWhileItsEngineRuns) {
  const struct {
    int signal;
    bool group;
    int exitCode;  // -1: killed
  } cases[] = {
      {SIGINT, false, 130}, {SIGINT, true, 130},  {SIGTERM, false, 143}, {SIGTERM, true, 143},
      {SIGHUP, true, 129},  {SIGKILL, false, -1}, {SIGKILL, true, -1},
  };
  for (const auto& c : cases) {
    const std::string row = std::string(strsignal(c.signal)) + (c.group ? " to the group" : "");
    TempDir dir;
    samples(dir);
    writeFile(dir / "tskfake.mode", "hang");
    QProcess p;
    // A process group of its own, as a shell gives a command it starts.
    p.setChildProcessModifier([] { setpgid(0, 0); });
    start(p, dir, {"tskfake", "a.dat"});
    ASSERT_TRUE(appears(dir / "tskfake.pid")) << row;
    const pid_t pid = static_cast<pid_t>(p.processId());
    kill(c.group ? -pid : pid, c.signal);
    Outcome o = finish(p);
    EXPECT_EQ(o.exitCode, c.exitCode) << row;
    if (c.exitCode > 0) {
      EXPECT_EQ(o.err,
                "tskrun: Engine tskfake was stopped before it finished its report.\n"
                "tskrun: interrupted\n")
          << row;
    }
    EXPECT_TRUE(processGone(dir / "tskfake.pid")) << row;
    o = tskrun(dir, {"--report-only", "gssummar", "a.dat"});
    EXPECT_EQ(o.exitCode, 0) << row << o.err;
    EXPECT_EQ(o.out.substr(0, 28), "  \r\nDescriptive statistics\r\n") << row;
    EXPECT_FALSE(fs::exists(dir / "tsklock.tmp")) << row;
  }
}

// Two runs at once in one folder on different samples: the second waits
// for the first, says so, and each prints the report of its own samples.
TEST(Tskrun, OneRunAtATimePerFolder) {
  TempDir dir;
  samples(dir);
  writeFile(dir / "tskfake.mode", "echo");  // reports its samples once "tskfake.go" exists
  QProcess first, second;
  start(first, dir, {"--report-only", "tskfake", "a.dat"});
  // The first run's engine is running ...
  QElapsedTimer clock;
  clock.start();
  while (tsk::test::readFile(dir / "tskstat.tmp").find("started") == std::string::npos &&
         clock.elapsed() < 20000)
    QThread::msleep(10);
  // ... when the second run starts: it waits, and says so.
  start(second, dir, {"--report-only", "tskfake", "b.dat"});
  second.setReadChannel(QProcess::StandardError);
  ASSERT_TRUE(second.waitForReadyRead(20000));
  EXPECT_EQ(second.readAllStandardError().toStdString(),
            "waiting for another analysis in this folder\n");
  writeFile(dir / "tskfake.go", "");
  const Outcome one = finish(first), two = finish(second);
  EXPECT_EQ(one.exitCode, 0) << one.err;
  EXPECT_EQ(two.exitCode, 0) << two.err;
  EXPECT_EQ(one.out, crlf({"5", "11", "1", "1", "1", "4", "4", " "}) + kClosing);
  EXPECT_EQ(two.out, crlf({"2", "6", "2", "4", " "}) + kClosing);
  EXPECT_EQ(one.err, "");

  // The real engine, a few times over.
  for (int round = 0; round < 4; ++round) {
    start(first, dir, {"gssummar", "a.dat"});
    start(second, dir, {"gssummar", "b.dat"});
    const Outcome a = finish(first), b = finish(second);
    EXPECT_NE(a.out.find("   Sample  1:       5       11"), std::string::npos) << a.out;
    EXPECT_NE(b.out.find("   Sample  1:       2        6"), std::string::npos) << b.out;
  }
}

// --no-wait fails at once while another analysis holds the folder; without
// it, the run waits until the folder is free.
TEST(Tskrun, NoWait) {
  TempDir dir;
  samples(dir);
  tsk::FolderLock held(qpath(dir.path()));
  ASSERT_EQ(held.tryLock(), tsk::FolderLock::State::Locked);
  Outcome o = tskrun(dir, {"--no-wait", "gssummar", "a.dat"});
  EXPECT_EQ(o.exitCode, 4);
  EXPECT_EQ(o.err, "tskrun: another analysis is running in this folder\n");
  EXPECT_EQ(o.out, "");
  EXPECT_FALSE(fs::exists(dir / "tskdat.tmp"));
  // Tables are read before the lock is asked for.
  writeFile(dir / "bad.csv", "a\nx\n");
  EXPECT_EQ(tskrun(dir, {"--no-wait", "gssummar", "bad.csv"}).exitCode, 3);

  QProcess waiting;
  start(waiting, dir, {"--report-only", "gssummar", "a.dat"});
  waiting.setReadChannel(QProcess::StandardError);
  ASSERT_TRUE(waiting.waitForReadyRead(20000));
  EXPECT_EQ(waiting.readAllStandardError().toStdString(),
            "waiting for another analysis in this folder\n");
  held.unlock();
  o = finish(waiting);
  EXPECT_EQ(o.exitCode, 0);
  EXPECT_EQ(o.out.substr(0, 28), "  \r\nDescriptive statistics\r\n");
}

// Whatever lies at tsklock.tmp, a run ends soon: it is refused, taken over
// or, made on another host, waited for until --timeout. Every run here
// would hang for ever if the lock were opened or read as a plain file.
TEST(Tskrun, PlantedLockFiles) {
  const std::string host = QSysInfo::machineHostName().toStdString();
  const std::string notRegular =
      " in the working folder is %, not a regular file; no analysis "
      "can run here until it is removed.\n";
  const struct {
    const char* name;
    std::function<void(const fs::path&)> plant;
    int exitCode, noWaitExitCode;
    std::string err;  // % stands for what the lock file is
  } cases[] = {
      {"named pipe", [](const fs::path& p) { mkfifo(p.c_str(), 0644); }, 6, 6, "a named pipe"},
      {"link to /dev/zero", [](const fs::path& p) { fs::create_symlink("/dev/zero", p); }, 6, 6,
       "a symbolic link"},
      {"folder", [](const fs::path& p) { fs::create_directory(p); }, 6, 6, "a folder"},
      {"dangling link", [](const fs::path& p) { fs::create_symlink("gone", p); }, 6, 6,
       "a symbolic link"},
      {"empty file", [](const fs::path& p) { writeFile(p, ""); }, 0, 0, ""},
      {"unreadable",
       [](const fs::path& p) {
         writeFile(p, "x");
         fs::permissions(p, fs::perms::none);
       },
       0, 0, ""},
      {"owner gone", [&](const fs::path& p) { writeFile(p, "999999\ntskrun\n" + host + "\n"); }, 0,
       0, ""},
      {"other host", [](const fs::path& p) { writeFile(p, "4242\ntoskarn\nfar.example\n"); }, 5, 4,
       ""},
  };
  for (const auto& c : cases) {
    for (const bool noWait : {false, true}) {
      const std::string row = std::string(c.name) + (noWait ? ", --no-wait" : "");
      TempDir dir;
      samples(dir);
      c.plant(dir / "tsklock.tmp");
      QStringList args{"--timeout", "1", "tskfake", "a.dat"};
      if (noWait) args.prepend("--no-wait");
      QProcess p;
      QElapsedTimer clock;
      clock.start();
      start(p, dir, args);
      // Far more than any of them takes, far less than for ever.
      if (!p.waitForFinished(8000)) {
        ADD_FAILURE() << row << ": still running";
        p.kill();
      }
      const Outcome o = finish(p);
      const int expected = noWait ? c.noWaitExitCode : c.exitCode;
      EXPECT_EQ(o.exitCode, expected) << row << o.err;
      if (expected == 6) {
        std::string err = "tskrun: The lock file tsklock.tmp" + notRegular;
        err.replace(err.find('%'), 1, c.err);
        EXPECT_EQ(o.err, err) << row;
      } else if (expected == 0) {
        EXPECT_FALSE(fs::exists(dir / "tsklock.tmp")) << row;
      } else {
        // The other host's lock is left alone, and named while waiting.
        EXPECT_EQ(tsk::test::readFile(dir / "tsklock.tmp"), "4242\ntoskarn\nfar.example\n") << row;
        EXPECT_EQ(o.err, noWait ? "tskrun: another analysis is running in this folder\n"
                                : "waiting for another analysis in this folder (its lock file "
                                  "tsklock.tmp was made on host far.example; remove it if nothing "
                                  "runs there)\ntskrun: gave up waiting for another analysis in "
                                  "this folder after --timeout 1 s\n")
            << row;
        EXPECT_GE(clock.elapsed(), noWait ? 0 : 1000) << row;
      }
    }
  }
}

TEST(Tskrun, Help) {
  TempDir dir;
  Outcome o = tskrun(dir, {"--help"});
  EXPECT_EQ(o.exitCode, 0);
  EXPECT_EQ(o.out.substr(0, 45), "Usage: tskrun [OPTION]... ENGINE FILE.dat...\n");
  EXPECT_NE(o.out.find("Exit status:"), std::string::npos);
}

}  // namespace
