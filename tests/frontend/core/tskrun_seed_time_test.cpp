// SPDX-License-Identifier: GPL-3.0-or-later
// Repeatable runs through tskrun: the second it hands to a resampling engine,
// the line on standard error that names it, and the command printed there,
// which must give the same report again.

#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>

#include "EngineLauncher.h"
#include "SeedTime.h"
#include "core_test_support.h"

namespace {

namespace fs = std::filesystem;
using tsk::test::qpath;
using tsk::test::TempDir;

struct Outcome {
  int exitCode = -1;
  std::string out, err;
};

// Runs `program` in dir with TSK_SEED_TIME set to `seedTime` (nullptr:
// unset) and the built programs first on PATH, as a user's shell would.
Outcome start(const TempDir& dir, const QString& program, const QStringList& args,
              const char* seedTime = nullptr) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.remove(QStringLiteral("TSK_SEED_TIME"));
  if (seedTime) env.insert(QStringLiteral("TSK_SEED_TIME"), QString::fromLatin1(seedTime));
  env.insert(QStringLiteral("PATH"),
             qpath(tsk::test::binDir()) + u':' + env.value(QStringLiteral("PATH")));
  QProcess p;
  p.setProcessEnvironment(env);
  p.setWorkingDirectory(qpath(dir.path()));
  p.start(program, args);
  EXPECT_TRUE(p.waitForFinished(120000));
  return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
          p.readAllStandardOutput().toStdString(), p.readAllStandardError().toStdString()};
}

Outcome tskrun(const TempDir& dir, const QStringList& args, const char* seedTime = nullptr) {
  return start(dir, qpath(tsk::test::binDir() / "tskrun"), args, seedTime);
}

// The delivered example and parameter file, as `make run` lays them out.
void deliveredFiles(const TempDir& dir) {
  for (const char* name : {"gulls.dat", "terns.dat", "gsmeanci.par", "steqreps.par"})
    fs::copy_file(tsk::test::dataDir() / name, dir / name);
}

// The "bootst. indices" parts of a gsmeanci report, one per level.
std::vector<std::string> bootstrapIndices(const std::string& report) {
  std::vector<std::string> indices;
  for (const std::string& line : tsk::test::splitLines(report)) {
    const size_t at = line.find("(bootst. indices:");
    if (at != std::string::npos) indices.push_back(line.substr(at));
  }
  return indices;
}

TEST(TskrunSeedTime, SameSecondSameReport) {
  TempDir dir;
  deliveredFiles(dir);
  // The README's example, run twice.
  const QStringList args{"--seed-time", "101500", "gsmeanci", "gulls.dat"};
  const Outcome first = tskrun(dir, args);
  const Outcome second = tskrun(dir, args);
  ASSERT_EQ(first.exitCode, 0) << first.err;
  EXPECT_EQ(first.err,
            "tskrun: seed time 10:15:00; repeat with: tskrun --seed-time 101500 gsmeanci "
            "gulls.dat\n");
  EXPECT_EQ(second.exitCode, 0);
  EXPECT_EQ(second.out, first.out);
  EXPECT_EQ(second.err, first.err);
  ASSERT_EQ(bootstrapIndices(first.out).size(), 3u) << first.out;

  // The option given as --seed-time=HHMMSS, and TSK_SEED_TIME taken from
  // the environment when there is no option, name the same second.
  EXPECT_EQ(tskrun(dir, {"--seed-time=101500", "gsmeanci", "gulls.dat"}).out, first.out);
  const Outcome inherited = tskrun(dir, {"gsmeanci", "gulls.dat"}, "101500");
  EXPECT_EQ(inherited.out, first.out);
  EXPECT_EQ(inherited.err, first.err);

  // Another second resamples otherwise: other bootstrap indices.
  const Outcome other = tskrun(dir, {"--seed-time", "101501", "gsmeanci", "gulls.dat"});
  EXPECT_EQ(other.exitCode, 0);
  EXPECT_NE(bootstrapIndices(other.out), bootstrapIndices(first.out)) << other.out;
}

// The launcher hands its second to the engine through the environment: the
// report is the one of that second, not of the clock's.
TEST(TskrunSeedTime, LauncherHandsTheSecondDown) {
  TempDir dir;
  deliveredFiles(dir);
  qunsetenv("TSK_SEED_TIME");
  const std::string atThreeFourFive =
      tskrun(dir, {"--report-only", "--seed-time", "030405", "gsmeanci", "gulls.dat"}).out;
  tsk::EngineRunOptions options;
  options.workDir = qpath(dir.path());
  options.programDir = qpath(tsk::test::binDir());
  options.seedTime = QStringLiteral("030405");
  const tsk::EngineRunResult run = tsk::RunEngine(QStringLiteral("gsmeanci"), options);
  ASSERT_TRUE(run.ok()) << run.message.toStdString();
  EXPECT_EQ(tsk::test::str(run.report), atThreeFourFive);
  options.seedTime = QStringLiteral("030406");
  EXPECT_NE(tsk::test::str(tsk::RunEngine(QStringLiteral("gsmeanci"), options).report),
            atThreeFourFive);
}

// Without a second given, tskrun picks one itself; the command it prints,
// run by a shell, repeats the run byte for byte, even for file names that
// need quoting.
TEST(TskrunSeedTime, PrintedCommandRepeatsTheRun) {
  TempDir dir;
  deliveredFiles(dir);
  fs::copy_file(dir / "gulls.dat", dir / "gulls 2026.dat");
  fs::copy_file(dir / "terns.dat", dir / "it's terns.dat");
  const QStringList runs[] = {{"gsmeanci", "gulls 2026.dat"},
                              {"gsstoceq", "gulls.dat", "it's terns.dat"}};
  for (const QStringList& args : runs) {
    SCOPED_TRACE(args.join(u' ').toStdString());
    const Outcome run = tskrun(dir, args);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    static const QRegularExpression line(
        QStringLiteral("^tskrun: seed time (\\d\\d):(\\d\\d):(\\d\\d); repeat with: "
                       "(tskrun --seed-time (\\d{6}) .*)\n$"));
    const QRegularExpressionMatch m = line.match(QString::fromStdString(run.err));
    ASSERT_TRUE(m.hasMatch()) << run.err;
    EXPECT_EQ(m.captured(1) + m.captured(2) + m.captured(3), m.captured(5));
    const Outcome again = start(dir, QStringLiteral("/bin/sh"), {"-c", m.captured(4)});
    EXPECT_EQ(again.exitCode, 0) << again.err;
    EXPECT_EQ(again.out, run.out);
    EXPECT_EQ(again.err, run.err);
  }
}

TEST(TskrunSeedTime, BadSecondsAndEnginesWithoutRandomNumbers) {
  TempDir dir;
  deliveredFiles(dir);
  const std::string usage =
      "tskrun: --seed-time needs six digits HHMMSS, from 000000 to 235959\n"
      "Try 'tskrun --help'.\n";
  const struct {
    QStringList args;
    int exitCode;
    std::string err;
  } cases[] = {
      {{"--seed-time", "240000", "gsmeanci", "gulls.dat"}, 2, usage},
      {{"--seed-time", "10:15:00", "gsmeanci", "gulls.dat"}, 2, usage},
      {{"--seed-time=", "gsmeanci", "gulls.dat"}, 2, usage},
      {{"gsmeanci", "gulls.dat", "--seed-time"},
       2,
       "tskrun: --seed-time needs a time HHMMSS\nTry 'tskrun --help'.\n"},
      // No line for an engine that draws no random numbers.
      {{"--seed-time", "101500", "gssummar", "gulls.dat"}, 0, ""},
  };
  for (const auto& c : cases) {
    const Outcome o = tskrun(dir, c.args);
    EXPECT_EQ(o.exitCode, c.exitCode) << c.args.join(u' ').toStdString();
    EXPECT_EQ(o.err, c.err) << c.args.join(u' ').toStdString();
  }
}

// A malformed TSK_SEED_TIME reaches the engine unchanged: its report says
// so after the title and ends as usual; tskrun fails the run on that ERROR
// line and names no second.
TEST(TskrunSeedTime, MalformedEnvironmentIsReportedByTheEngine) {
  TempDir dir;
  deliveredFiles(dir);
  const Outcome o = tskrun(dir, {"--report-only", "gsmeanci", "gulls.dat"}, "25h");
  EXPECT_EQ(o.exitCode, 1) << o.err;
  EXPECT_EQ(o.err,
            "tskrun: gsmeanci reported an error: ERROR: TSK_SEED_TIME must be six digits "
            "hhmmss, 000000 to 235959\n");
  EXPECT_TRUE(tsk::test::sameText(
      tsk::test::crlf({"", "Bootstrap (BCa) confidence limits for the mean group size", " ",
                       "     ERROR: TSK_SEED_TIME must be six digits hhmmss, 000000 to 235959",
                       std::string(79, '_')}),
      o.out));
  EXPECT_EQ(tsk::test::readFile(dir / "tskstat.tmp"), " finished: gsmeanci\r\n");
}

// The words of the repeat command as a shell reads them back.
TEST(SeedTimeText, RepeatCommandAndResultsLine) {
  const struct {
    QString engine;
    QStringList files;
    QString command;
  } cases[] = {
      {"gsmeanci", {"gulls.dat"}, "tskrun --seed-time 140327 gsmeanci gulls.dat"},
      {" gsstoce9", {"a.dat", "b.dat"}, "tskrun --seed-time 140327 gsstoce9 a.dat b.dat"},
      {"gsmeanci", {"my gulls.dat"}, "tskrun --seed-time 140327 gsmeanci \"my gulls.dat\""},
      {"gsmeanci", {"$HOME.dat"}, "tskrun --seed-time 140327 gsmeanci '$HOME.dat'"},
      {"gsmeanci", {"it's.dat"}, "tskrun --seed-time 140327 gsmeanci \"it's.dat\""},
      {"gsmeanci", {"it's $1.dat"}, "tskrun --seed-time 140327 gsmeanci 'it'\\''s $1.dat'"},
      {"gsmeanci", {"-x.dat"}, "tskrun --seed-time 140327 -- gsmeanci -x.dat"},
      {"gsmeanci", {"sub/x-1,2.dat"}, "tskrun --seed-time 140327 gsmeanci sub/x-1,2.dat"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(tsk::repeatCommand(QStringLiteral("140327"), c.engine, c.files).toStdString(),
              c.command.toStdString());
  }
  EXPECT_EQ(tsk::seedTimeLine(QStringLiteral("140327"), QStringLiteral("gsmeanci"),
                              {QStringLiteral("gulls.dat")})
                .toStdString(),
            "Random numbers: seed time 14:03:27 (tskrun --seed-time 140327 gsmeanci gulls.dat "
            "repeats this run)");
}

TEST(SeedTimeText, ValidSecondsAndRandomEngines) {
  for (const char* good : {"000000", "101500", "235959"})
    EXPECT_TRUE(tsk::isSeedTime(QString::fromLatin1(good))) << good;
  for (const char* bad : {"", "240000", "236000", "235960", "10150", "1015000", "10:15:", "1o1500"})
    EXPECT_FALSE(tsk::isSeedTime(QString::fromLatin1(bad))) << bad;
  for (const char* random : {"gsmeanci", "gsmeanc9", "gscrowci", "gscrowc9", "gsmean2s", "gsmean29",
                             "gscrow2s", "gscrow29", "gsstoceq", "gsstoce9"})
    EXPECT_TRUE(tsk::usesRandomNumbers(QString::fromLatin1(random))) << random;
  for (const char* plain : {"gssummar", "gsmidlim", "gsmidtst", "gsmidts9", "tskfake", ""})
    EXPECT_FALSE(tsk::usesRandomNumbers(QString::fromLatin1(plain))) << plain;
  // The second chosen now is a valid one.
  qunsetenv("TSK_SEED_TIME");
  EXPECT_TRUE(tsk::isSeedTime(tsk::chooseSeedTime()));
}

}  // namespace
