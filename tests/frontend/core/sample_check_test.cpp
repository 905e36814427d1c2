// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "ExchangeWriter.h"
#include "SampleCheck.h"
#include "SampleFile.h"
#include "core_test_support.h"

namespace {

using tsk::test::crlf;
using tsk::test::qpath;
using tsk::test::readFile;
using tsk::test::TempDir;
using tsk::test::writeFile;

// Each damaged file is named with what is wrong and left out; the others go
// on in the order given.
TEST(SampleCheck, DamagedFilesAreNamedAndLeftOut) {
  TempDir dir;
  writeFile(dir / "good.dat", tsk::test::kPairExample);
  writeFile(dir / "word.dat", crlf({"2", "6", "2", "four"}));
  writeFile(dir / "count.dat", crlf({"3", "6", "2", "4"}));     // says 3 groups, holds 2
  writeFile(dir / "wrongsum.dat", crlf({"2", "7", "2", "4"}));  // the engines would refuse it
  writeFile(dir / "years.csv", "2006;2007\n3;4\n");  // reads both as samples and as pairs
  std::string big = crlf({"1000", "1000"});
  for (int i = 0; i < 1000; ++i) big += " 1 \r\n";
  writeFile(dir / "big.dat", big);

  const tsk::SampleCheck check = tsk::checkSampleFiles(
      qpath(dir.path()),
      {"word.dat", "good.dat", "gone.dat", "count.dat", "wrongsum.dat", "years.csv"});
  EXPECT_EQ(check.usable, QStringList({"good.dat"}));
  EXPECT_EQ(check.damaged,
            QStringList({"word.dat", "gone.dat", "count.dat", "wrongsum.dat", "years.csv"}));
  const QStringList blocks = check.message.split(QStringLiteral("\r\n\r\n"));
  ASSERT_EQ(blocks.size(), 5) << check.message.toStdString();
  for (int i = 0; i < 5; ++i) {
    EXPECT_TRUE(blocks[i].contains(check.damaged[i])) << blocks[i].toStdString();
    EXPECT_TRUE(blocks[i].endsWith(tsk::kLeftOutMessage)) << blocks[i].toStdString();
  }
  EXPECT_TRUE(blocks[0].contains(QStringLiteral("\"four\", which is not a group size")));
  EXPECT_TRUE(blocks[2].contains(tsk::kInvalidTotalMessage));
  EXPECT_TRUE(blocks[3].contains(QStringLiteral("add up to 6 animals, not the 7")));
  // The window has no --layout option; its import asks instead.
  EXPECT_TRUE(
      blocks[4].startsWith(QStringLiteral("File years.csv, line 1: the two columns read "
                                          "both as two samples named \"2006\"")));
  EXPECT_TRUE(
      blocks[4].contains(QStringLiteral(". Import it with Import... in the entry or edit "
                                        "window to choose one, or head the columns")));

  EXPECT_TRUE(tsk::checkSampleFiles(qpath(dir.path()), {"good.dat"}).message.isEmpty());

  // The methods' limits as the engines were built: one build of the median
  // limits takes 999 groups, the two-sample t-test needs two.
  const auto midlim = tsk::methodLimit(QStringLiteral("gsmidlim"), QStringLiteral("Median"));
  ASSERT_TRUE(midlim);
  EXPECT_EQ(midlim->capacity, 999);
  EXPECT_EQ(tsk::methodLimit(QStringLiteral(" gsmean29"), {})->minGroups, 2);
  EXPECT_FALSE(tsk::methodLimit(QStringLiteral("tskecho1"), {}));
  const tsk::SampleCheck limited = tsk::checkSampleFiles(
      qpath(dir.path()), {"big.dat", "good.dat"},
      {*tsk::methodLimit(QStringLiteral("gssummar"), QStringLiteral("Sum")), *midlim,
       *tsk::methodLimit(QStringLiteral("gsmean2s"), QStringLiteral("t"))});
  EXPECT_EQ(limited.usable, QStringList({"good.dat"}));
  EXPECT_TRUE(limited.message.startsWith(
      QStringLiteral("File big.dat holds 1000 groups; \"Median\" takes at most 999.")))
      << limited.message.toStdString();
}

// The order of a sample's groups carries no meaning, but some methods take
// the list as sorted: the exchange file always holds it ascending.
TEST(SampleCheck, UnsortedSizesAreSortedInTheExchangeFile) {
  const struct {
    std::string file;
    std::string block;
  } cases[] = {
      {crlf({"4", "10", "3", "1", "4", "2"}), crlf({"4", "10", "1", "2", "3", "4", " "})},
      {crlf({"3", "111", "100", "9", "2"}), crlf({"3", "111", "2", "9", "100", " "})},  // by value
      {crlf({"3", "5", "0", "1", "4"}), crlf({"3", "5", "0", "1", "4", " "})},  // already sorted
      {crlf({"2", "5", "x", "1"}), crlf({"2", "5", "x", "1", " "})},  // for the engine to refuse
  };
  for (const auto& c : cases) {
    TempDir dir;
    writeFile(dir / "s.dat", c.file);
    ASSERT_TRUE(tsk::writeExchangeData(qpath(dir.path()), {"s.dat"}));
    EXPECT_EQ(readFile(dir / "tskdat.tmp"), c.block) << c.file;
    EXPECT_EQ(readFile(dir / "s.dat"), c.file);  // the sample file itself is left as it is
  }
}

}  // namespace
