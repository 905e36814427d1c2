// SPDX-License-Identifier: GPL-3.0-or-later
// tskconvert: turns a table of group sizes exported from a spreadsheet into
// sample files (.dat) that the desktop program and tskrun read.

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <cstdio>
#include <vector>

#include "SampleFile.h"
#include "SampleTable.h"
#include "TskVersion.h"

namespace {

// Exit statuses, also listed in the help text.
enum Exit {
  kOk = 0,
  kWriteFailed = 1,
  kBadArguments = 2,
  kTableUnreadable = 3,
  kWouldOverwrite = 4
};

const char* const kHelp =
    "Usage: tskconvert [--force] [--layout samples|pairs] FILE [OUTDIR]\n"
    "\n"
    "Reads FILE, a table of group sizes exported from a spreadsheet or typed in\n"
    "an editor, and writes one sample file NAME.dat per sample into the folder\n"
    "OUTDIR (default: the current folder), where the desktop program and tskrun\n"
    "find it. FILE may be CSV with commas or semicolons, tab-separated text, or\n"
    "plain columns separated by blanks; the name need not end in .csv.\n"
    "\n"
    "Layouts:\n"
    "  one column       one group size per row\n"
    "  two columns      each row a group size and its number of groups, under\n"
    "                   headings such as size;count\n"
    "  several columns  one sample per column, under a header row that names\n"
    "                   each sample: NAME is the column's heading\n"
    "A sample without a heading of its own is named after FILE: gulls.csv\n"
    "gives gulls.dat. Two columns under headings that name neither a size nor\n"
    "a count (for example north;south) are two samples. Two columns of numbers\n"
    "without headings, or under headings of digits alone (years), read both\n"
    "ways and are refused unless --layout says which.\n"
    "\n"
    "Blank rows, empty columns, a header row, quoted fields, a byte-order mark\n"
    "and CR LF or LF line ends are taken in stride. Sizes and numbers of groups\n"
    "are whole numbers from 1 to 30000; 3.0 and 3,0 count as 3, while 3.5, 3,5\n"
    "and 3.000 (a thousands separator or a decimal part?) are refused.\n"
    "\n"
    "Nothing is written when FILE has a fault (the message names its line and\n"
    "column), nor when one of the sample files exists already (read-only ones\n"
    "included), unless --force is given. The sample files are written all or\n"
    "none: if one cannot be written (a full disk, a folder without write\n"
    "permission), those already written by this run are removed, and files\n"
    "that were there before are left as they were.\n"
    "\n"
    "Options:\n"
    "  --force           replace sample files that exist already\n"
    "  --layout samples  one sample per column, named by the first row\n"
    "  --layout pairs    each row a group size and its number of groups\n"
    "  --help            show this text\n"
    "  --version         print the version\n"
    "\n"
    "Exit status:\n"
    "  0  every sample file was written; each is listed on standard output\n"
    "  1  a sample file could not be written (the message gives the system's\n"
    "     reason); none was written\n"
    "  2  bad arguments\n"
    "  3  FILE cannot be read or is not a table of group sizes\n"
    "  4  a sample file exists already and --force was not given; nothing\n"
    "     was written\n"
    "\n"
    "Example: tskconvert survey.csv && tskrun gssummar north.dat south.dat\n";

int usageError(const QString& what) {
  std::fprintf(stderr, "tskconvert: %s\nTry 'tskconvert --help'.\n",
               what.toLocal8Bit().constData());
  return kBadArguments;
}

void printError(const QString& message) {
  std::fprintf(stderr, "tskconvert: %s\n", message.toLocal8Bit().constData());
}

}  // namespace

int main(int argc, char* argv[]) {
  QCoreApplication app(argc, argv);
  const QStringList args = QCoreApplication::arguments().mid(1);

  QStringList operands;
  bool options = true, force = false;
  tsk::TableLayout layout = tsk::TableLayout::Undecided;
  for (qsizetype i = 0; i < args.size(); ++i) {
    const QString& arg = args[i];
    if (options && (arg == u"--help" || arg == u"-h")) {
      std::fputs(kHelp, stdout);
      return kOk;
    }
    if (options && arg == u"--version") {
      std::printf("tskconvert %s\n", tsk::kVersion);
      return kOk;
    }
    if (options && arg == u"--") {
      options = false;
    } else if (options && arg == u"--force") {
      force = true;
    } else if (options && arg == u"--layout") {
      const auto chosen = tsk::tableLayoutNamed(i + 1 < args.size() ? args[++i] : QString());
      if (!chosen) return usageError(QStringLiteral("--layout takes samples or pairs"));
      layout = *chosen;
    } else if (options && arg.startsWith(u'-') && arg.size() > 1) {
      return usageError(QStringLiteral("unknown option ") + arg);
    } else {
      operands << arg;
    }
  }
  if (operands.isEmpty()) return usageError(QStringLiteral("no table file given"));
  if (operands.size() > 2) return usageError(QStringLiteral("too many arguments"));
  const QString outDir = operands.size() == 2 ? operands[1] : QStringLiteral(".");
  if (!QFileInfo(outDir).isDir())
    return usageError(QStringLiteral("%1 is not a folder").arg(outDir));

  const tsk::SampleTableRead table = tsk::ReadSampleTable(operands[0], layout);
  if (!table) {
    printError(table.message);
    return kTableUnreadable;
  }

  // Every target is checked before the first is written, so a refusal
  // leaves the folder as it was.
  const QDir dir(outDir);
  const auto target = [&](const tsk::NamedSample& named) {
    const QString name = named.name + tsk::kSampleFileSuffix;
    return operands.size() == 2 ? dir.filePath(name) : name;
  };
  if (!force) {
    bool existing = false;
    for (const tsk::NamedSample& named : table.samples) {
      const QString path = target(named);
      if (QFileInfo::exists(path) || QFileInfo(path).isSymLink()) {
        printError(QStringLiteral("%1 exists already.").arg(path));
        existing = true;
      }
    }
    if (existing) {
      printError(QStringLiteral("nothing written; --force replaces existing sample files."));
      return kWouldOverwrite;
    }
  }
  // All or nothing: a set of samples missing one would pass for a whole.
  std::vector<tsk::SampleFileTarget> targets;
  for (const tsk::NamedSample& named : table.samples)
    targets.push_back({target(named), &named.sample});
  if (const tsk::SampleFileWrite written = tsk::WriteSampleFiles(targets); !written) {
    printError(written.error);
    printError(QStringLiteral("nothing written."));
    return kWriteFailed;
  }
  for (const tsk::NamedSample& named : table.samples) {
    const QString path = target(named);
    std::printf("%s: groups %lld, animals %lld\n", path.toLocal8Bit().constData(),
                static_cast<long long>(named.sample.groupsTotal),
                static_cast<long long>(named.sample.animalsTotal));
  }
  if (std::fflush(stdout) != 0) {
    printError(QStringLiteral("cannot write to standard output"));
    return kWriteFailed;
  }
  return kOk;
}
