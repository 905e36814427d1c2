// SPDX-License-Identifier: GPL-3.0-or-later
// Windows on the screen: every window opens fully on the available area of
// the screen it opens on (a fake pair of screens stands in for the real
// ones), and the main window comes back where it was, within a run and from
// one run to the next.

#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QtTest>

#include "Form1.h"
#include "Form3.h"
#include "HistogramWindow.h"
#include "ScreenPlacement.h"
#include "WindowTestSupport.h"

using tsk::test::RecordingBoxes;
using tsk::test::WorkingDir;
using tsk::ui::Form1;

namespace {

// Two screens side by side, each less a panel at its top: 1280 x 1024 on the
// left, 1920 x 1080 on the right.
const QRect kLeftArea(0, 30, 1280, 994);
const QRect kRightArea(1280, 0, 1920, 1040);

QRect fakeArea(const QPoint& p) { return p.x() >= 1280 ? kRightArea : kLeftArea; }

QRect placed(const QWidget* w) { return QRect(w->pos(), w->size()); }

}  // namespace

class TestScreenPlacement : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    tsk::ui::setAvailableAreaSource(fakeArea);
    QSettings(QStringLiteral("Toskarn"), QStringLiteral("Toskarn")).clear();
  }
  void cleanup() { tsk::ui::setAvailableAreaSource(nullptr); }

  void keepInside_data();
  void keepInside();
  void openedWindowsStayOnTheirScreen_data();
  void openedWindowsStayOnTheirScreen();
  void histogramStaysOnScreen();
  void mainWindowComesBackWhereItWas();
  void mainWindowPlaceKeptBetweenRuns();
};

void TestScreenPlacement::keepInside_data() {
  QTest::addColumn<QRect>("frame");
  QTest::addColumn<QRect>("expected");
  const QRect area(0, 30, 1280, 994);  // bottom 1023, right 1279
  QTest::newRow("inside stays") << QRect(100, 100, 560, 446) << QRect(100, 100, 560, 446);
  QTest::newRow("below the bottom") << QRect(100, 700, 560, 446) << QRect(100, 578, 560, 446);
  QTest::newRow("past the right") << QRect(1000, 100, 560, 446) << QRect(720, 100, 560, 446);
  QTest::newRow("under the panel") << QRect(-40, 0, 560, 446) << QRect(0, 30, 560, 446);
  QTest::newRow("exactly fits") << QRect(0, 30, 1280, 994) << QRect(0, 30, 1280, 994);
  QTest::newRow("larger than the area: top left wins")
      << QRect(300, 300, 1400, 1100) << QRect(0, 30, 1280, 994);
  // An empty area (no screen known) leaves the frame where it is.
  Q_UNUSED(area);
}

void TestScreenPlacement::keepInside() {
  QFETCH(QRect, frame);
  QFETCH(QRect, expected);
  QCOMPARE(tsk::ui::keepInside(frame, kLeftArea), expected);
  QCOMPARE(tsk::ui::keepInside(frame, QRect()), frame);
}

void TestScreenPlacement::openedWindowsStayOnTheirScreen_data() {
  QTest::addColumn<QString>("button");
  QTest::addColumn<QPoint>("mainAt");
  QTest::addColumn<QRect>("area");
  // The main window at the right edge of the left screen: the wider windows
  // it opens would reach past that edge. Low on that screen, the taller
  // analysis window would reach below its bottom edge.
  QTest::newRow("New, right edge") << "Command1" << QPoint(756, 600) << kLeftArea;
  QTest::newRow("Edit, right edge") << "Command4" << QPoint(756, 600) << kLeftArea;
  QTest::newRow("Analyse, low left") << "Command3" << QPoint(700, 640) << kLeftArea;
  QTest::newRow("Analyse, right edge of the right screen")
      << "Command3" << QPoint(2660, 600) << kRightArea;
}

void TestScreenPlacement::openedWindowsStayOnTheirScreen() {
  QFETCH(QString, button);
  QFETCH(QPoint, mainAt);
  QFETCH(QRect, area);
  WorkingDir dir;
  RecordingBoxes boxes;
  Form1 main(dir.path());
  main.move(mainAt);
  main.show();
  QVERIFY(QTest::qWaitForWindowExposed(&main));
  QVERIFY(area.contains(placed(&main)));

  QTest::mouseClick(main.findChild<QPushButton*>(button), Qt::LeftButton);
  QPointer<QWidget> opened = main.openedWindow();
  QVERIFY(opened);
  QVERIFY2(area.contains(placed(opened)), qPrintable(QStringLiteral("%1 at %2,%3 size %4x%5")
                                                         .arg(opened->objectName())
                                                         .arg(opened->x())
                                                         .arg(opened->y())
                                                         .arg(opened->width())
                                                         .arg(opened->height())));
  opened->close();
  QTRY_VERIFY(opened.isNull());
}

void TestScreenPlacement::histogramStaysOnScreen() {
  WorkingDir dir;
  RecordingBoxes boxes;
  dir.write(QStringLiteral("flock.dat"), tsk::test::crlf({"    3", "    6", " 1 ", " 2 ", " 3 "}));
  tsk::ui::Form3 analysis(nullptr, dir.path());
  analysis.move(900, 600);
  analysis.show();
  QVERIFY(QTest::qWaitForWindowExposed(&analysis));
  QPointer<tsk::ui::HistogramWindow> histogram = tsk::ui::HistogramWindow::openFromAnalysis(
      &analysis, dir.path(), {QStringLiteral("flock.dat")}, tsk::HistogramKind::Crowding);
  QVERIFY(histogram);
  QVERIFY(kLeftArea.contains(placed(histogram)));
  histogram->close();
  QTRY_VERIFY(histogram.isNull());
}

void TestScreenPlacement::mainWindowComesBackWhereItWas() {
  WorkingDir dir;
  RecordingBoxes boxes;
  Form1 main(dir.path());
  main.move(230, 377);
  main.show();
  QVERIFY(QTest::qWaitForWindowExposed(&main));
  QTest::mouseClick(main.findChild<QPushButton*>("Command3"), Qt::LeftButton);
  QPointer<QWidget> opened = main.openedWindow();
  QVERIFY(opened);
  // What a window manager does to a window that is mapped again without a
  // place of its own.
  main.move(640, 155);
  opened->close();
  QTRY_VERIFY(opened.isNull());
  QCOMPARE(main.pos(), QPoint(230, 377));
}

void TestScreenPlacement::mainWindowPlaceKeptBetweenRuns() {
  WorkingDir dir;
  {
    Form1 first(dir.path());
    first.setExitAction([] {});
    first.move(1500, 120);
    first.show();
    QVERIFY(QTest::qWaitForWindowExposed(&first));
    QTest::mouseClick(first.findChild<QPushButton*>("Command2"), Qt::LeftButton);
  }
  Form1 second(dir.path());
  QCOMPARE(second.pos(), QPoint(1500, 120));

  // A place on a screen that has gone since (the saved place is beyond every
  // screen now) comes back onto the screen that remains.
  QSettings(QStringLiteral("Toskarn"), QStringLiteral("Toskarn"))
      .setValue(QStringLiteral("geometry/main"), QRect(QPoint(1200, 900), second.size()));
  tsk::ui::setAvailableAreaSource([](const QPoint&) { return kLeftArea; });
  Form1 third(dir.path());
  QVERIFY(kLeftArea.contains(placed(&third)));
}

QTEST_MAIN(TestScreenPlacement)
#include "tst_screen_placement.moc"
