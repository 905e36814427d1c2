// SPDX-License-Identifier: GPL-3.0-or-later
// tsktab.tmp read back, and the tables and methods text made from it.

#include <gtest/gtest.h>

#include "AnalysisTable.h"
#include "TskVersion.h"

namespace {

const QByteArray kTable =
    "engine\tgsstoceq\r\nseed\t093000\r\n"
    "samples\tmethod\tstatistic\tvalue\tlevel\treplications\r\n"
    "1\tdescriptives\tmean\t8.899371\t\t\r\n"
    "1,2\tBrunner-Munzel test\tp_value\tNA\t\t\r\n"
    "1,2\tbootstrap test\tp_value\t0.006\t\t10000\r\n";

TEST(AnalysisTable, ReadsOnlyWellFormedTables) {
  const struct {
    QByteArray text;
    const char* error;  // nullptr: read
  } cases[] = {
      {kTable, nullptr},
      {QByteArray(kTable).replace("\r\n", "\n"), nullptr},  // LF line ends
      {"engine\tgsmeanci\r\n", "tsktab.tmp is not a table of results"},
      {"", "tsktab.tmp is not a table of results"},
      {QByteArray(kTable).replace("1,2\tBrunner", "x\tBrunner"),
       "tsktab.tmp, line 5: no sample number"},
      {QByteArray(kTable).replace("\t10000", ""), "tsktab.tmp, line 6: not six fields"},
  };
  for (const auto& c : cases) {
    QString error;
    const std::optional<tsk::AnalysisTable> table = tsk::parseAnalysisTable(c.text, &error);
    EXPECT_EQ(table.has_value(), c.error == nullptr) << c.text.constData();
    if (c.error) {
      EXPECT_EQ(error, QString::fromLatin1(c.error));
    }
  }
  const tsk::AnalysisTable table = *tsk::parseAnalysisTable(kTable, nullptr);
  EXPECT_EQ(table.engine, "gsstoceq");
  EXPECT_EQ(table.seedTime, "093000");
  ASSERT_EQ(table.rows.size(), 3);
  EXPECT_EQ(table.rows[1].samples, QList<int>({1, 2}));
  EXPECT_EQ(table.rows[2].replications, 10000);
}

TEST(AnalysisTable, WritesCsvTsvAndJson) {
  const QList<tsk::NamedTable> runs{
      {*tsk::parseAnalysisTable(kTable, nullptr), {"north, bay", "south"}}};
  EXPECT_EQ(tsk::tableText(runs, tsk::TableFormat::Csv),
            "engine,method,sample,statistic,value,level,replications,seed_time\n"
            "gsstoceq,descriptives,\"north, bay\",mean,8.899371,,,093000\n"
            "gsstoceq,Brunner-Munzel test,\"north, bay vs south\",p_value,NA,,,093000\n"
            "gsstoceq,bootstrap test,\"north, bay vs south\",p_value,0.006,,10000,093000\n");
  EXPECT_TRUE(tsk::tableText(runs, tsk::TableFormat::Tsv)
                  .endsWith("gsstoceq\tbootstrap test\tnorth, bay vs south\tp_value\t0.006\t\t"
                            "10000\t093000\n"));
  const QByteArray json = tsk::tableText(runs, tsk::TableFormat::Json);
  EXPECT_TRUE(json.contains("\"value\": null")) << json.constData();  // NA
  EXPECT_TRUE(json.contains("\"value\": 8.899371")) << json.constData();
  EXPECT_TRUE(json.contains("\"seed_time\": \"093000\"")) << json.constData();
}

TEST(AnalysisTable, MethodsTextNamesMethodsLevelsSeedVersionAndArticles) {
  QByteArray limits =
      "engine\tgscrowci\r\nseed\t101500\r\n"
      "samples\tmethod\tstatistic\tvalue\tlevel\treplications\r\n"
      "1\tBCa bootstrap\tlower_limit\t15.9\t0.9\t20000\r\n"
      "1\tBCa bootstrap\tlower_limit\t15.6\t0.95\t20000\r\n";
  const QList<tsk::NamedTable> runs{{*tsk::parseAnalysisTable(limits, nullptr), {"gulls"}},
                                    {*tsk::parseAnalysisTable(limits, nullptr), {"terns"}},
                                    {*tsk::parseAnalysisTable(kTable, nullptr), {"a", "b"}}};
  const QString text = tsk::methodsText(runs);
  for (const QString& part :
       {QStringLiteral("Toskarn %1.").arg(QString::fromLatin1(tsk::kVersion)),
        QStringLiteral("mean crowding (Lloyd 1967) are bias-corrected and accelerated (BCa) "
                       "bootstrap limits (Efron 1987), at the 90 % and 95 % confidence levels, "
                       "with 20000 bootstrap replications."),
        QStringLiteral("the Brunner-Munzel test (Brunner and Munzel 2000)"),
        QStringLiteral("10:15:00 (--seed-time 101500) and 09:30:00 (--seed-time 093000)"),
        QStringLiteral("M. Lloyd (1967) Mean crowding. Journal of Animal Ecology 36: 1-30."),
        QStringLiteral("Biometrical Journal 42: 17-25.")})
    EXPECT_TRUE(text.contains(part)) << part.toStdString() << "\n" << text.toStdString();
  // Each article once, however many runs cite it.
  EXPECT_EQ(text.count(QStringLiteral("J. Anim")) + text.count(QStringLiteral("Journal of Animal")),
            1);
}

}  // namespace
