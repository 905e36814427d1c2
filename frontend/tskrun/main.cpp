// tskrun: runs one engine on sample files from the command line, as the
// analysis window would, and prints the engine's report.

#include <QCoreApplication>
#include <QDir>
#include <QStringList>
#include <cstdio>

#include "EngineLauncher.h"
#include "ExchangeWriter.h"

namespace {

// Exit statuses, also listed in the help text.
enum Exit { kOk = 0, kEngineFailed = 1, kBadArguments = 2, kSampleUnreadable = 3 };

const char* const kHelp =
    "Usage: tskrun ENGINE FILE.dat...\n"
    "\n"
    "Runs the analysis engine ENGINE on the sample files FILE.dat, in the\n"
    "current working directory, exactly as the analysis window does: writes\n"
    "the samples, in the order given, to tskdat.tmp, starts ENGINE with the\n"
    "status handshake of tskstat.tmp, waits until it reports \"finished\" and\n"
    "prints its report (tskres.tmp) unchanged to standard output. The engine's\n"
    "own console lines, if any, go to standard error.\n"
    "\n"
    "A FILE ending in .csv, .tsv or .txt is read as a table exported from a\n"
    "spreadsheet and gives one sample per column, in column order (see\n"
    "tskconvert --help for the layouts it takes).\n"
    "\n"
    "ENGINE is a program name without folder, for example gssummar. It is\n"
    "looked for in the working directory, then beside tskrun, then on the\n"
    "search path (PATH). Engines that need a parameter file (gsmeanci.par,\n"
    "crowreps.par, ...) read it from the working directory.\n"
    "\n"
    "Exit status:\n"
    "  0  the engine finished; its report is on standard output\n"
    "  1  the engine was not found, could not be started, or ended without\n"
    "     finishing its report\n"
    "  2  bad arguments\n"
    "  3  a sample file cannot be read or is not a table of group sizes, or\n"
    "     tskdat.tmp cannot be written\n"
    "\n"
    "Examples: tskrun gssummar gulls.dat terns.dat > report.txt\n"
    "          tskrun gsstoceq survey.csv\n";

int usageError(const char* what) {
  std::fprintf(stderr, "tskrun: %s\nTry 'tskrun --help'.\n", what);
  return kBadArguments;
}

void printError(const QString& message) {
  std::fprintf(stderr, "tskrun: %s\n", message.toLocal8Bit().constData());
}

}  // namespace

int main(int argc, char* argv[]) {
  QCoreApplication app(argc, argv);
  QStringList args = QCoreApplication::arguments().mid(1);

  QStringList operands;
  bool options = true;
  for (const QString& arg : args) {
    if (options && (arg == u"--help" || arg == u"-h")) {
      std::fputs(kHelp, stdout);
      return kOk;
    }
    if (options && arg == u"--") {
      options = false;
    } else if (options && arg.startsWith(u'-') && arg.size() > 1) {
      return usageError(("unknown option " + arg.toLocal8Bit()).constData());
    } else {
      operands << arg;
    }
  }
  if (operands.isEmpty()) return usageError("no engine given");
  if (operands.size() < 2) return usageError("no sample file given");

  const QString engine = operands.takeFirst();
  const QString workDir = QDir::currentPath();
  tsk::ExchangeWrite written = tsk::writeExchangeData(workDir, operands);
  if (!written) {
    printError(written.error);
    return kSampleUnreadable;
  }

  tsk::EngineRunOptions runOptions;
  runOptions.workDir = workDir;
  tsk::EngineRunResult run = tsk::RunEngine(engine, runOptions);
  if (!run.console.isEmpty()) std::fwrite(run.console.constData(), 1, run.console.size(), stderr);
  if (!run.ok()) {
    printError(run.message);
    return run.outcome == tsk::EngineOutcome::BadName ? kBadArguments : kEngineFailed;
  }
  std::fwrite(run.report.constData(), 1, run.report.size(), stdout);
  if (std::fflush(stdout) != 0) {
    printError(QStringLiteral("cannot write the report to standard output"));
    return kEngineFailed;
  }
  return kOk;
}
