// SPDX-License-Identifier: GPL-3.0-or-later
// Tables of group sizes as spreadsheets and editors write them, read into
// samples, and the programs that take them: tskrun and tskconvert.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <map>
#include <random>

#include "SampleFile.h"
#include "SampleTable.h"
#include "core_test_support.h"

namespace {

namespace fs = std::filesystem;
using tsk::SampleEntry;
using tsk::test::qpath;
using tsk::test::readFile;
using tsk::test::TempDir;
using tsk::test::writeFile;
using Rows = std::vector<SampleEntry>;

struct Expected {
  std::string name;
  Rows rows;
};

std::string describe(const tsk::SampleTableRead& read) {
  std::string text = read.ok ? "ok:" : "refused: " + read.message.toStdString();
  for (const tsk::NamedSample& s : read.samples) {
    text += " [" + s.name.toStdString();
    for (const SampleEntry& e : s.sample.entries)
      text += " " + std::to_string(e.size) + "x" + std::to_string(e.groups);
    text += "]";
  }
  return text;
}

// Each expected sample is written out by hand from the table beside it.
TEST(SampleTable, RealWorldShapes) {
  const std::string bom = "\xEF\xBB\xBF";
  const struct {
    const char* name;
    std::string content;
    std::vector<Expected> samples;  // empty: refused with `message`
    std::string message;
    tsk::TableLayout layout = tsk::TableLayout::Undecided;
  } cases[] = {
      {"one column, LF", "3\n1\n3\n", {{"t", {{1, 1}, {3, 2}}}}, ""},
      {"CR only, blank rows", "5\r\r6\r7\r\r", {{"t", {{5, 1}, {6, 1}, {7, 1}}}}, ""},
      {"size;count with BOM and CR LF",
       bom + "Size;Count\r\n1;3\r\n4;2\r\n",
       {{"t", {{1, 3}, {4, 2}}}},
       ""},
      {"two columns without a header chosen as size and count",
       "1,3\n4,2\n",
       {{"t", {{1, 3}, {4, 2}}}},
       "",
       tsk::TableLayout::Pairs},
      {"one row of two numbers is a size and its count", "4,2\n", {{"t", {{4, 2}}}}, ""},
      {"size headings in other words", "Group size;No. of groups\n2;1\n", {{"t", {{2, 1}}}}, ""},
      {"a size heading before an unknown one", "size;seen\n2;4\n", {{"t", {{2, 4}}}}, ""},
      {"repeated sizes add up", "size\tcount\n3\t2\n1\t1\n3\t4\n", {{"t", {{1, 1}, {3, 6}}}}, ""},
      {"one column under a size heading takes the file's name",
       "group size\n2\n2\n",
       {{"t", {{2, 2}}}},
       ""},
      {"one named column", "gulls\n2\n2\n", {{"gulls", {{2, 2}}}}, ""},
      {"one column under a heading with blanks",
       "Herring gulls 2007\r\n4\r\n",
       {{"Herring gulls 2007", {{4, 1}}}},
       ""},
      {"two named columns are two samples",
       "north;south\n1;2\n3;2\n",
       {{"north", {{1, 1}, {3, 1}}}, {"south", {{2, 2}}}},
       ""},
      {"ragged columns and an empty column as a spreadsheet exports them",
       "north;south;;\r\n1;2;;\r\n3;;;\r\n;5;;\r\n;;;\r\n",
       {{"north", {{1, 1}, {3, 1}}}, {"south", {{2, 1}, {5, 1}}}},
       ""},
      {"a first line naming the delimiter",
       "sep=,\r\nnorth,south\r\n1,2\r\n",
       {{"north", {{1, 1}}}, {"south", {{2, 1}}}},
       ""},
      {"after the delimiter line, lines count from the file's first",
       "SEP=;\nn;s\n1;x\n",
       {},
       "File t.csv, line 3, column 2: \"x\" is not a number."},
      {"an empty column between samples",
       "a,,b,c\n1,,2,3\n",
       {{"a", {{1, 1}}}, {"b", {{2, 1}}}, {"c", {{3, 1}}}},
       ""},
      {"tabs, quoted headings holding the other delimiters",
       "\"Herring gull\"\t\"Tern; common, little\"\n2\t3\n",
       {{"Herring gull", {{2, 1}}}, {"Tern; common, little", {{3, 1}}}},
       ""},
      {"quoted fields with doubled quotes and quoted numbers",
       "\"gulls, north\",\"terns \"\"A\"\"\"\r\n\"1\",\" 2 \"\r\n",
       {{"gulls, north", {{1, 1}}}, {"terns \"A\"", {{2, 1}}}},
       ""},
      {"plain columns",
       "  gulls   terns\n 1  2\n\n 3  4\n 5  6\n",
       {{"gulls", {{1, 1}, {3, 1}, {5, 1}}}, {"terns", {{2, 1}, {4, 1}, {6, 1}}}},
       ""},
      {"3.0 and the decimal comma 2,0 are whole",
       "size;count\n3.0;2,0\n4;1.00\n",
       {{"t", {{3, 2}, {4, 1}}}},
       ""},
      {"a quoted decimal comma in a comma file", "\"3,0\"\n", {{"t", {{3, 1}}}}, ""},
      {"leading zeros and the limits",
       "a;b\n0001;30000\n",
       {{"a", {{1, 1}}}, {"b", {{30000, 1}}}},
       ""},
      {"Latin-1 heading", "M\xF6wen\n4\n", {{"M\xC3\xB6wen", {{4, 1}}}}, ""},

      {"3,5 in a semicolon file",
       "size;count\n2;1\n3,5;1\n",
       {},
       "File t.csv, line 3, column 1: \"3,5\" is not a whole number."},
      {"3.5 in a comma file",
       "4\n3.5\n",
       {},
       "File t.csv, line 2, column 1: \"3.5\" is not a whole number."},
      {"a thousands separator or not",
       "size;count\n12.000;1\n",
       {},
       "File t.csv, line 2, column 1: \"12.000\" may hold a thousands separator or a decimal part; "
       "write whole numbers without either."},
      {"text among the numbers",
       "a;b\n1;x\n",
       {},
       "File t.csv, line 2, column 2: \"x\" is not a number."},
      {"size 0",
       "0\n",
       {},
       "File t.csv, line 1, column 1: \"0\" is not a group size from 1 to 30000."},
      {"size 30001",
       "30001\n",
       {},
       "File t.csv, line 1, column 1: \"30001\" is not a group size from 1 to 30000."},
      {"negative size",
       "2\n-3\n",
       {},
       "File t.csv, line 2, column 1: \"-3\" is not a group size from 1 to 30000."},
      {"count 0",
       "2;0\n",
       {},
       "File t.csv, line 1, column 2: \"0\" is not a number of groups from 1 to 30000."},
      {"count too large, digits beyond int",
       "2;99999999999\n",
       {},
       "File t.csv, line 1, column 2: \"99999999999\" is not a number of groups from 1 to 30000."},
      {"a size gathering more than 30000 groups",
       "size;n\n1;30000\n2;1\n1;1\n",
       {},
       "File t.csv, line 4, column 2: more than 30000 groups of size 1."},
      {"missing count",
       "size;count\n2;1\n3;\n",
       {},
       "File t.csv, line 3, column 2: the number of groups is missing."},
      {"missing size",
       "size;count\n2;1\n;3\n",
       {},
       "File t.csv, line 3, column 1: the group size is missing."},
      {"a heading that cannot name a file",
       "\"two\nlines\";b\n1;2\n",
       {},
       "File t.csv, line 1, column 1: \"two?lines\" cannot name a sample file."},
      {"three columns without a header",
       "1;2;3\n",
       {},
       "File t.csv, line 1, column 3: three or more columns need a header row naming the samples."},
      {"a name used twice, whatever its case",
       "a;A\n1;2\n",
       {},
       "File t.csv, line 1, column 2: sample name \"A\" appears twice."},
      {"a named column without sizes",
       "a;b;c\n1;;2\n",
       {},
       "File t.csv, line 1, column 2: sample \"b\" has no group sizes."},
      {"sizes without a name",
       "a;;c\n1;;3\n1;2;3\n",
       {},
       "File t.csv, line 3, column 2: \"2\" stands in a column without a sample name in the header "
       "row."},
      {"a name that leads into another folder",
       "../a;b\n1;2\n",
       {},
       "File t.csv, line 1, column 1: \"../a\" cannot name a sample file."},
      {"a quoted cell spanning lines counts them",
       "a;b\n\"1\n\";2\n3;x\n",
       {},
       "File t.csv, line 4, column 2: \"x\" is not a number."},
      {"empty file", "", {}, "File t.csv holds no group sizes."},

      // Tables that could be read more than one way are refused, naming the
      // line; tables whose makers' habits are plain are read.
      {"a total below a blank row",
       "north;south\n1;2\n3;4\n\n4;6\n",
       {},
       "File t.csv, line 5: the last row stands below a blank row, as a total would; delete it if "
       "it is not groups, or the blank row above it if it is."},
      {"a lone number below blank rows, CR line ends",
       "5\r\r7\r\r",
       {},
       "File t.csv, line 3: the last row stands below a blank row, as a total would; delete it if "
       "it is not groups, or the blank row above it if it is."},
      {"a labelled total below a blank row",
       "north;south\r\n1;2\r\n\r\nTotal;2\r\n",
       {},
       "File t.csv, line 4: the last row stands below a blank row, as a total would; delete it if "
       "it is not groups, or the blank row above it if it is."},
      {"years as headings read both ways",
       "2006;2007\n3;4\n5;6\n",
       {},
       "File t.csv, line 1: the two columns read both as two samples named \"2006\" and \"2007\" "
       "and as one sample of group sizes (column 1) with their numbers of groups (column 2). "
       "Choose one: --layout samples or --layout pairs, or head the columns with names (such as "
       "y2006) or with size and count."},
      {"years as headings chosen as samples",
       "2006;2007\n3;4\n5;6\n",
       {{"2006", {{3, 1}, {5, 1}}}, {"2007", {{4, 1}, {6, 1}}}},
       "",
       tsk::TableLayout::Samples},
      {"named columns chosen as sizes and counts",
       "north;south\n3;4\n5;6\n",
       {{"t", {{3, 4}, {5, 6}}}},
       "",
       tsk::TableLayout::Pairs},
      {"sizes and counts need two columns",
       "a;b;c\n1;2;3\n",
       {},
       "File t.csv: sizes and numbers of groups need two columns of numbers; the table has 3.",
       tsk::TableLayout::Pairs},
      {"row names and NA padding as R writes them",
       "\"\",\"a\",\"b\"\r\n\"1\",3,4\r\n\"2\",5,NA\r\n\"3\",6,NA\r\n",
       {{"a", {{3, 1}, {5, 1}, {6, 1}}}, {"b", {{4, 1}}}},
       ""},
      {"an index and empty cells as pandas writes them",
       ",a,b\n0,3.0,4.0\n1,5.0,\n",
       {{"a", {{3, 1}, {5, 1}}}, {"b", {{4, 1}}}},
       ""},
      {"numbers that do not count the rows are not row names",
       ",a\n1,3\n3,4\n",
       {},
       "File t.csv, line 2, column 1: \"1\" stands in a column without a sample name in the header "
       "row."},
      {"a total labelled in a column without a heading",
       ";north;south\n;1;2\nTotal;3;4\n",
       {},
       "File t.csv, line 3, column 1: \"Total\" stands in a column without a sample name in the "
       "header row."},
      {"NA above numbers is a missing value",
       "a\nNA\n3\n",
       {},
       "File t.csv, line 2, column 1: \"NA\" is not a number."},
      {"a workbook renamed .csv",
       std::string("PK\x03\x04\x14\x00\x06\x00", 8),
       {},
       "File t.csv is not a text table: line 1 holds the control character 3, as a workbook or "
       "another binary file does (export the sheet as CSV or text; text in UTF-16 or UTF-8 is "
       "read)."},
      {"binary after a first line",
       std::string("a\n1\n\x00\x01", 6),
       {},
       "File t.csv is not a text table: line 3 holds the control character 0, as a workbook or "
       "another binary file does (export the sheet as CSV or text; text in UTF-16 or UTF-8 is "
       "read)."},
      {"UTF-16 little-endian without a byte-order mark",
       std::string("a\0;\0b\0\n\0"
                   "1\0;\0"
                   "2\0\n\0",
                   16),
       {{"a", {{1, 1}}}, {"b", {{2, 1}}}},
       ""},
      {"UTF-16 big-endian without a byte-order mark",
       std::string("\0a\0;\0b\0\n\0"
                   "1\0;\0"
                   "2\0\n",
                   16),
       {{"a", {{1, 1}}}, {"b", {{2, 1}}}},
       ""},
      {"only blank rows", "\r\n;;\r\n  \r\n", {}, "File t.csv holds no group sizes."},
  };
  for (const auto& c : cases) {
    const tsk::SampleTableRead read = tsk::parseSampleTable(QByteArray::fromStdString(c.content),
                                                            QStringLiteral("t.csv"), c.layout);
    std::string expected = c.samples.empty() ? "refused: " + c.message : "ok:";
    for (const Expected& s : c.samples) {
      expected += " [" + s.name;
      for (const SampleEntry& e : s.rows)
        expected += " " + std::to_string(e.size) + "x" + std::to_string(e.groups);
      expected += "]";
    }
    EXPECT_EQ(describe(read), expected) << c.name;
  }
}

TEST(SampleTable, MessagesKeepFileNamesAsTheyAre) {
  EXPECT_EQ(describe(tsk::parseSampleTable("x\n1;2\n", "50%2 %1.csv")),
            "refused: File 50%2 %1.csv, line 2, column 2: \"2\" stands in a column without a "
            "sample name in the header row.");
}

TEST(SampleTable, SampleOfMoreGroupsThanASampleFileTakes) {
  // 34 sizes of 30000 groups each: 1 020 000 groups, past the 1 000 000 of
  // a sample file at the 34th row.
  QByteArray text;
  for (int s = 1; s <= 34; ++s) text += QByteArray::number(s) + ";30000\n";
  EXPECT_EQ(describe(tsk::parseSampleTable(text, "t.csv", tsk::TableLayout::Pairs)),
            "refused: File t.csv, line 34, column 2: the sample holds more than 1000000 groups.");
}

TEST(SampleTable, TotalsAreThoseOfTypedRows) {
  // Three groups of 1 and two of 4: 5 groups, 11 animals, as the entry
  // window shows them after typing (width 7).
  const tsk::SampleTableRead read = tsk::parseSampleTable("1\n4\n1\n4\n1\n", "flock.txt");
  ASSERT_TRUE(read.ok) << read.message.toStdString();
  ASSERT_EQ(read.samples.size(), 1u);
  EXPECT_EQ(read.samples[0].name, QStringLiteral("flock"));
  EXPECT_EQ(read.samples[0].sample.groupsTotal, 5);
  EXPECT_EQ(read.samples[0].sample.animalsTotal, 11);
  EXPECT_EQ(tsk::sampleFileText(read.samples[0].sample).toStdString(), tsk::test::kEnteredExample);
}

TEST(SampleTable, Utf16WithByteOrderMark) {
  // A spreadsheet's "Unicode text": UTF-16 little-endian, tab-separated.
  const QString text = QStringLiteral("\uFEFFsize\tcount\r\n5\t2\r\n");
  QByteArray bytes(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
  const tsk::SampleTableRead read = tsk::parseSampleTable(bytes, "u.txt");
  EXPECT_EQ(describe(read), "ok: [u 5x2]");
}

TEST(SampleTable, PastedColumn) {
  EXPECT_EQ(describe(tsk::parsePastedTable("3\n\n3\n8\n", "new")), "ok: [new 3x2 8x1]");
  EXPECT_EQ(describe(tsk::parsePastedTable("3\n3\n\n8\n", "new")),
            "refused: Pasted text, line 4: the last row stands below a blank row, as a total "
            "would; delete it if it is not groups, or the blank row above it if it is.");
  EXPECT_EQ(describe(tsk::parsePastedTable("3\t2\n8\t1", "new")), "ok: [new 3x2 8x1]");
  EXPECT_EQ(describe(tsk::parsePastedTable("3\nthree\n", "new")),
            "refused: Pasted text, line 2, column 1: \"three\" is not a number.");
}

TEST(SampleTable, FiftyThousandRows) {
  // Two samples of 50 000 rows each; the expected rows are counted apart
  // from the reader, straight from the generated sizes.
  std::mt19937 random(7);
  std::uniform_int_distribution<int> size(1, 400);
  std::map<int, int> a, b;
  QByteArray text =
      "\xEF\xBB\xBF"
      "a;b\r\n";
  for (int i = 0; i < 50000; ++i) {
    const int x = size(random), y = size(random);
    ++a[x];
    ++b[y];
    text += QByteArray::number(x) + ';' + QByteArray::number(y) + "\r\n";
  }
  const tsk::SampleTableRead read = tsk::parseSampleTable(text, "big.csv");
  ASSERT_TRUE(read.ok) << read.message.toStdString();
  ASSERT_EQ(read.samples.size(), 2u);
  for (std::size_t k = 0; k < 2; ++k) {
    const std::map<int, int>& counts = k == 0 ? a : b;
    Rows expected;
    std::int64_t animals = 0;
    for (const auto& [s, n] : counts) {
      expected.push_back({s, n});
      animals += std::int64_t(s) * n;
    }
    EXPECT_EQ(read.samples[k].sample.entries, expected);
    EXPECT_EQ(read.samples[k].sample.groupsTotal, 50000);
    EXPECT_EQ(read.samples[k].sample.animalsTotal, animals);
  }
}

TEST(SampleTable, WorkGrowsInProportionToTheText) {
  // Shapes whose reading once grew with the square of their size: a cell
  // scanned again at each of its quotes, a quoted cell of doubled quotes,
  // blanks and quotes in plain columns.
  const struct {
    const char* name;
    QByteArray (*make)(int n);
  } shapes[] = {
      {"blank then quotes", [](int n) { return "a\n1\n x" + QByteArray(n, '"') + "\n"; }},
      {"doubled quotes", [](int n) { return "a;b\n1;\"" + QByteArray(2 * n, '"') + "\"\n"; }},
      {"blanks and quotes",
       [](int n) { return "a b\n1 2\n" + QByteArray(n, ' ') + QByteArray(n, '"') + "\n"; }},
  };
  for (const auto& shape : shapes) {
    std::uint64_t work[2];
    for (int k = 0; k < 2; ++k) {
      const QByteArray text = shape.make(k == 0 ? 20000 : 80000);
      const std::uint64_t before = tsk::sampleTableCharactersExamined();
      tsk::parseSampleTable(text, "q.csv");
      work[k] = tsk::sampleTableCharactersExamined() - before;
      // A few passes over the text, not one per quote.
      EXPECT_LE(work[k], 4u * static_cast<std::uint64_t>(text.size())) << shape.name;
    }
    EXPECT_LE(work[1], 4u * work[0] + 100) << shape.name;
  }
}

TEST(SampleTable, RandomTextEitherGivesValidSamplesOrAMessage) {
  // Text made of the characters that matter to the reader; whatever it
  // makes of them, a sample it returns is one the entry window could hold.
  const char alphabet[] = "0123456789012345.,;\t \"\r\n\nab-\xEF\xBB\xBF\xFF";
  std::mt19937 random(2026);
  std::uniform_int_distribution<std::size_t> pick(0, sizeof alphabet - 2);
  std::uniform_int_distribution<int> length(0, 60);
  int accepted = 0;
  for (int i = 0; i < 20000; ++i) {
    QByteArray text;
    for (int n = length(random); n > 0; --n) text += alphabet[pick(random)];
    const tsk::SampleTableRead read = tsk::parseSampleTable(text, "r.csv");
    ASSERT_EQ(read.ok, read.message.isEmpty()) << text.toStdString();
    ASSERT_EQ(read.ok, !read.samples.empty()) << text.toStdString();
    for (const tsk::NamedSample& s : read.samples) {
      std::int64_t groups = 0, animals = 0;
      ASSERT_FALSE(s.sample.entries.empty());
      for (const SampleEntry& e : s.sample.entries) {
        ASSERT_TRUE(e.size >= 1 && e.size <= 30000 && e.groups >= 1 && e.groups <= 30000);
        groups += e.groups;
        animals += std::int64_t(e.size) * e.groups;
      }
      ASSERT_EQ(s.sample.groupsTotal, groups);
      ASSERT_EQ(s.sample.animalsTotal, animals);
    }
    accepted += read.ok;
  }
  EXPECT_GT(accepted, 100);  // the loop reaches the reading of numbers
}

TEST(SampleTable, FilesThatAreNotTables) {
  TempDir dir;
  fs::create_directory(dir / "folder.csv");
  {
    // A sparse file just over the limit: refused before it is read.
    QFile big(qpath(dir / "big.csv"));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    ASSERT_TRUE(big.resize(tsk::kSampleTableMaxBytes + 1));
  }
  const struct {
    const char* file;
    std::string message;
  } cases[] = {
      {"gone.csv", "Cannot open file gone.csv: No such file or directory"},
      {"folder.csv", "File folder.csv is not a regular file."},
      {"big.csv", "File big.csv is larger than 32 MB; it cannot be a table of group sizes."},
  };
  for (const auto& c : cases) {
    const tsk::SampleTableRead read = tsk::ReadSampleTable(qpath(dir / c.file));
    EXPECT_EQ(describe(read), "refused: " + c.message) << c.file;
  }
}

TEST(SampleTable, ImportSaveAndReadBack) {
  TempDir dir;
  writeFile(dir / "survey.csv", "north;south\r\n1;2\r\n4;4\r\n1;\r\n4;\r\n1;\r\n");
  const tsk::SampleTableRead read = tsk::ReadSampleTable(qpath(dir / "survey.csv"));
  ASSERT_TRUE(read.ok) << read.message.toStdString();
  for (const tsk::NamedSample& s : read.samples) {
    const QString path = QDir(qpath(dir.path())).filePath(s.name + ".dat");
    ASSERT_TRUE(tsk::WriteSampleFile(path, s.sample));
    const tsk::SampleFileRead back = tsk::ReadSampleFile(path);
    EXPECT_TRUE(back.ok);
    EXPECT_EQ(back.message, QString());
    EXPECT_EQ(back.sample.entries, s.sample.entries);
    EXPECT_EQ(back.sample.groupsTotal, s.sample.groupsTotal);
    EXPECT_EQ(back.sample.animalsTotal, s.sample.animalsTotal);
  }
  // north is the worked example: three groups of 1 and two of 4.
  EXPECT_EQ(readFile(dir / "north.dat"), tsk::test::kEnteredExample);
}

// The programs, run as a user runs them.
struct Outcome {
  int exitCode = -1;
  std::string out, err;
};

Outcome run(const TempDir& dir, const char* program, const QStringList& args) {
  QProcess p;
  p.setWorkingDirectory(qpath(dir.path()));
  p.start(qpath(tsk::test::binDir() / program), args);
  EXPECT_TRUE(p.waitForFinished(60000));
  return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
          p.readAllStandardOutput().toStdString(), p.readAllStandardError().toStdString()};
}

// The two samples of the shared two-sample report, as one semicolon export.
const std::string kSurvey =
    "\xEF\xBB\xBF"
    "first;second\r\n1;2\r\n1;4\r\n1;\r\n4;\r\n4;\r\n";

TEST(SampleTable, TskrunTakesTablesWhereItTakesSampleFiles) {
  TempDir dir;
  writeFile(dir / "survey.csv", kSurvey);
  Outcome o = run(dir, "tskrun", {"gssummar", "survey.csv"});
  EXPECT_EQ(o.exitCode, 0) << o.err;
  // Above the report, each column named by its heading.
  EXPECT_TRUE(tsk::test::sameText(
      tsk::test::crlf({"     Toskarn - version 1.0", "", "Data selected for analysis",
                       "   Sample 1:  first", "   Sample 2:  second", std::string(79, '_')}) +
          tsk::test::kTwoSampleReport,
      o.out));

  // A bad table stops the run before tskdat.tmp is touched.
  writeFile(dir / "tskdat.tmp", "older");
  writeFile(dir / "bad.tsv", "a\tb\n1\t2.5\n");
  o = run(dir, "tskrun", {"gssummar", "survey.csv", "bad.tsv"});
  EXPECT_EQ(o.exitCode, 3);
  EXPECT_EQ(o.err, "tskrun: File bad.tsv, line 2, column 2: \"2.5\" is not a whole number.\n");
  EXPECT_EQ(o.out, "");
  EXPECT_EQ(readFile(dir / "tskdat.tmp"), "older");
}

TEST(SampleTable, Tskconvert) {
  TempDir dir;
  writeFile(dir / "survey.csv", kSurvey);
  fs::create_directory(dir / "out");
  const std::string first = tsk::test::kEnteredExample;
  const std::string second = tsk::test::crlf({"      2", "      6", " 2 ", " 4 "});

  Outcome o = run(dir, "tskconvert", {"survey.csv", "out"});
  EXPECT_EQ(o.exitCode, 0) << o.err;
  EXPECT_EQ(o.out, "out/first.dat: groups 5, animals 11\nout/second.dat: groups 2, animals 6\n");
  EXPECT_EQ(readFile(dir / "out" / "first.dat"), first);
  EXPECT_EQ(readFile(dir / "out" / "second.dat"), second);

  // Without --force nothing is overwritten, not even the file that is new.
  writeFile(dir / "out" / "second.dat", "mine");
  fs::remove(dir / "out" / "first.dat");
  o = run(dir, "tskconvert", {"survey.csv", "out"});
  EXPECT_EQ(o.exitCode, 4);
  EXPECT_EQ(o.err,
            "tskconvert: out/second.dat exists already.\n"
            "tskconvert: nothing written; --force replaces existing sample files.\n");
  EXPECT_EQ(readFile(dir / "out" / "second.dat"), "mine");
  EXPECT_FALSE(fs::exists(dir / "out" / "first.dat"));

  o = run(dir, "tskconvert", {"--force", "survey.csv", "out"});
  EXPECT_EQ(o.exitCode, 0) << o.err;
  EXPECT_EQ(readFile(dir / "out" / "second.dat"), second);

  // Into the working folder by default.
  o = run(dir, "tskconvert", {"survey.csv"});
  EXPECT_EQ(o.exitCode, 0) << o.err;
  EXPECT_EQ(o.out, "first.dat: groups 5, animals 11\nsecond.dat: groups 2, animals 6\n");
  EXPECT_EQ(readFile(dir / "first.dat"), first);

  const struct {
    QStringList args;
    int exitCode;
    std::string err;
  } failures[] = {
      {{}, 2, "tskconvert: no table file given\nTry 'tskconvert --help'.\n"},
      {{"--fast", "survey.csv"},
       2,
       "tskconvert: unknown option --fast\nTry 'tskconvert --help'.\n"},
      {{"survey.csv", "out", "more"},
       2,
       "tskconvert: too many arguments\nTry 'tskconvert --help'.\n"},
      {{"survey.csv", "nowhere"},
       2,
       "tskconvert: nowhere is not a folder\nTry 'tskconvert --help'.\n"},
      {{"bad.csv", "out"},
       3,
       "tskconvert: File bad.csv, line 2, column 1: \"x\" is not a number.\n"},
      {{"--layout", "rows", "survey.csv"},
       2,
       "tskconvert: --layout takes samples or pairs\nTry 'tskconvert --help'.\n"},
  };
  writeFile(dir / "bad.csv", "a;b\nx;1\n");
  for (const auto& f : failures) {
    o = run(dir, "tskconvert", f.args);
    EXPECT_EQ(o.exitCode, f.exitCode) << f.args.join(' ').toStdString();
    EXPECT_EQ(o.err, f.err) << f.args.join(' ').toStdString();
    EXPECT_EQ(o.out, "");
  }
  EXPECT_FALSE(fs::exists(dir / "out" / "a.dat"));

  // Years as headings: chosen as samples, they name the files.
  writeFile(dir / "years.csv", "2006;2007\n3;4\n");
  o = run(dir, "tskconvert", {"--layout", "samples", "years.csv", "out"});
  EXPECT_EQ(o.exitCode, 0) << o.err;
  EXPECT_EQ(o.out, "out/2006.dat: groups 1, animals 3\nout/2007.dat: groups 1, animals 4\n");

  o = run(dir, "tskconvert", {"--help"});
  EXPECT_EQ(o.exitCode, 0);
  EXPECT_EQ(o.out.rfind("Usage: tskconvert [--force] [--layout samples|pairs] FILE [OUTDIR]\n", 0),
            0u);
}

// A set of samples missing one would pass for a whole: tskconvert writes
// all of a table's samples or none, leaves files that were there alone, and
// names the system's reason. The third sample is the one that fails.
TEST(SampleTable, TskconvertWritesAllOrNothing) {
  TempDir dir;
  fs::create_directory(dir / "out");
  // A disk that fills up: a small memory file system, where the system
  // lets this test make one.
  const bool small = QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=64k", "tmpfs",
                                                 qpath(dir / "out")}) == 0;
  std::string third;
  for (int i = 0; i < 25000; ++i) third += ";;12\n";  // 150 KB of sample file
  const struct {
    const char* name;
    std::string table;
    QStringList options;
    int exitCode;
    std::string err;
  } cases[] = {
      {"not a number",
       "a;b;c\n1;2;x\n",
       {},
       3,
       "tskconvert: File t.csv, line 2, column 3: \"x\" is not a number.\n"},
      {"heading too long for a file name",
       "a;b;" + std::string(300, 'c') + "\n1;2;3\n",
       {},
       3,
       "tskconvert: File t.csv, line 1, column 3: \"cccccccccccccccccccccccc...\" is too long to "
       "name a sample file.\n"},
      {"read-only file there",
       "a;b;old\n1;2;3\n",
       {},
       4,
       "tskconvert: out/old.dat exists already.\n"
       "tskconvert: nothing written; --force replaces existing sample files.\n"},
      {"disk full",
       "a;b;old\n1;2;1\n" + third,
       {"--force"},
       1,
       "tskconvert: Cannot write file old.dat: No space left on device\n"
       "tskconvert: nothing written.\n"},
  };
  writeFile(dir / "out" / "old.dat", "older\r\n");
  fs::permissions(dir / "out" / "old.dat", fs::perms::owner_read | fs::perms::group_read);
  for (const auto& c : cases) {
    if (c.exitCode == 1 && !small) continue;
    writeFile(dir / "t.csv", c.table);
    const Outcome o = run(dir, "tskconvert", c.options + QStringList{"t.csv", "out"});
    EXPECT_EQ(o.exitCode, c.exitCode) << c.name;
    EXPECT_EQ(o.err, c.err) << c.name;
    EXPECT_EQ(o.out, "") << c.name;
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(dir / "out"))
      left.push_back(entry.path().filename().string());
    EXPECT_EQ(left, std::vector<std::string>{"old.dat"}) << c.name;
    EXPECT_EQ(readFile(dir / "out" / "old.dat"), "older\r\n") << c.name;
  }
  if (small) QProcess::execute("umount", {qpath(dir / "out")});
  if (!small) GTEST_SKIP() << "no small file system could be mounted; the full disk was not tried";
}

}  // namespace
