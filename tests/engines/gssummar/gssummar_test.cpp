// SPDX-License-Identifier: GPL-3.0-or-later
#include "gssummar.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace {

using tsk::test::crlf;
using tsk::test::readFile;
using tsk::test::sameText;
using tsk::test::writeFile;

const std::vector<std::string> kTitle = {
    "  ",
    "Descriptive statistics",
    "",
    "                   Number of          Mean    Median        Mean    Median",
    "                Groups  Animals         Group size             Crowding",
};
const std::string kClose(tsk::kClosingLine);

std::vector<std::string> with(std::vector<std::string> body) {
  std::vector<std::string> lines = kTitle;
  lines.insert(lines.end(), body.begin(), body.end());
  lines.push_back(kClose);
  return lines;
}

std::string runOn(const tsk::test::TempDir& dir, const std::string& data, int capacity = 5000) {
  writeFile(dir / tsk::kDataFile, data);
  tsk::EngineContext ctx{dir.path()};
  gssummar::run(ctx, capacity);
  EXPECT_EQ(readFile(dir / tsk::kStatusFile), " finished: gssummar\r\n");
  return readFile(dir / tsk::kReportFile);
}

struct ReportCase {
  const char* name;
  std::string data;
  std::vector<std::string> body;
};

std::string block(std::vector<int> sizes, int animals = -1) {
  int sum = 0;
  for (int s : sizes) sum += s;
  std::string b =
      std::to_string(sizes.size()) + "\r\n" + std::to_string(animals < 0 ? sum : animals) + "\r\n";
  for (int s : sizes) b += " " + std::to_string(s) + " \r\n";
  return b + " \r\n";
}

TEST(Gssummar, WholeReports) {
  const ReportCase cases[] = {
      // Worked example: 35/11 = 3.18, median crowding 4 at the fourth group.
      {"worked example",
       block({1, 1, 1, 4, 4}),
       {"   Sample  1:       5       11        2.20      1.00        3.18      4.00"}},
      {"one group",
       block({7}),
       {"   Sample  1:       1        7        7.00      7.00        7.00      7.00"}},
      // (4 + 16) / 6; the total passes 2, then 6 > 3.
      {"two and four",
       block({2, 4}),
       {"   Sample  1:       2        6        3.00      3.00        3.33      4.00"}},
      // The total equals m at the first group and a is even.
      {"ones",
       block({1, 1}),
       {"   Sample  1:       2        2        1.00      1.00        1.00      1.00"}},
      {"one and three",
       block({1, 3}),
       {"   Sample  1:       2        4        2.00      2.00        2.50      3.00"}},
      // a odd with the total equal to m: x(j+1).
      {"odd animals",
       block({1, 1, 3}),
       {"   Sample  1:       3        5        1.67      1.00        2.20      3.00"}},
      {"three samples",
       block({1, 1, 1, 4, 4}) + block({2, 4}) + block({5}),
       {"   Sample  1:       5       11        2.20      1.00        3.18      4.00",
        "   Sample  2:       2        6        3.00      3.00        3.33      4.00",
        "   Sample  3:       1        5        5.00      5.00        5.00      5.00"}},
      {"empty file", "", {"     ERROR: unexpected end of data"}},
      {"first sample cut short", "5\r\n11\r\n1\r\n", {"     ERROR: unexpected end of data"}},
      {"later sample cut short",
       block({2, 4}) + "3\r\n9\r\n3\r\n",
       {"   Sample  1:       2        6        3.00      3.00        3.33      4.00",
        "     ERROR: unexpected end of data"}},
      {"count without animals", "5\r\n", {"  ", "     ERROR: inconsistent data"}},
      {"invalid count", "five\r\n", {"     ERROR: invalid data"}},
      {"invalid animals", "5\r\n1.5\r\n", {"     ERROR: invalid data"}},
      {"invalid size", "2\r\n3\r\n1\r\nx\r\n", {"     ERROR: invalid data"}},
      {"no groups", "0\r\n0\r\n \r\n", {"     ERROR: a sample has no groups"}},
      {"animals past the sizes",
       block({1, 2}, 9),
       {"     ERROR: number of animals does not match the group sizes"}},
      // The count is used as given when the scan stays inside the sizes.
      {"animals below the sum",
       block({1, 2, 3}, 4),
       {"   Sample  1:       3        4        1.33      2.00        3.50      2.00"}},
      // Sizes past any field: the squares 2e40 overflow single precision, so
      // the mean crowding is infinite and fills its field with asterisks as
      // the finite 1e20 and (1 + 1 + 1e30) / 3 do.
      {"sizes of 1e15 and more",
       "2\r\n2\r\n1e20\r\n1e20\r\n \r\n3\r\n3\r\n1\r\n1\r\n1e15\r\n",
       {"   Sample  1:       2        2        1.00********************************",
        "   Sample  2:       3        3        1.00      1.00************      1.00"}},
  };
  for (const auto& c : cases) {
    tsk::test::TempDir dir;
    EXPECT_TRUE(sameText(crlf(with(c.body)), runOn(dir, c.data))) << c.name;
  }
}

TEST(Gssummar, CapacityIsInclusive) {
  tsk::test::TempDir dir;
  std::vector<int> sizes(5000, 1);
  std::string report = runOn(dir, block(sizes));
  EXPECT_NE(
      report.find("   Sample  1:    5000     5000        1.00      1.00        1.00      1.00"),
      std::string::npos);
  sizes.push_back(1);
  EXPECT_TRUE(
      sameText(crlf(with({"     ERROR: max. sample size is 5000"})), runOn(dir, block(sizes))));
}

// Sample numbers have three columns: the thousandth sample is numbered ***.
TEST(Gssummar, SampleNumbersPast999) {
  tsk::test::TempDir dir;
  std::string data;
  for (int k = 0; k < 1000; ++k) data += block({5});
  const std::vector<std::string> lines = tsk::test::splitLines(runOn(dir, data));
  ASSERT_EQ(lines.size(), kTitle.size() + 1000 + 1);
  EXPECT_EQ(lines[kTitle.size() + 998],
            "   Sample999:       1        5        5.00      5.00        5.00      5.00");
  EXPECT_EQ(lines[kTitle.size() + 999],
            "   Sample***:       1        5        5.00      5.00        5.00      5.00");
  EXPECT_EQ(lines.back(), kClose);
}

TEST(Gssummar, MissingExchangeFile) {
  tsk::test::TempDir dir;
  tsk::EngineContext ctx{dir.path()};
  gssummar::run(ctx);
  EXPECT_TRUE(sameText(crlf({" " + tsk::missingFileMessage("TSKDAT.TMP"), kClose}),
                       readFile(dir / tsk::kReportFile)));
  EXPECT_EQ(readFile(dir / tsk::kStatusFile), " finished: gssummar\r\n");
}

}  // namespace
