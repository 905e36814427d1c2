// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <filesystem>
#include <random>

#include "ExchangeWriter.h"
#include "SampleFile.h"
#include "core_test_support.h"

namespace {

using tsk::GroupSizeSample;
using tsk::SampleEntry;
using tsk::test::qpath;
using tsk::test::readFile;
using tsk::test::TempDir;
using tsk::test::writeFile;

GroupSizeSample entered(std::initializer_list<SampleEntry> rows) {
  GroupSizeSample s;
  for (const SampleEntry& e : rows) tsk::AddEntry(s, e.size, e.groups);
  return s;
}

TEST(SampleFile, WorkedExampleRoundTrip) {
  TempDir dir;
  const QString path = qpath(dir / "flock.dat");
  ASSERT_TRUE(tsk::WriteSampleFile(path, entered({{1, 3}, {4, 2}})));
  EXPECT_EQ(readFile(dir / "flock.dat"), tsk::test::kEnteredExample);

  tsk::SampleFileRead loaded = tsk::ReadSampleFile(path);
  ASSERT_TRUE(loaded.ok);
  EXPECT_EQ(loaded.message.toStdString(), "");
  EXPECT_EQ(loaded.sample.entries, (std::vector<SampleEntry>{{1, 3}, {4, 2}}));
  EXPECT_EQ(loaded.sample.groupsTotal, 5);
  EXPECT_EQ(loaded.sample.animalsTotal, 11);
  EXPECT_EQ(loaded.sample.totalsWidth, 5);

  // Saved right after loading: the five-character totals.
  ASSERT_TRUE(tsk::WriteSampleFile(path, loaded.sample));
  EXPECT_EQ(readFile(dir / "flock.dat"), tsk::test::kReloadedExample);
  // Overwriting leaves no temporary file behind.
  EXPECT_EQ(QDir(qpath(dir.path())).entryList(QDir::Files), QStringList{"flock.dat"});
}

TEST(SampleFile, EmptySampleWritesTheTotalsOnly) {
  EXPECT_EQ(tsk::sampleFileText(GroupSizeSample{}).toStdString(),
            tsk::test::crlf({"    0", "    0"}));
}

TEST(SampleFile, Loading) {
  using V = std::vector<SampleEntry>;
  const std::string kCorrected = "Total number of animals corrected: ";
  const struct {
    const char* name;
    std::string content;
    std::string message;
    std::int64_t groups, animals;
    V rows;
  } cases[] = {
      // 30 * 4 + 32 = 152 animals where line 2 claims 150.
      {"wrong animals", "5\r\n150\r\n30\r\n30\r\n30\r\n30\r\n32\r\n", kCorrected + " 150 to 152", 5,
       152, V{{30, 4}, {32, 1}}},
      {"empty sample", "0\r\n0\r\n", "", 0, 0, V{}},
      {"groups without lines", "3\r\n0\r\n", "      Invalid total in file !", 3, 0, V{}},
      {"animals without lines", "0\r\n7\r\n", kCorrected + " 7 to 0", 0, 0, V{}},
      // One group line too few: line 1 and line 2 stay, the rows are loaded.
      {"too few lines", "6\r\n11\r\n 1 \r\n 1 \r\n 1 \r\n 4 \r\n 4 \r\n",
       "      Invalid total in file !", 6, 11, V{{1, 3}, {4, 2}}},
      // Runs of equal values form rows; the list shows them sorted, equal
      // sizes by their number of groups.
      {"not ascending", "5\r\n17\r\n4\r\n1\r\n4\r\n4\r\n4\r\n", "", 5, 17,
       V{{1, 1}, {4, 1}, {4, 3}}},
      // Sizes 0 and below count as groups (and into the sum) but give no rows,
      // also at the very end of the file.
      {"zero and negative", "4\r\n2\r\n0\r\n-1\r\n1\r\n2\r\n", "", 4, 2, V{{1, 1}, {2, 1}}},
      {"zero at the end", "2\r\n1\r\n1\r\n0\r\n", "", 2, 1, V{{1, 1}}},
      {"LF line ends and commas", "3,7\n 2 , 2\n3\n", "", 3, 7, V{{2, 2}, {3, 1}}},
      {"reals that are whole", "2.0\n 6 \n 3.0E0 \n3\n", "", 2, 6, V{{3, 2}}},
      {"blank lines passed over", "\r\n2\r\n\r\n4\r\n \r\n2\r\n2\r\n", "", 2, 4, V{{2, 2}}},
      {"negative declared animals", "1\r\n-3\r\n5\r\n", kCorrected + "-3 to 5", 1, 5, V{{5, 1}}},
  };
  for (const auto& c : cases) {
    tsk::SampleFileRead r = tsk::parseSampleFile(QByteArray::fromStdString(c.content), "x.dat");
    ASSERT_TRUE(r.ok) << c.name;
    EXPECT_EQ(r.message.toStdString(), c.message) << c.name;
    EXPECT_EQ(r.sample.groupsTotal, c.groups) << c.name;
    EXPECT_EQ(r.sample.animalsTotal, c.animals) << c.name;
    EXPECT_EQ(r.sample.entries, c.rows) << c.name;
    EXPECT_EQ(r.sample.totalsWidth, 5) << c.name;
  }
}

TEST(SampleFile, CorrectedFileReloadsWithoutMessage) {
  TempDir dir;
  writeFile(dir / "a.dat", "2\r\n9\r\n2\r\n3\r\n");
  tsk::SampleFileRead first = tsk::ReadSampleFile(qpath(dir / "a.dat"));
  EXPECT_EQ(first.message.toStdString(), "Total number of animals corrected:  9 to 5");
  ASSERT_TRUE(tsk::WriteSampleFile(qpath(dir / "a.dat"), first.sample));
  tsk::SampleFileRead second = tsk::ReadSampleFile(qpath(dir / "a.dat"));
  EXPECT_TRUE(second.ok);
  EXPECT_EQ(second.message.toStdString(), "");
  EXPECT_EQ(second.sample.animalsTotal, 5);
}

TEST(SampleFile, DuplicateRowsAreSavedInListOrder) {
  tsk::SampleFileRead r = tsk::parseSampleFile("4\r\n13\r\n4\r\n1\r\n4\r\n4\r\n", "x.dat");
  ASSERT_EQ(r.sample.entries, (std::vector<SampleEntry>{{1, 1}, {4, 1}, {4, 2}}));
  EXPECT_EQ(tsk::sampleFileText(r.sample).toStdString(),
            tsk::test::crlf({"    4", "   13", " 1 ", " 4 ", " 4 ", " 4 "}));
}

TEST(SampleFile, TotalsOutgrowingTheirWidthSurviveARoundTrip) {
  TempDir dir;
  const QString path = qpath(dir / "big.dat");
  // 2000 groups of 60 = 120000 animals: six digits in a five-character total.
  GroupSizeSample s = entered({{60, 2000}});
  s.totalsWidth = 5;
  ASSERT_TRUE(tsk::WriteSampleFile(path, s));
  EXPECT_EQ(readFile(dir / "big.dat").substr(0, 15), " 2000\r\n120000\r\n");
  tsk::SampleFileRead back = tsk::ReadSampleFile(path);
  EXPECT_EQ(back.message.toStdString(), "");
  EXPECT_EQ(back.sample.animalsTotal, 120000);

  // After edits (width 7): 30000 groups of 30000 = 900000000 animals.
  ASSERT_TRUE(tsk::WriteSampleFile(path, entered({{30000, 30000}})));
  back = tsk::ReadSampleFile(path);
  EXPECT_EQ(back.message.toStdString(), "");
  EXPECT_EQ(back.sample.groupsTotal, 30000);
  EXPECT_EQ(back.sample.animalsTotal, 900000000);
  EXPECT_EQ(tsk::animalsTotalText(back.sample).toStdString(), "900000000");
}

TEST(SampleFile, UnloadableFiles) {
  TempDir dir;
  const struct {
    const char* name;
    std::string content;
    std::string message;
  } cases[] = {
      {"empty.dat", "",
       "File empty.dat is not a sample file: it lacks the totals of groups and animals."},
      {"one.dat", "5\r\n",
       "File one.dat is not a sample file: it lacks the totals of groups and animals."},
      {"word.dat", "5\r\nabc\r\n", "File word.dat holds \"abc\", which is not a whole number."},
      {"half.dat", "2.5\r\n5\r\n", "File half.dat holds \"2.5\", which is not a whole number."},
      {"size.dat", "2\r\n3\r\n1\r\n1.5\r\n",
       "File size.dat holds \"1.5\", which is not a group size."},
      {"huge.dat", "1\r\n1\r\n3000000000\r\n",
       "File huge.dat holds \"3000000000\", which is not a group size."},
      {"inf.dat", "1\r\n1\r\ninf\r\n", "File inf.dat holds \"inf\", which is not a group size."},
      {"bytes.dat", std::string("1\r\n1\r\n\x01\xff\r\n", 10),
       "File bytes.dat holds \"??\", which is not a group size."},
  };
  for (const auto& c : cases) {
    writeFile(dir / c.name, c.content);
    tsk::SampleFileRead r = tsk::ReadSampleFile(qpath(dir / c.name));
    EXPECT_FALSE(r.ok) << c.name;
    EXPECT_EQ(r.message.toStdString(), c.message) << c.name;
    EXPECT_TRUE(r.sample.entries.empty()) << c.name;
  }
  tsk::SampleFileRead missing = tsk::ReadSampleFile(qpath(dir / "missing.dat"));
  EXPECT_FALSE(missing.ok);
  EXPECT_EQ(missing.message.toStdString(),
            "Cannot open file missing.dat: No such file or directory");
  std::filesystem::create_directory(dir / "folder.dat");
  tsk::SampleFileRead folder = tsk::ReadSampleFile(qpath(dir / "folder.dat"));
  EXPECT_FALSE(folder.ok);
  EXPECT_EQ(folder.message.left(29).toStdString(), "Cannot open file folder.dat: ");
}

TEST(SampleFile, FailedWriteLeavesNothingBehind) {
  TempDir dir;
  tsk::SampleFileWrite w = tsk::WriteSampleFile(qpath(dir / "no" / "such.dat"), entered({{1, 1}}));
  EXPECT_FALSE(w.ok);
  EXPECT_EQ(w.error.left(27).toStdString(), "Cannot write file such.dat:");
  EXPECT_TRUE(QDir(qpath(dir.path())).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
  // A folder in the way of the file: the folder stays as it was.
  std::filesystem::create_directory(dir / "taken.dat");
  EXPECT_FALSE(tsk::WriteSampleFile(qpath(dir / "taken.dat"), entered({{1, 1}})).ok);
  EXPECT_TRUE(std::filesystem::is_directory(dir / "taken.dat"));
  EXPECT_EQ(QDir(qpath(dir.path())).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
            QStringList{"taken.dat"});
}

// Saving over a link (after the windows have asked) puts a file in the
// link's place; the file it pointed to keeps its bytes.
TEST(SampleFile, SavingOverALinkReplacesTheLink) {
  namespace fs = std::filesystem;
  TempDir dir, elsewhere;
  writeFile(elsewhere / "theirs.dat", tsk::test::kPairExample);
  fs::create_symlink(elsewhere / "theirs.dat", dir / "flock.dat");
  ASSERT_TRUE(tsk::WriteSampleFile(qpath(dir / "flock.dat"), entered({{1, 3}, {4, 2}})));
  EXPECT_FALSE(fs::is_symlink(dir / "flock.dat"));
  EXPECT_EQ(readFile(dir / "flock.dat"), tsk::test::kEnteredExample);
  EXPECT_EQ(readFile(elsewhere / "theirs.dat"), tsk::test::kPairExample);
}

// Loading reads only regular files, and no more than its bounds.
TEST(SampleFile, LoadingIsBounded) {
  namespace fs = std::filesystem;
  TempDir dir;
  fs::create_symlink("/dev/zero", dir / "zero.dat");
  ASSERT_EQ(mkfifo((dir / "pipe.dat").c_str(), 0644), 0);
  std::string many = "1000001\r\n1000001\r\n";
  for (int i = 0; i < 1000001; ++i) many += "1\n";
  writeFile(dir / "many.dat", many);
  const struct {
    const char* file;
    std::string message;
  } cases[] = {
      {"zero.dat", "Cannot open file zero.dat: it is not a regular file."},
      {"pipe.dat", "Cannot open file pipe.dat: it is not a regular file."},
      {"many.dat", "File many.dat holds more than 1000000 groups."},
  };
  for (const auto& c : cases) {
    tsk::SampleFileRead r = tsk::ReadSampleFile(qpath(dir / c.file));
    EXPECT_FALSE(r.ok) << c.file;
    EXPECT_EQ(r.message.toStdString(), c.message);
  }
  // A million groups is still a sample.
  many.resize(many.size() - 2);
  many.replace(0, 18, "1000000\r\n1000000\r\n");
  writeFile(dir / "many.dat", many);
  tsk::SampleFileRead r = tsk::ReadSampleFile(qpath(dir / "many.dat"));
  ASSERT_TRUE(r.ok) << r.message.toStdString();
  EXPECT_EQ(r.sample.groupsTotal, 1000000);
}

// The delivered examples are exactly what the program writes: they load
// without a message and save back byte for byte (width 7, as entered).
TEST(SampleFile, DeliveredExamples) {
  int found = 0;
  for (const auto& file : std::filesystem::directory_iterator(tsk::test::dataDir())) {
    if (file.path().extension() != ".dat") continue;
    ++found;
    const std::string name = file.path().filename().string();
    tsk::SampleFileRead r = tsk::ReadSampleFile(qpath(file.path()));
    ASSERT_TRUE(r.ok) << name;
    EXPECT_EQ(r.message.toStdString(), "") << name;
    EXPECT_GE(r.sample.groupsTotal, 100) << name;
    EXPECT_LE(r.sample.groupsTotal, 999) << name;  // within every engine's smaller build
    r.sample.totalsWidth = 7;
    EXPECT_EQ(tsk::sampleFileText(r.sample).toStdString(), readFile(file.path())) << name;
  }
  EXPECT_GE(found, 3);
}

// Arbitrary bytes as a sample file, biased toward the characters of real
// ones: the reader and the exchange writer never crash, and what they give
// is consistent.
TEST(SampleFile, ArbitraryBytesNeverCrashTheReaders) {
  TempDir dir;
  std::mt19937 rng(20261207);
  const std::string alphabet = "0123456789 ,\r\n-+.eE";
  for (int round = 0; round < 3000; ++round) {
    std::string bytes(rng() % 64, '\0');
    for (char& b : bytes)
      b = (rng() % 4 == 0) ? static_cast<char>(rng() % 256) : alphabet[rng() % alphabet.size()];
    // Every tenth round through the files (the safe writes sync to disk,
    // which is slow), the others in memory.
    tsk::SampleFileRead r;
    std::string block;
    if (round % 10 == 0) {
      writeFile(dir / "fuzz.dat", bytes);
      r = tsk::ReadSampleFile(qpath(dir / "fuzz.dat"));
      ASSERT_TRUE(tsk::writeExchangeData(qpath(dir.path()), {"fuzz.dat"}));
      block = readFile(dir / "tskdat.tmp");
    } else {
      r = tsk::parseSampleFile(QByteArray::fromStdString(bytes), "fuzz.dat");
      block = tsk::sampleBlock(QByteArray::fromStdString(bytes)).toStdString();
    }
    EXPECT_EQ(block.substr(block.size() - 3), " \r\n");
    EXPECT_EQ(block.find(','), std::string::npos);
    if (!r.ok) {
      EXPECT_FALSE(r.message.isEmpty());
      continue;
    }
    std::int64_t groups = 0;
    for (const SampleEntry& e : r.sample.entries) {
      EXPECT_GT(e.size, 0);
      EXPECT_GT(e.groups, 0);
      groups += e.groups;
    }
    // Without sizes of 0 or less, a file that loads without a message has
    // as many groups in its rows as line 1 says.
    if (r.message.isEmpty() && bytes.find_first_of("-0") == std::string::npos) {
      EXPECT_EQ(groups, r.sample.groupsTotal) << bytes;
    }
  }
}

}  // namespace
