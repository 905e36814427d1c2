// SPDX-License-Identifier: GPL-3.0-or-later
// The fixed font of reports, lists and totals on whatever fonts the machine
// has: columns line up, and a proportional font is never taken for one.

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QtTest>

#include "Twips.h"
#include "WindowTestSupport.h"

class TestFonts : public QObject {
  Q_OBJECT

 private slots:
  void fixedFontLinesUpColumns_data() {
    QTest::addColumn<int>("pointSize");
    QTest::newRow("results 9 pt") << 9;
    QTest::newRow("lists 10 pt") << 10;
    QTest::newRow("large 14 pt") << 14;
  }
  void fixedFontLinesUpColumns() {
    QFETCH(int, pointSize);
    const QFont font = tsk::ui::fixedFont(pointSize);
    QCOMPARE(font.pointSize(), pointSize);
    QCOMPARE(tsk::test::columnMisfit(font), QString());
    QVERIFY(tsk::ui::hasEqualAdvances(font));
  }

  // A machine with one of the known families uses it rather than whatever
  // the system calls its fixed font.
  void prefersAKnownFamily() {
    const QStringList known{"Courier New", "DejaVu Sans Mono", "Liberation Mono", "Noto Sans Mono"};
    const QStringList installed = QFontDatabase::families();
    bool any = false;
    for (const QString& family : known) any = any || installed.contains(family);
    if (!any) QSKIP("none of the known fixed families is installed");
    QVERIFY2(known.contains(QFontInfo(tsk::ui::fixedFont(9)).family()),
             qPrintable(QFontInfo(tsk::ui::fixedFont(9)).family()));
  }

  // The measurement, not a flag, decides: a font whose "i" is narrower than
  // its "W" does not pass.
  void proportionalFontFails() {
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPointSize(9);
    const QFontMetricsF metrics(font);
    if (metrics.horizontalAdvance(u'i') == metrics.horizontalAdvance(u'W')) {
      QSKIP("the general font here is monospaced");
    }
    QVERIFY(!tsk::ui::hasEqualAdvances(font));
    QVERIFY(!tsk::test::columnMisfit(font).isEmpty());
  }
};

QTEST_MAIN(TestFonts)
#include "tst_fonts.moc"
