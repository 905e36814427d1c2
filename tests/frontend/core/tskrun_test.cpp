// tskrun run as a user runs it: a subprocess in a working directory.

#include <gtest/gtest.h>

#include <QProcess>

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

Outcome tskrun(const TempDir& dir, const QStringList& args) {
  QProcess p;
  p.setWorkingDirectory(qpath(dir.path()));
  p.start(qpath(tsk::test::binDir() / "tskrun"), args);
  EXPECT_TRUE(p.waitForFinished(60000));
  return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
          p.readAllStandardOutput().toStdString(), p.readAllStandardError().toStdString()};
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
  EXPECT_TRUE(tsk::test::sameText(tsk::test::kTwoSampleReport, o.out));
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
  };
  for (const auto& c : cases) {
    TempDir dir;
    samples(dir);
    if (c.mode) writeFile(dir / "tskfake.mode", c.mode);
    Outcome o = tskrun(dir, c.args);
    EXPECT_EQ(o.exitCode, c.exitCode) << c.name;
    EXPECT_EQ(o.err, c.err) << c.name;
    EXPECT_EQ(o.out, "") << c.name;
  }
}

TEST(Tskrun, EngineConsoleGoesToStandardError) {
  TempDir dir;
  samples(dir);
  Outcome o = tskrun(dir, {"--", "tskfake", "a.dat"});
  EXPECT_EQ(o.exitCode, 0);
  EXPECT_EQ(o.out, " fake report\r\n");
  EXPECT_EQ(o.err, " guard text\n");
}

TEST(Tskrun, Help) {
  TempDir dir;
  Outcome o = tskrun(dir, {"--help"});
  EXPECT_EQ(o.exitCode, 0);
  EXPECT_EQ(o.out.substr(0, 33), "Usage: tskrun ENGINE FILE.dat...\n");
  EXPECT_NE(o.out.find("Exit status:"), std::string::npos);
}

}  // namespace
