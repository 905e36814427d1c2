// SPDX-License-Identifier: GPL-3.0-or-later
#include "reader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <optional>
#include <random>
#include <string_view>
#include <vector>

#include "test_support.h"

namespace tsk {
namespace {

TEST(NumberReader, SkipsBlankLinesAndIgnoresRestOfLine) {
  NumberReader r("5\r\n\r\n   \r\n 11 animals\r\n 1 ,2\n4.5e0\n");
  int32_t n = 0;
  float x = 0;
  ASSERT_EQ(r.readInt(n), ReadStatus::Value);
  EXPECT_EQ(n, 5);
  ASSERT_EQ(r.readInt(n), ReadStatus::Value);
  EXPECT_EQ(n, 11);
  ASSERT_EQ(r.readReal(x), ReadStatus::Value);
  EXPECT_EQ(x, 1.0f);
  ASSERT_EQ(r.readReal(x), ReadStatus::Value);
  EXPECT_EQ(x, 4.5f);
  EXPECT_EQ(r.readReal(x), ReadStatus::EndOfData);
  EXPECT_EQ(r.readInt(n), ReadStatus::EndOfData);
}

TEST(NumberReader, ThreeOutcomesForEachKind) {
  struct Case {
    const char* item;
    bool isInt, isReal;
    double value;
  } cases[] = {
      {"12", true, true, 12},
      {"-3", true, true, -3},
      {"+7", true, true, 7},
      {"2.5", false, true, 2.5},
      {"1e3", false, true, 1000},
      {"1.5D2", false, true, 150},
      {".5", false, true, 0.5},
      {"abc", false, false, 0},
      {"1x", false, false, 0},
      {"nan", false, false, 0},
      {"inf", false, false, 0},
      {"0x10", false, false, 0},
      {"-", false, false, 0},
      {"1e", false, false, 0},
      {"2147483647", true, true, 2147483647.0},
      {"2147483648", false, true, 2147483648.0},
      {"-2147483648", true, true, -2147483648.0},
      {"1e60", false, false, 0},
      {"1..2", false, false, 0},
      {"5-", false, false, 0},
  };
  for (const auto& c : cases) {
    int32_t n = 0;
    float x = 0;
    EXPECT_EQ(NumberReader(c.item).readInt(n), c.isInt ? ReadStatus::Value : ReadStatus::Invalid)
        << c.item;
    if (c.isInt) {
      EXPECT_EQ(n, static_cast<int32_t>(c.value)) << c.item;
    }
    EXPECT_EQ(NumberReader(c.item).readReal(x), c.isReal ? ReadStatus::Value : ReadStatus::Invalid)
        << c.item;
    if (c.isReal) {
      EXPECT_EQ(x, static_cast<float>(c.value)) << c.item;
    }
  }
}

TEST(NumberReader, ReadRealsStopsAtTheFirstFailure) {
  struct Case {
    const char* content;
    int n;
    ReadStatus status;
    std::vector<float> filled;  // what the reads before the failure stored
  } cases[] = {
      {"1\n2.5\n\n3\n", 3, ReadStatus::Value, {1, 2.5f, 3}},
      {"1\n2\n", 3, ReadStatus::EndOfData, {1, 2, -1}},
      {"1\nx\n3\n", 3, ReadStatus::Invalid, {1, -1, -1}},
      {"", 0, ReadStatus::Value, {}},
  };
  for (const auto& c : cases) {
    std::vector<float> x(c.filled.size(), -1.0f);
    NumberReader r(c.content);
    EXPECT_EQ(r.readReals(x.data(), c.n), c.status) << c.content;
    EXPECT_EQ(x, c.filled) << c.content;
  }
}

TEST(NumberReader, SkipLinePassesOverExactlyOneLine) {
  NumberReader r("3\n \n4\n");
  int32_t n = 0;
  r.readInt(n);
  EXPECT_TRUE(r.skipLine());
  ASSERT_EQ(r.readInt(n), ReadStatus::Value);
  EXPECT_EQ(n, 4);
  EXPECT_FALSE(r.skipLine());
  // A skip passes over a line holding a number too.
  NumberReader s("1\n2\n");
  s.skipLine();
  s.readInt(n);
  EXPECT_EQ(n, 2);
}

// Short contents live inside the string object itself: a reader moved
// mid-read must go on from its place in its own text, not in the storage it
// came from (here refilled with other digits).
TEST(NumberReader, MovedReaderKeepsItsPlace) {
  int32_t n = 0;
  NumberReader first("1\n2\n3\n4\n");
  ASSERT_EQ(first.readInt(n), ReadStatus::Value);
  std::optional<NumberReader> moved(std::move(first));
  first = NumberReader("5\n6\n7\n8\n");
  for (int expected : {2, 3, 4}) {
    ASSERT_EQ(moved->readInt(n), ReadStatus::Value);
    EXPECT_EQ(n, expected);
  }
  EXPECT_EQ(moved->readInt(n), ReadStatus::EndOfData);
  ASSERT_EQ(first.readInt(n), ReadStatus::Value);
  EXPECT_EQ(n, 5);
}

TEST(ParameterFile, ReadsThirdLineOrReportsWhy) {
  test::TempDir dir;
  struct Case {
    const char* content;
    ParamStatus status;
    int value;
  } cases[] = {
      {"free text\r\nmore text\r\n 5000 replications\r\n", ParamStatus::Ok, 5000},
      {"a\nb\n-3\n", ParamStatus::Ok, -3},
      {"a\nb\n", ParamStatus::Unreadable, 2000},
      {"a\n", ParamStatus::Unreadable, 2000},
      {"", ParamStatus::Unreadable, 2000},
      {"a\nb\nmany\n", ParamStatus::Unreadable, 2000},
      {"a\nb\n2.5\n", ParamStatus::Unreadable, 2000},
  };
  for (const auto& c : cases) {
    test::writeFile(dir / "p.par", c.content);
    int32_t v = 2000;
    EXPECT_EQ(readParameterFile(dir / "p.par", v), c.status) << c.content;
    EXPECT_EQ(v, c.value) << c.content;
  }
  int32_t v = 0;
  EXPECT_EQ(readParameterFile(dir / "missing.par", v), ParamStatus::Missing);
}

// Arbitrary bytes never crash the reader (run under the sanitizer build).
TEST(NumberReader, ArbitraryBytes) {
  std::mt19937 gen(12345);
  const std::string alphabet = "0123456789+-.eEdD ,\t\r\n\0xyz\xff";
  for (int round = 0; round < 3000; ++round) {
    std::string s;
    int len = static_cast<int>(gen() % 60);
    for (int i = 0; i < len; ++i) s += alphabet[gen() % alphabet.size()];
    NumberReader r(s);
    int32_t n;
    float x;
    for (int i = 0; i < 40; ++i) {
      if (i % 3 == 0)
        r.readInt(n);
      else if (i % 3 == 1)
        r.readReal(x);
      else
        r.skipLine();
    }
  }
}

// The reads done plainly on the whole text split into lines, as a check of
// the streaming reader: a line ends at LF, a CR before its end is dropped.
class WholeTextReader {
 public:
  explicit WholeTextReader(std::string text) : text_(std::move(text)) {
    for (size_t start = 0; start < text_.size();) {
      size_t end = text_.find('\n', start);
      size_t stop = end == std::string::npos ? text_.size() : end;
      std::string_view line = std::string_view(text_).substr(start, stop - start);
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      lines_.push_back(line);
      if (end == std::string::npos) break;
      start = end + 1;
    }
  }
  ReadStatus readInt(int32_t& v) {
    return read([&](std::string_view i) { return parseInt32(i, v); });
  }
  ReadStatus readReal(float& v) {
    return read([&](std::string_view i) { return parseReal(i, v); });
  }
  bool skipLine() { return next_ < lines_.size() ? (++next_, true) : false; }
  bool atEnd() const { return next_ >= lines_.size(); }

 private:
  template <class Parse>
  ReadStatus read(Parse parse) {
    while (next_ < lines_.size()) {
      std::string_view line = lines_[next_++];
      size_t first = line.find_first_not_of(" \t");
      if (first == std::string_view::npos) continue;
      size_t end = line.find_first_of(" \t,", first);
      return parse(line.substr(first, end == std::string_view::npos ? end : end - first))
                 ? ReadStatus::Value
                 : ReadStatus::Invalid;
    }
    return ReadStatus::EndOfData;
  }
  std::string text_;
  std::vector<std::string_view> lines_;
  size_t next_ = 0;
};

// Random texts far longer than one piece the file reader holds, with long
// blank runs and items across the piece boundaries: every read gives what
// the plain reads of the whole text give, from a file and from memory.
TEST(NumberReader, StreamingReadsMatchWholeTextReads) {
  test::TempDir dir;
  std::mt19937 gen(777);
  const std::string alphabet = "0123456789 \t,\r\n.-+eEx\0";
  for (int round = 0; round < 40; ++round) {
    std::string text;
    while (text.size() < 200000) {
      switch (gen() % 8) {
        case 0:
          text.append(gen() % 70000, gen() % 2 ? ' ' : '\n');
          break;
        case 1:
          text.append(gen() % 3000, "0123456789"[gen() % 10]);
          break;
        case 2:
          text += std::to_string(gen() % 5000) + "\r\n";
          break;
        default:
          text += alphabet[gen() % alphabet.size()];
      }
    }
    test::writeFile(dir / "t.tmp", text);
    std::optional<NumberReader> fromFile = NumberReader::open(dir / "t.tmp");
    ASSERT_TRUE(fromFile);
    NumberReader fromMemory(text);
    WholeTextReader plain(text);
    for (int op = 0; !plain.atEnd(); ++op) {
      SCOPED_TRACE("round " + std::to_string(round) + ", read " + std::to_string(op));
      int32_t n[3] = {};
      float x[3] = {};
      switch (gen() % 3) {
        case 0: {
          const ReadStatus expected = plain.readInt(n[0]);
          ASSERT_EQ(fromFile->readInt(n[1]), expected);
          ASSERT_EQ(fromMemory.readInt(n[2]), expected);
          break;
        }
        case 1: {
          const ReadStatus expected = plain.readReal(x[0]);
          ASSERT_EQ(fromFile->readReal(x[1]), expected);
          ASSERT_EQ(fromMemory.readReal(x[2]), expected);
          break;
        }
        default: {
          const bool expected = plain.skipLine();
          ASSERT_EQ(fromFile->skipLine(), expected);
          ASSERT_EQ(fromMemory.skipLine(), expected);
        }
      }
      ASSERT_EQ(n[1], n[0]);
      ASSERT_EQ(n[2], n[0]);
      ASSERT_EQ(x[1], x[0]);
      ASSERT_EQ(x[2], x[0]);
      ASSERT_EQ(fromFile->atEnd(), plain.atEnd());
    }
  }
}

TEST(NumberReader, ItemLongerThanAnyNumberIsInvalidAndNotKept) {
  for (size_t length : {NumberReader::kMaxItem, NumberReader::kMaxItem + 1}) {
    NumberReader r(std::string(length, '0') + "\n7\n");
    float x = -1;
    EXPECT_EQ(r.readReal(x),
              length > NumberReader::kMaxItem ? ReadStatus::Invalid : ReadStatus::Value);
    int32_t n = 0;
    ASSERT_EQ(r.readInt(n), ReadStatus::Value);  // the rest of the long line is passed over
    EXPECT_EQ(n, 7);
  }
}

// Only regular files are read: a FIFO would block the run, a device never
// end. A link to a regular file is read like the file.
TEST(NumberReader, ReadsOnlyRegularFiles) {
  test::TempDir dir;
  test::writeFile(dir / "plain.par", "a\nb\n300\n");
  std::filesystem::create_symlink(dir / "plain.par", dir / "linked.par");
  std::filesystem::create_symlink("/dev/zero", dir / "zero.par");
  ASSERT_EQ(mkfifo((dir / "fifo.par").c_str(), 0600), 0);
  std::filesystem::create_directory(dir / "dir.par");
  struct Case {
    const char* name;
    ParamStatus status;
  } cases[] = {{"plain.par", ParamStatus::Ok},     {"linked.par", ParamStatus::Ok},
               {"zero.par", ParamStatus::Missing}, {"fifo.par", ParamStatus::Missing},
               {"dir.par", ParamStatus::Missing},  {"none.par", ParamStatus::Missing}};
  for (const Case& c : cases) {
    int32_t v = 0;
    EXPECT_EQ(readParameterFile(dir / c.name, v), c.status) << c.name;
    EXPECT_EQ(NumberReader::open(dir / c.name).has_value(), c.status == ParamStatus::Ok) << c.name;
  }
}

}  // namespace
}  // namespace tsk
