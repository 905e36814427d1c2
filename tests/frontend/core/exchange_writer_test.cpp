#include <gtest/gtest.h>

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

}  // namespace
