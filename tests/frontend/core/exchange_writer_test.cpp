// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QElapsedTimer>
#include <filesystem>
#include <fstream>

#include "ExchangeWriter.h"
#include "core_test_support.h"

namespace {

using tsk::test::crlf;
using tsk::test::qpath;
using tsk::test::readFile;
using tsk::test::TempDir;
using tsk::test::writeFile;

TEST(ExchangeWriter, Items) {
  const struct {
    std::string text;
    std::vector<std::string> items;
  } cases[] = {
      {"5\r\n11\r\n 1 \r\n", {"5", "11", "1"}},
      {"a, b ,c", {"a", "b", "c"}},  // a comma ends an item, blanks around it go
      {"  7  8 \n", {"7  8"}},       // a blank inside an item does not end it
      {"\r\n\r\n \t \n", {}},        // empty items are passed over
      {",,", {}},
      {"x\ry", {"x", "y"}},  // a lone CR ends a line too
      {"last", {"last"}},    // no line end after the last item
  };
  for (const auto& c : cases) {
    std::vector<std::string> got;
    for (const QByteArray& item : tsk::splitItems(QByteArray::fromStdString(c.text)))
      got.push_back(item.toStdString());
    EXPECT_EQ(got, c.items) << c.text;
  }
}

TEST(ExchangeWriter, Blocks) {
  // Worked example: the seven value lines 5, 11, 1, 1, 1, 4, 4, then " ".
  EXPECT_EQ(tsk::sampleBlock(QByteArray::fromStdString(tsk::test::kEnteredExample)).toStdString(),
            crlf({"5", "11", "1", "1", "1", "4", "4", " "}));
  EXPECT_EQ(tsk::sampleBlock("    0\r\n    0\r\n").toStdString(), crlf({"0", "0", " "}));
  EXPECT_EQ(tsk::sampleBlock("").toStdString(), crlf({" "}));
}

TEST(ExchangeWriter, WritesOneBlockPerFileInTheOrderGiven) {
  TempDir dir;
  writeFile(dir / "a.dat", tsk::test::kEnteredExample);
  writeFile(dir / "b.dat", tsk::test::kPairExample);
  writeFile(dir / tsk::kExchangeDataFile.toStdString(),
            "an older, longer exchange file\r\n\r\n\r\n\r\n");
  // Relative names lie beside the exchange file; absolute ones anywhere.
  ASSERT_TRUE(tsk::writeExchangeData(qpath(dir.path()), {"b.dat", qpath(dir / "a.dat"), "b.dat"}));
  const std::string b = crlf({"2", "6", "2", "4", " "});
  EXPECT_EQ(readFile(dir / "tskdat.tmp"), b + crlf({"5", "11", "1", "1", "1", "4", "4", " "}) + b);

  ASSERT_TRUE(tsk::writeExchangeData(qpath(dir.path()), {}));
  EXPECT_EQ(readFile(dir / "tskdat.tmp"), "");
}

TEST(ExchangeWriter, UnreadableSampleLeavesTheExchangeFileAlone) {
  TempDir dir;
  writeFile(dir / "a.dat", tsk::test::kEnteredExample);
  writeFile(dir / "tskdat.tmp", "previous\r\n");
  tsk::ExchangeWrite w = tsk::writeExchangeData(qpath(dir.path()), {"a.dat", "gone.dat"});
  EXPECT_FALSE(w.ok);
  EXPECT_EQ(w.error.toStdString(), "Cannot read sample file gone.dat: No such file or directory");
  EXPECT_EQ(readFile(dir / "tskdat.tmp"), "previous\r\n");

  tsk::ExchangeWrite nowhere =
      tsk::writeExchangeFile(qpath(dir / "no" / "tskdat.tmp"), {qpath(dir / "a.dat")});
  EXPECT_FALSE(nowhere.ok);
  EXPECT_EQ(nowhere.error.left(29).toStdString(), "Cannot write file tskdat.tmp:");
}

// A planted link or anything but a plain file at tskdat.tmp is refused by
// name; the file linked to keeps every byte.
TEST(ExchangeWriter, NeverWritesThroughTheExchangeFile) {
  namespace fs = std::filesystem;
  TempDir dir, elsewhere;
  writeFile(dir / "a.dat", tsk::test::kEnteredExample);
  writeFile(elsewhere / "profile", "export KEEP=1\n");
  fs::create_symlink(elsewhere / "profile", dir / "tskdat.tmp");
  tsk::ExchangeWrite linked = tsk::writeExchangeData(qpath(dir.path()), {"a.dat"});
  EXPECT_FALSE(linked.ok);
  EXPECT_EQ(linked.error.toStdString(),
            "File tskdat.tmp is a symbolic link: it is not written, because that would change the "
            "file it points to. Remove the link and try again.");
  EXPECT_EQ(readFile(elsewhere / "profile"), "export KEEP=1\n");
  EXPECT_TRUE(fs::is_symlink(dir / "tskdat.tmp"));

  // A dangling link would create its target.
  fs::remove(dir / "tskdat.tmp");
  fs::create_symlink(elsewhere / "new", dir / "tskdat.tmp");
  EXPECT_FALSE(tsk::writeExchangeData(qpath(dir.path()), {"a.dat"}).ok);
  EXPECT_FALSE(fs::exists(elsewhere / "new"));

  fs::remove(dir / "tskdat.tmp");
  fs::create_directory(dir / "tskdat.tmp");
  EXPECT_EQ(tsk::writeExchangeData(qpath(dir.path()), {"a.dat"}).error.toStdString(),
            "File tskdat.tmp is not a regular file: it is not written.");
  // Nothing is left beside it.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 2);
}

// Sample files that are endless, blocking or far too large are refused at
// once or as soon as a bound is passed, never read whole.
TEST(ExchangeWriter, BoundedReadingOfSamples) {
  namespace fs = std::filesystem;
  TempDir dir;
  fs::create_symlink("/dev/zero", dir / "zero.dat");
  ASSERT_EQ(mkfifo((dir / "pipe.dat").c_str(), 0644), 0);
  fs::create_directory(dir / "folder.dat");
  // Sparse: 100 MB that take no room on the disk.
  { std::ofstream(dir / "large.dat"); }
  fs::resize_file(dir / "large.dat", 100 << 20);
  writeFile(dir / "long.dat", "1\r\n" + std::string(5000, '7') + "\r\n");
  {
    // Ten million groups of one: "only to be told the maximum" later.
    std::ofstream many(dir / "many.dat", std::ios::binary);
    many << "10000000\r\n10000000\r\n";
    const std::string chunk = [] {
      std::string c;
      for (int i = 0; i < 100000; ++i) c += "1\n";
      return c;
    }();
    for (int i = 0; i < 100; ++i) many << chunk;
  }
  writeFile(dir / "tskdat.tmp", "previous\r\n");

  const struct {
    const char* file;
    std::string error;
  } cases[] = {
      {"zero.dat", "Cannot read sample file zero.dat: it is not a regular file."},
      {"pipe.dat", "Cannot read sample file pipe.dat: it is not a regular file."},
      {"folder.dat", "Cannot read sample file folder.dat: it is not a regular file."},
      {"large.dat", "Cannot read sample file large.dat: it is larger than 64 MB."},
      {"long.dat",
       "Cannot read sample file long.dat: it holds an item longer than 1000 "
       "characters."},
      {"many.dat", "Sample file many.dat holds more than 1000000 groups."},
  };
  for (const auto& c : cases) {
    QElapsedTimer clock;
    clock.start();
    tsk::ExchangeWrite w = tsk::writeExchangeData(qpath(dir.path()), {c.file});
    EXPECT_EQ(w.error.toStdString(), c.error);
    // Seconds would mean the whole file was read (generous for the sanitizer
    // build; these take milliseconds).
    EXPECT_LT(clock.elapsed(), 5000) << c.file;
    EXPECT_EQ(readFile(dir / "tskdat.tmp"), "previous\r\n") << c.file;
  }
}

// The reader sees the same items whatever the pieces it reads in, blanks
// between pieces included.
TEST(ExchangeWriter, ItemsAcrossPieces) {
  std::string text;
  std::vector<std::string> expected;
  for (int i = 0; i < 40000; ++i) {
    const std::string item = std::to_string(i) + "  " + std::to_string(i % 7);
    text += "   " + item + (i % 3 == 0 ? " ,\t" : " \r\n");
    expected.push_back(item);
  }
  std::vector<std::string> got;
  for (const QByteArray& item : tsk::splitItems(QByteArray::fromStdString(text)))
    got.push_back(item.toStdString());
  EXPECT_EQ(got, expected);
}

}  // namespace
