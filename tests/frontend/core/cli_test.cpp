// SPDX-License-Identifier: GPL-3.0-or-later
// The command line as a new user meets it: a folder holding nothing but
// sample files, every program asked for help, batches of samples.

#include <gtest/gtest.h>

#include <QProcess>
#include <QRegularExpression>
#include <cmath>
#include <map>

#include "EngineInfo.h"
#include "core_test_support.h"

namespace {

namespace fs = std::filesystem;
using tsk::test::qpath;
using tsk::test::readFile;
using tsk::test::TempDir;

struct Outcome {
  int exitCode = -1;
  std::string out, err;
};

Outcome run(const TempDir& dir, const std::string& program, const QStringList& args) {
  QProcess p;
  p.setWorkingDirectory(qpath(dir.path()));
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  // No display: --help must not need one.
  environment.remove(QStringLiteral("DISPLAY"));
  environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
  p.setProcessEnvironment(environment);
  p.start(qpath(tsk::test::binDir() / program), args);
  EXPECT_TRUE(p.waitForFinished(120000)) << program;
  return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
          p.readAllStandardOutput().toStdString(), p.readAllStandardError().toStdString()};
}

Outcome tskrun(const TempDir& dir, const QStringList& args) { return run(dir, "tskrun", args); }

// Every file of the folder with its content.
std::map<std::string, std::string> contents(const TempDir& dir) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::directory_iterator(dir.path()))
    files[entry.path().filename().string()] = readFile(entry.path());
  return files;
}

void copySamples(const TempDir& dir, std::initializer_list<const char*> names) {
  for (const char* name : names) fs::copy_file(tsk::test::dataDir() / name, dir / name);
}

const char* const kEngines[] = {"gssummar", "gsmidlim", "gsmeanci", "gsmeanc9", "gscrowci",
                                "gscrowc9", "gsmean2s", "gsmean29", "gscrow2s", "gscrow29",
                                "gsmidtst", "gsmidts9", "gsstoceq", "gsstoce9"};

bool twoSamples(const std::string& engine) {
  return tsk::engineInfo(QString::fromStdString(engine))->minSamples > 1;
}

// True when the report prints `value` to its precision somewhere: a number
// of d decimals within half a unit of its last place (a proportion may be
// printed as a percentage).
bool printed(const std::string& report, double value) {
  static const QRegularExpression number(QStringLiteral("-?\\d+(\\.(\\d+))?"));
  auto it = number.globalMatch(QString::fromStdString(report));
  while (it.hasNext()) {
    const QRegularExpressionMatch m = it.next();
    const double shown = m.captured(0).toDouble();
    const double halfUnit = 0.5 * std::pow(10.0, -m.captured(2).size()) * (1 + 1e-9);
    if (std::fabs(value - shown) <= halfUnit || std::fabs(100 * value - shown) <= halfUnit)
      return true;
  }
  return false;
}

// Only .dat files in the folder: the delivered parameter files are used,
// named on standard error, and nothing is written beside the samples but
// the exchange files. The table's values are those the report prints.
TEST(CommandLine, EveryEngineInAFolderOfSamplesOnly) {
  for (const std::string engine : kEngines) {
    TempDir dir;
    copySamples(dir, {"gulls.dat", "terns.dat"});
    QStringList args{"--seed-time", "101500", QString::fromStdString(engine), "gulls.dat"};
    if (twoSamples(engine)) args << "terns.dat";
    const Outcome o = tskrun(dir, args);
    EXPECT_EQ(o.exitCode, 0) << engine << o.err;
    EXPECT_EQ(o.out.find("ERROR"), std::string::npos) << engine;
    EXPECT_TRUE(o.out.ends_with(std::string(79, '_') + "\r\n")) << engine;
    EXPECT_GT(o.out.size(), 400u) << engine;
    const bool parameters = engine != "gssummar" && engine != "gsmidlim";
    EXPECT_EQ(o.err.find("is not in this folder; using the delivered") != std::string::npos,
              parameters)
        << engine << o.err;
    for (const auto& [name, content] : contents(dir))
      EXPECT_TRUE(name.ends_with(".dat") || name.starts_with("tsk")) << engine << " wrote " << name;

    const Outcome table = tskrun(dir, QStringList{"--table", "csv"} + args);
    EXPECT_EQ(table.exitCode, 0) << engine << table.err;
    const std::vector<std::string> rows = tsk::test::splitLines(table.out);
    EXPECT_GT(rows.size(), 3u) << engine;
    for (size_t i = 1; i < rows.size(); ++i) {
      const QStringList cells = QString::fromStdString(rows[i]).split(u',');
      ASSERT_EQ(cells.size(), 8) << rows[i];
      if (cells[4] == u"NA") continue;
      EXPECT_TRUE(printed(o.out, cells[4].toDouble())) << engine << ": " << rows[i];
      EXPECT_EQ(cells[7] == u"101500", engine != "gssummar" && !engine.starts_with("gsmid"))
          << rows[i];
    }
  }
}

// An ERROR line in the report fails the run: the report is shown, one line
// on standard error says why, and no command to repeat it follows.
TEST(CommandLine, ErrorInTheReportFailsTheRun) {
  const struct {
    QStringList args;
    std::string err;
  } cases[] = {
      {{"gsmeanci", "one.dat"},
       "tskrun: gsmeanci reported an error: ERROR: one group only, no confidence limits\n"},
      {{"--each", "gscrowci", "gulls.dat", "one.dat"},
       "tskrun: gscrowci reported an error (one): ERROR: one group only, no confidence limits\n"},
      {{"gsmidtst", "one.dat"}, "tskrun: gsmidtst reported an error: ERROR:"},
  };
  for (const auto& c : cases) {
    TempDir dir;
    copySamples(dir, {"gulls.dat", "gsmeanci.par", "crowreps.par", "gsmidtst.par"});
    tsk::test::writeFile(dir / "one.dat", tsk::test::crlf({"1", "3", "3"}));
    const Outcome o = tskrun(dir, c.args);
    EXPECT_EQ(o.exitCode, 1) << c.err;
    EXPECT_TRUE(o.err.starts_with(c.err)) << o.err;
    EXPECT_EQ(std::count(o.err.begin(), o.err.end(), '\n'), 1) << o.err;
    EXPECT_NE(o.out.find("ERROR:"), std::string::npos);
  }
}

// Where a test has no p-value (samples that do not overlap), the report's
// -1.0000 becomes NA in the table, never a number.
TEST(CommandLine, TableSaysNAWhereNoValueExists) {
  TempDir dir;
  copySamples(dir, {"steqreps.par"});
  tsk::test::writeFile(dir / "low.dat", tsk::test::crlf({"3", "4", "1", "1", "2"}));
  tsk::test::writeFile(dir / "high.dat", tsk::test::crlf({"3", "18", "5", "6", "7"}));
  const Outcome o = tskrun(dir, {"--table", "csv", "gsstoceq", "low.dat", "high.dat"});
  EXPECT_EQ(o.exitCode, 0) << o.err;
  EXPECT_NE(o.out.find(",Brunner-Munzel test,low vs high,p_value,NA,,,"), std::string::npos)
      << o.out;
  EXPECT_EQ(o.out.find("-1"), std::string::npos) << o.out;
}

// Samples are named by their .dat files and by their columns' headings.
TEST(CommandLine, HeaderNamesFilesAndColumns) {
  TempDir dir;
  copySamples(dir, {"gulls.dat", "shorebirds.csv"});
  Outcome o = tskrun(dir, {"gssummar", "shorebirds.csv", "gulls.dat"});
  EXPECT_EQ(o.exitCode, 0) << o.err;
  EXPECT_TRUE(o.out.starts_with(tsk::test::crlf(
      {"     Toskarn - version 1.0", "", "Data selected for analysis", "   Sample 1:  harbour",
       "   Sample 2:  lagoon", "   Sample 3:  islands", "   Sample 4:  gulls", std::string(79, '_'),
       "  ", "Descriptive statistics"})))
      << o.out;
  o = tskrun(dir, {"--report-only", "gssummar", "gulls.dat"});
  EXPECT_TRUE(o.out.starts_with("  \r\nDescriptive statistics\r\n")) << o.out;
}

// A batch gives, run by run, what separate runs at the same second give.
TEST(CommandLine, BatchesEqualSeparateRuns) {
  const std::vector<QStringList> each{{"gulls.dat"}, {"terns.dat"}, {"deer.dat"}};
  const std::vector<QStringList> pairs{
      {"gulls.dat", "terns.dat"}, {"gulls.dat", "deer.dat"}, {"terns.dat", "deer.dat"}};
  const struct {
    QStringList mode;
    const char* engine;
    std::vector<QStringList> runs;
  } cases[] = {
      {{"--each"}, "gscrowci", each},
      {{"--table", "csv", "--each"}, "gsmeanci", each},
      {{"--pairs"}, "gsstoceq", pairs},
      {{"--table", "csv", "--pairs"}, "gsmean2s", pairs},
  };
  for (const auto& c : cases) {
    TempDir dir;
    copySamples(dir, {"gulls.dat", "terns.dat", "deer.dat"});
    const QStringList seed{"--seed-time", "093000"};
    const Outcome batch =
        tskrun(dir, seed + c.mode + QStringList{c.engine, "gulls.dat", "terns.dat", "deer.dat"});
    EXPECT_EQ(batch.exitCode, 0) << batch.err;
    // A table is one table: the separate runs' rows under one heading.
    const bool table = c.mode.size() > 1;
    std::string separate;
    for (const QStringList& samples : c.runs) {
      QStringList args = seed + c.mode.mid(0, table ? 2 : 0);
      args << c.engine;
      std::string out = tskrun(dir, args + samples).out;
      if (table && !separate.empty()) out.erase(0, out.find('\n') + 1);
      separate += out;
    }
    EXPECT_EQ(batch.out, separate) << c.engine;
    EXPECT_TRUE(batch.err.ends_with("repeat with: tskrun --seed-time 093000 " +
                                    c.mode.join(u' ').toStdString() + " " + c.engine +
                                    " gulls.dat terns.dat deer.dat\n"))
        << batch.err;
  }
}

// --help and --version answer without a display and leave the folder
// byte for byte as it was; an engine given anything else says how it is
// used and ends with status 2, and so does an unknown option of toskarn.
TEST(CommandLine, HelpAndVersionTouchNothing) {
  std::vector<std::string> programs(std::begin(kEngines), std::end(kEngines));
  programs.insert(programs.end(), {"tskrun", "tskconvert", "toskarn"});
  TempDir dir;
  copySamples(dir, {"gulls.dat"});
  tsk::test::writeFile(dir / "tskres.tmp", "an older report\r\n");
  const auto before = contents(dir);
  for (const std::string& program : programs) {
    if (program == "toskarn" && !fs::exists(tsk::test::binDir() / program))
      continue;  // no GUI build
    for (const char* option : {"--help", "--version"}) {
      const Outcome o = run(dir, program, {option});
      EXPECT_EQ(o.exitCode, 0) << program << option << o.err;
      EXPECT_FALSE(o.out.empty()) << program << option;
    }
    const bool engine = program.starts_with("gs");
    if (engine || program == "toskarn") {
      const Outcome o = run(dir, program, {"--bogus"});
      EXPECT_EQ(o.exitCode, 2) << program;
      EXPECT_NE(o.err.find(engine ? "Usage: " + program : "unknown option --bogus"),
                std::string::npos)
          << program << o.err;
    }
    EXPECT_EQ(contents(dir), before) << program;
  }
}

}  // namespace
