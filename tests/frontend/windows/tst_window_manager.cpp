// SPDX-License-Identifier: GPL-3.0-or-later
// The windows under a real window manager, which frames them and moves them
// when it likes: the main window comes back where it was closed, from one
// start of the program to the next, the windows opened from it stay fully on
// a small screen even when the main window was left in its bottom-right
// corner, and a dialog stays above its window when the user clicks that
// window. Started by tst_window_manager.sh, which provides the X display and
// the window manager.

#include <QDirIterator>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QListWidget>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "Form1.h"
#include "Form3.h"
#include "Form4.h"
#include "Form7.h"
#include "Form8.h"
#include "Help.h"
#include "HistogramWindow.h"
#include "StudyFolder.h"
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
  while (clock.elapsed() < 15000) {  // generous: CI runs other tests beside it
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

// The program's and the window manager's view of the stacking order, bottom
// to top, as the window manager publishes it.
QList<WId> stackingOrder() {
  QProcess xprop;
  xprop.start(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("-notype"),
                                        QStringLiteral("_NET_CLIENT_LIST_STACKING")});
  xprop.waitForFinished(5000);
  QList<WId> ids;
  static const QRegularExpression hex(QStringLiteral("0x[0-9a-fA-F]+"));
  const QString out = QString::fromLatin1(xprop.readAllStandardOutput());
  for (auto it = hex.globalMatch(out); it.hasNext();)
    ids.append(static_cast<WId>(it.next().captured().toULongLong(nullptr, 16)));
  return ids;
}

// A click of the real pointer, which goes through the X server and so
// reaches the window manager, as the user's does.
bool clickAt(const QPoint& global) {
  return QProcess::execute(
             QStringLiteral("xdotool"),
             {QStringLiteral("mousemove"), QStringLiteral("--sync"), QString::number(global.x()),
              QString::number(global.y()), QStringLiteral("click"), QStringLiteral("1")}) == 0;
}

// Clicks `parent` beside `dialog` and says what is wrong when the dialog is
// then not above it; empty when it is.
QString clickParentOf(QWidget* dialog, QWidget* parent) {
  if (!QTest::qWaitForWindowExposed(dialog, 15000) || !settled(dialog))
    return QStringLiteral("the dialog was not shown");
  const QPoint point = parent->mapToGlobal(QPoint(8, 8));
  if (dialog->frameGeometry().contains(point)) return QStringLiteral("the dialog hides the point");
  if (!clickAt(point)) return QStringLiteral("xdotool failed");
  QTest::qWait(300);  // for the window manager to restack
  const QList<WId> order = stackingOrder();
  const qsizetype d = order.indexOf(dialog->winId()), p = order.indexOf(parent->winId());
  if (d < 0 || p < 0)
    return QStringLiteral("not in the stacking list: %1").arg(d < 0 ? "dialog" : "parent");
  return d > p ? QString() : QStringLiteral("the dialog is below its window");
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
  void studyFolderIsAskedForAndRemembered();
  void dialogStaysAboveItsWindow_data();
  void dialogStaysAboveItsWindow();

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
  QTest::newRow("Help") << QString();
}

// Opened from the main window in the bottom-right corner, each window lies
// fully on the screen; when it closes, the main window is back where it was.
void TestWindowManager::openedWindowsStayOnTheScreen() {
  QFETCH(QString, button);
  Form1 main(m_wd->path());
  QVERIFY(showAtBottomRight(main));
  const QPoint place = main.frameGeometry().topLeft();

  QPointer<QWidget> opened;
  if (button.isEmpty()) {
    tsk::ui::showHelp(&main);
    opened = tsk::ui::HelpWindow::current();
  } else {
    QTest::mouseClick(main.findChild<QPushButton*>(button), Qt::LeftButton);
    opened = main.openedWindow();
  }
  QVERIFY(opened);
  QVERIFY(QTest::qWaitForWindowExposed(opened));
  QVERIFY2(settled(opened), qPrintable(describe(opened)));
  QVERIFY2(availableArea().contains(opened->frameGeometry()),
           qPrintable(describe(opened) + QStringLiteral(" outside the available area")));
  opened->close();
  QTRY_VERIFY(opened.isNull());
  QVERIFY(QTest::qWaitForWindowExposed(&main));
  QVERIFY2(settled(&main), qPrintable(describe(&main)));
  QVERIFY2((main.frameGeometry().topLeft() - place).manhattanLength() <= 2,
           qPrintable(describe(&main)));
}

// Started in an empty home folder, the program asks for a study folder and
// leaves the home folder as it was; the next start opens the chosen folder.
void TestWindowManager::studyFolderIsAskedForAndRemembered() {
  RecordingBoxes boxes;
  const QString home = QDir::homePath();
  const auto homeEntries = [&home] {
    QStringList entries;
    for (QDirIterator it(home, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                         QDirIterator::Subdirectories);
         it.hasNext();)
      entries << it.next();
    return entries;
  };
  const QStringList before = homeEntries();
  QVERIFY(QDir::setCurrent(home));
  QCOMPARE(tsk::ui::startFolder(QString(), home), QString());

  QTemporaryDir chosen;
  QWidget* askedOver = nullptr;
  tsk::ui::setFolderChooser([&](QWidget* parent, const QString&) {
    askedOver = parent;
    return chosen.path();
  });
  boxes.answerNext(true);  // the examples, into the empty folder
  {
    Form1 main{QString()};
    main.setExitAction([] {});
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    QVERIFY(!control<QPushButton>(&main, "Command3")->isEnabled());
    main.askForFolder();
    QCOMPARE(askedOver, &main);
    QCOMPARE(main.studyFolder(), chosen.path());
    QCOMPARE(main.windowTitle(), QStringLiteral("TK 1.1 - ") + QDir(chosen.path()).dirName());
    QVERIFY(control<QPushButton>(&main, "Command3")->isEnabled());
  }
  tsk::ui::setFolderChooser(nullptr);
  QCOMPARE(boxes.boxes().size(), 1);
  for (const char* name : {"modsz1.sys", "gsmeanci.par", "gulls.dat"})
    QVERIFY2(QFile::exists(QDir(chosen.path()).filePath(QLatin1String(name))), name);
  QCOMPARE(homeEntries(), before);
  QCOMPARE(tsk::ui::startFolder(QString(), home), chosen.path());
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

void TestWindowManager::dialogStaysAboveItsWindow_data() {
  QTest::addColumn<bool>("messageBox");
  QTest::newRow("Save As") << false;
  QTest::newRow("message") << true;
}

// A click on the edit window while its dialog is open: the window manager
// raises the window, and must raise the dialog with it, or the user sees a
// window that takes no input and no dialog.
void TestWindowManager::dialogStaysAboveItsWindow() {
  QFETCH(bool, messageBox);
  for (const char* tool : {"xdotool", "xprop"})
    if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
      QSKIP("needs xdotool and xprop (Debian packages xdotool, x11-utils)");
  m_wd->write(QStringLiteral("flock.dat"), crlf({"      2", "      6", " 2 ", " 4 "}));
  Form1 main(m_wd->path());
  main.setExitAction([] {});
  main.show();
  QVERIFY(QTest::qWaitForWindowExposed(&main));
  QTest::mouseClick(control<QPushButton>(&main, "Command4"), Qt::LeftButton);  // Edit
  QPointer<tsk::ui::Form7> edit = qobject_cast<tsk::ui::Form7*>(main.openedWindow());
  QVERIFY(edit);
  QVERIFY(QTest::qWaitForWindowExposed(edit));
  QVERIFY(settled(edit));

  QString problem = QStringLiteral("no dialog opened");
  if (messageBox) {
    // The real message box runs its own loop: the check runs inside it.
    QTimer::singleShot(0, edit, [&] {
      QWidget* box = QApplication::activeModalWidget();
      if (!box) return;
      problem = clickParentOf(box, edit);
      box->close();
    });
    // Save with no file picked: a message.
    QTest::mouseClick(control<QPushButton>(edit, "Command2"), Qt::LeftButton);
  } else {
    auto* files = control<QListWidget>(edit, "File1");
    QCOMPARE(files->count(), 1);
    QTest::mouseClick(files->viewport(), Qt::LeftButton, {},
                      files->visualItemRect(files->item(0)).center());
    QTest::mouseClick(control<QPushButton>(edit, "Command4"), Qt::LeftButton);  // Save As
    QPointer<tsk::ui::Form8> dialog = edit->saveAsDialog();
    if (dialog) {
      problem = clickParentOf(dialog, edit);
      dialog->close();
    }
  }
  QVERIFY2(problem.isEmpty(), qPrintable(problem));
  edit->close();
  QTRY_VERIFY(edit.isNull());
}

QTEST_MAIN(TestWindowManager)
#include "tst_window_manager.moc"
