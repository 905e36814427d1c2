#include "reader.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>

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
      {"12", true, true, 12},        {"-3", true, true, -3},       {"+7", true, true, 7},
      {"2.5", false, true, 2.5},     {"1e3", false, true, 1000},   {"1.5D2", false, true, 150},
      {".5", false, true, 0.5},      {"abc", false, false, 0},     {"1x", false, false, 0},
      {"nan", false, false, 0},      {"inf", false, false, 0},     {"0x10", false, false, 0},
      {"-", false, false, 0},        {"1e", false, false, 0},      {"2147483647", true, true, 2147483647.0},
      {"2147483648", false, true, 2147483648.0}, {"-2147483648", true, true, -2147483648.0},
      {"1e60", false, false, 0},     {"1..2", false, false, 0},    {"5-", false, false, 0},
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

// Short contents live inside the string object itself: a reader moved or
// copied mid-read must go on from its place in its own copy of the text, not
// in the storage it came from (here refilled with other digits).
TEST(NumberReader, MovedOrCopiedReaderKeepsItsPlace) {
  int32_t n = 0;
  NumberReader first("1\n2\n3\n4\n");
  ASSERT_EQ(first.readInt(n), ReadStatus::Value);
  NumberReader moved(std::move(first));
  std::optional<NumberReader> copy(moved);
  first = NumberReader("5\n6\n7\n8\n");
  ASSERT_EQ(moved.readInt(n), ReadStatus::Value);
  EXPECT_EQ(n, 2);
  moved = NumberReader("9\n9\n9\n9\n");
  for (int expected : {2, 3, 4}) {
    ASSERT_EQ(copy->readInt(n), ReadStatus::Value);
    EXPECT_EQ(n, expected);
  }
  EXPECT_EQ(copy->readInt(n), ReadStatus::EndOfData);
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
      if (i % 3 == 0) r.readInt(n);
      else if (i % 3 == 1) r.readReal(x);
      else r.skipLine();
    }
  }
}

}  // namespace
}  // namespace tsk
