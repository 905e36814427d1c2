// The windows under a real window manager, which frames them and moves them
// when it likes: the main window comes back where it was closed, from one
// start of the program to the next, and the windows opened from it stay
// fully on a small screen even when the main window was left in its
// bottom-right corner. Started by tst_window_manager.sh, which provides the
// X display and the window manager.

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QtTest>

#include "Form1.h"
#include "Form3.h"
#include "Form4.h"
#include "HistogramWindow.h"
#include "WindowTestSupport.h"

using tsk::test::binDir;
using tsk::test::control;
using tsk::test::crlf;
using tsk::test::methodLine;
using tsk::test::RecordingBoxes;
using tsk::test::WorkingDir;
using tsk::ui::Form1;
using tsk::ui::Form3;
using tsk::ui::Form4;

namespace {

QString describe(const QWidget* w) {
  const QRect f = w->frameGeometry();
  const QRect g = w->geometry();
  return QStringLiteral("%1 frame %2,%3 %4x%5, inside %6,%7 %8x%9")
      .arg(w->objectName())
      .arg(f.x())
      .arg(f.y())
      .arg(f.width())
      .arg(f.height())
      .arg(g.x())
      .arg(g.y())
      .arg(g.width())
      .arg(g.height());
}

// Waits until the window manager has framed the window and left its frame
// alone for a while; false after 5 s.
bool settled(const QWidget* w) {
  QElapsedTimer clock;
  clock.start();
  QRect last;
  qint64 sameSince = 0;
  while (clock.elapsed() < 5000) {
    QTest::qWait(20);
    const QRect frame = w->frameGeometry();
    const bool framed = w->isVisible() && frame != w->geometry();
    if (!framed || frame != last) {
      last = frame;
      sameSince = clock.elapsed();
    } else if (clock.elapsed() - sameSince >= 200) {
      return true;
    }
  }
  return false;
}

QRect availableArea() { return QGuiApplication::primaryScreen()->availableGeometry(); }

// Moves a shown window so that its frame's bottom-right corner is the
// available area's.
void moveToBottomRight(QWidget* w) {
  const QRect area = availableArea();
  w->move(area.right() - w->frameGeometry().width() + 1,
          area.bottom() - w->frameGeometry().height() + 1);
}

// Shows the main window, framed and still, in the screen's bottom-right
// corner.
bool showAtBottomRight(Form1& main) {
  main.setExitAction([] {});
  main.show();
  if (!QTest::qWaitForWindowExposed(&main) || !settled(&main)) return false;
  moveToBottomRight(&main);
  if (!settled(&main)) return false;
  return availableArea().contains(main.frameGeometry());
}

}  // namespace

class TestWindowManager : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
      QSKIP("needs an X display with a window manager: run it through tst_window_manager.sh");
  }
  void init() {
    QSettings(QStringLiteral("Toskarn"), QStringLiteral("Toskarn")).clear();
    m_wd = std::make_unique<WorkingDir>();
    QVERIFY(m_wd->isValid());
  }
  void cleanup() {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (qobject_cast<Form3*>(w) || qobject_cast<Form4*>(w)) delete w;
    m_wd.reset();
  }

  void mainWindowComesBackWhereItWasClosed();
  void openedWindowsStayOnTheScreen_data();
  void openedWindowsStayOnTheScreen();
  void resultsWindowStaysOnTheScreen();

 private:
  std::unique_ptr<WorkingDir> m_wd;
};

// Each start is a new main window, as a new run of the program has: only the
// saved place links them. A place that drifted by the frame on each start
// would show on the second or third.
void TestWindowManager::mainWindowComesBackWhereItWasClosed() {
  const QPoint place = availableArea().topLeft() + QPoint(173, 211);
  {
    Form1 first(m_wd->path());
    first.setExitAction([] {});
    first.show();
    QVERIFY(QTest::qWaitForWindowExposed(&first));
    QVERIFY2(settled(&first), qPrintable(describe(&first)));
    first.move(place);
    QVERIFY2(settled(&first), qPrintable(describe(&first)));
    QTRY_COMPARE(first.frameGeometry().topLeft(), place);
    QTest::mouseClick(control<QPushButton>(&first, "Command2"), Qt::LeftButton);  // Exit
  }
  for (int start = 2; start <= 3; ++start) {
    Form1 again(m_wd->path());
    again.setExitAction([] {});
    again.show();
    QVERIFY(QTest::qWaitForWindowExposed(&again));
    QVERIFY2(settled(&again), qPrintable(describe(&again)));
    QVERIFY2(again.frameGeometry().topLeft() == place,
             qPrintable(QStringLiteral("start %1: %2").arg(start).arg(describe(&again))));

    // Within a run too: shown again after the analysis window closes.
    QTest::mouseClick(control<QPushButton>(&again, "Command3"), Qt::LeftButton);
    QPointer<QWidget> opened = again.openedWindow();
    QVERIFY(opened);
    QVERIFY(QTest::qWaitForWindowExposed(opened));
    QVERIFY(settled(opened));
    opened->close();
    QTRY_VERIFY(opened.isNull());
    QVERIFY(QTest::qWaitForWindowExposed(&again));
    QVERIFY2(settled(&again), qPrintable(describe(&again)));
    QCOMPARE(again.frameGeometry().topLeft(), place);
    QTest::mouseClick(control<QPushButton>(&again, "Command2"), Qt::LeftButton);
  }
}

void TestWindowManager::openedWindowsStayOnTheScreen_data() {
  QTest::addColumn<QString>("button");
  QTest::newRow("New") << "Command1";
  QTest::newRow("Edit") << "Command4";
  QTest::newRow("Analyse") << "Command3";
}

void TestWindowManager::openedWindowsStayOnTheScreen() {
  QFETCH(QString, button);
  Form1 main(m_wd->path());
  QVERIFY(showAtBottomRight(main));

  QTest::mouseClick(main.findChild<QPushButton*>(button), Qt::LeftButton);
  QPointer<QWidget> opened = main.openedWindow();
  QVERIFY(opened);
  QVERIFY(QTest::qWaitForWindowExposed(opened));
  QVERIFY2(settled(opened), qPrintable(describe(opened)));
  QVERIFY2(availableArea().contains(opened->frameGeometry()),
           qPrintable(describe(opened) + QStringLiteral(" outside the available area")));
  opened->close();
  QTRY_VERIFY(opened.isNull());
}

// The results window of an analysis run from the bottom-right corner, then
// moved by the user: the next analysis shows it there again. Then the
// histogram, from the same corner.
void TestWindowManager::resultsWindowStaysOnTheScreen() {
  RecordingBoxes boxes;
  QVERIFY(QFile::copy(QDir(binDir()).filePath(QStringLiteral("tskwfake")),
                      m_wd->filePath(QStringLiteral("tskecho1"))));
  m_wd->write(QStringLiteral("modsz1.sys"), methodLine("Echo", "tskecho1") + "\r\n");
  m_wd->write(QStringLiteral("flock.dat"), crlf({"      2", "      6", " 2 ", " 4 "}));

  Form1 main(m_wd->path());
  QVERIFY(showAtBottomRight(main));
  QTest::mouseClick(control<QPushButton>(&main, "Command3"), Qt::LeftButton);
  QPointer<Form3> analysis = qobject_cast<Form3*>(main.openedWindow());
  QVERIFY(analysis);
  QVERIFY(QTest::qWaitForWindowExposed(analysis));
  QVERIFY(settled(analysis));

  const auto analyse = [&]() -> QPointer<Form4> {
    control<QListWidget>(analysis, "File1")->item(0)->setSelected(true);
    control<QListWidget>(analysis, "List1")->item(0)->setSelected(true);
    QTest::mouseClick(control<QPushButton>(analysis, "Command1"), Qt::LeftButton);
    return analysis->resultsWindow();
  };
  QPointer<Form4> results = analyse();
  QVERIFY(results);
  QVERIFY(QTest::qWaitForWindowExposed(results));
  QVERIFY2(settled(results), qPrintable(describe(results)));
  QVERIFY2(availableArea().contains(results->frameGeometry()),
           qPrintable(describe(results) + QStringLiteral(" outside the available area")));

  const QPoint chosen = availableArea().topLeft() + QPoint(97, 61);
  results->move(chosen);
  QVERIFY(settled(results));
  QTRY_COMPARE(results->frameGeometry().topLeft(), chosen);
  results->close();
  QTRY_VERIFY(results.isNull());
  QVERIFY(QTest::qWaitForWindowExposed(analysis));
  QVERIFY(settled(analysis));
  QVERIFY2(availableArea().contains(analysis->frameGeometry()), qPrintable(describe(analysis)));

  results = analyse();
  QVERIFY(results);
  QVERIFY(QTest::qWaitForWindowExposed(results));
  QVERIFY2(settled(results), qPrintable(describe(results)));
  QCOMPARE(results->frameGeometry().topLeft(), chosen);
  results->close();
  QTRY_VERIFY(results.isNull());

  // The histogram takes the analysis window's place and size.
  QVERIFY(QTest::qWaitForWindowExposed(analysis));
  QTest::mouseClick(control<QPushButton>(analysis, "Command3"), Qt::LeftButton);
  QTest::mouseClick(control<QPushButton>(analysis, "Command5"), Qt::LeftButton);
  QPointer<QWidget> histogram;
  for (QWidget* w : tsk::test::visibleWindows())
    if (qobject_cast<tsk::ui::HistogramWindow*>(w)) histogram = w;
  QVERIFY(histogram);
  QVERIFY(QTest::qWaitForWindowExposed(histogram));
  QVERIFY2(settled(histogram), qPrintable(describe(histogram)));
  QVERIFY2(availableArea().contains(histogram->frameGeometry()),
           qPrintable(describe(histogram) + QStringLiteral(" outside the available area")));
  histogram->close();
  QTRY_VERIFY(histogram.isNull() || !histogram->isVisible());
  QVERIFY(boxes.boxes().isEmpty());
}

QTEST_MAIN(TestWindowManager)
#include "tst_window_manager.moc"
