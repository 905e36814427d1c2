// SPDX-License-Identifier: GPL-3.0-or-later
// The analysis and edit windows grow: their file lists show a usable number
// of names at first, take the room the window gains, and the size is kept
// for the next time the window opens. Below them, the layout helper that
// moves and stretches the controls.

#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QtTest>
#include <functional>

#include "Form3.h"
#include "Form7.h"
#include "GrowingLayout.h"
#include "ScreenPlacement.h"
#include "WindowTestSupport.h"

using tsk::test::control;
using tsk::test::crlf;
using tsk::test::RecordingBoxes;
using tsk::test::WorkingDir;
using tsk::ui::GrowingLayout;

namespace {

using Opener = std::function<QWidget*(QWidget* opener, const QString& dir)>;

const QRect kLargeScreen(0, 0, 1920, 1080);

// Rows of the list that show whole, not cut by its edges.
int wholeRowsShown(const QListWidget* list) {
  int rows = 0;
  const QRect view = list->viewport()->rect();
  for (int row = 0; row < list->count(); ++row)
    if (view.contains(list->visualItemRect(list->item(row)))) ++rows;
  return rows;
}

// The names of the window's visible controls that `control` overlaps.
QStringList overlapped(const QWidget* window, const QWidget* control) {
  QStringList names;
  for (const QWidget* other : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (other != control && other->isVisible() && other->geometry().intersects(control->geometry()))
      names.append(other->objectName());
  }
  return names;
}

// Visible controls reaching past the window's edges.
QStringList outside(const QWidget* window) {
  QStringList names;
  for (const QWidget* child : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (child->isVisible() && !window->rect().contains(child->geometry()))
      names.append(child->objectName());
  }
  return names;
}

}  // namespace

class TestResizableWindows : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    QSettings(QStringLiteral("Toskarn"), QStringLiteral("Toskarn")).clear();
    tsk::ui::setAvailableAreaSource([](const QPoint&) { return kLargeScreen; });
    m_wd = std::make_unique<WorkingDir>();
    QVERIFY(m_wd->isValid());
    // More sample files than any window shows at once.
    for (int i = 1; i <= 40; ++i)
      m_wd->write(QStringLiteral("s%1.dat").arg(i, 2, 10, QLatin1Char('0')),
                  crlf({"    1", "    2", " 2 "}));
    m_opener = std::make_unique<QWidget>();
    m_opener->move(70, 50);
    m_opener->show();
  }
  void cleanup() {
    tsk::ui::setAvailableAreaSource(nullptr);
    m_opener.reset();
    m_wd.reset();
  }

  void fileListsGrowWithTheWindow_data();
  void fileListsGrowWithTheWindow();
  void sizeKeptForTheNextOpening_data();
  void sizeKeptForTheNextOpening();
  void controlsFollowTheirEdges_data();
  void controlsFollowTheirEdges();

 private:
  void addWindows();

  std::unique_ptr<WorkingDir> m_wd;
  std::unique_ptr<QWidget> m_opener;
  RecordingBoxes m_boxes;
};

void TestResizableWindows::addWindows() {
  QTest::addColumn<Opener>("open");
  // A button that keeps to the right edge, and whether to the bottom too.
  QTest::addColumn<QString>("button");
  QTest::addColumn<bool>("downward");
  QTest::newRow("analysis") << Opener([](QWidget* opener, const QString& dir) {
    return new tsk::ui::Form3(opener, dir);
  }) << "Command2" << true;
  QTest::newRow("edit") << Opener([](QWidget* opener, const QString& dir) {
    return new tsk::ui::Form7(opener, dir);
  }) << "Command5" << false;
}

void TestResizableWindows::fileListsGrowWithTheWindow_data() { addWindows(); }

void TestResizableWindows::fileListsGrowWithTheWindow() {
  QFETCH(Opener, open);
  QFETCH(QString, button);
  QFETCH(bool, downward);
  QPointer<QWidget> window = open(m_opener.get(), m_wd->path());
  window->show();
  QVERIFY(QTest::qWaitForWindowExposed(window));
  auto* files = control<QListWidget>(window, "File1");
  QCOMPARE(files->count(), 40);
  // At first at least 15 names show; the window cannot be made smaller than
  // it was laid out for.
  const int firstRows = wholeRowsShown(files);
  QVERIFY2(firstRows >= 15, qPrintable(QString::number(firstRows)));
  QCOMPARE(overlapped(window, files), QStringList());
  QCOMPARE(outside(window), QStringList());
  const QSize first = window->size();
  window->resize(100, 100);
  QCOMPARE(window->size(), window->minimumSize());
  QVERIFY(wholeRowsShown(files) <= firstRows);

  // 200 pixels taller and 120 wider: the list takes all of it.
  window->resize(first);
  const QSize firstList = files->size();
  auto* keeper = control<QPushButton>(window, button.toLatin1().constData());
  const QPoint keeperAt = keeper->pos();
  window->resize(first + QSize(120, 200));
  QCOMPARE(files->size(), firstList + QSize(120, 200));
  const int row = files->sizeHintForRow(0);
  QVERIFY2(wholeRowsShown(files) >= firstRows + 200 / row - 1,
           qPrintable(QString::number(wholeRowsShown(files))));
  QCOMPARE(keeper->pos(), keeperAt + QPoint(120, downward ? 200 : 0));
  QCOMPARE(overlapped(window, files), QStringList());
  QCOMPARE(outside(window), QStringList());
  window->close();
  QTRY_VERIFY(window.isNull());
}

void TestResizableWindows::sizeKeptForTheNextOpening_data() { addWindows(); }

// The size comes back, the place does not: these windows open where their
// opener is.
void TestResizableWindows::sizeKeptForTheNextOpening() {
  QFETCH(Opener, open);
  QPointer<QWidget> window = open(m_opener.get(), m_wd->path());
  const QSize first = window->size();
  window->show();
  QVERIFY(QTest::qWaitForWindowExposed(window));
  const QSize grown = first + QSize(90, 160);
  window->resize(grown);
  window->move(400, 300);
  window->close();
  QTRY_VERIFY(window.isNull());

  m_opener->move(30, 20);
  window = open(m_opener.get(), m_wd->path());
  QCOMPARE(window->size(), grown);
  QCOMPARE(window->pos(), QPoint(30, 20));
  window->show();
  QVERIFY(QTest::qWaitForWindowExposed(window));
  window->showMaximized();
  QVERIFY(window->isMaximized());
  window->close();
  QTRY_VERIFY(window.isNull());

  // Maximised when closed: opens maximised, and back to the size it had.
  window = open(m_opener.get(), m_wd->path());
  QVERIFY(window->windowState() & Qt::WindowMaximized);
  window->show();
  window->showNormal();
  QCOMPARE(window->size(), grown);
  window->close();
  QTRY_VERIFY(window.isNull());
}

void TestResizableWindows::controlsFollowTheirEdges_data() {
  QTest::addColumn<unsigned>("edges");
  QTest::addColumn<QRect>("expected");
  // A control at 10,20 size 30x40 in a 200x100 window grown by 50 x 25.
  QTest::newRow("stays") << 0u << QRect(10, 20, 30, 40);
  QTest::newRow("wider") << GrowingLayout::kWider << QRect(10, 20, 80, 40);
  QTest::newRow("taller") << GrowingLayout::kTaller << QRect(10, 20, 30, 65);
  QTest::newRow("rightward") << GrowingLayout::kRightward << QRect(60, 20, 30, 40);
  QTest::newRow("downward") << GrowingLayout::kDownward << QRect(10, 45, 30, 40);
  QTest::newRow("corner") << (GrowingLayout::kRightward | GrowingLayout::kDownward)
                          << QRect(60, 45, 30, 40);
  QTest::newRow("below, as wide") << (GrowingLayout::kDownward | GrowingLayout::kWider)
                                  << QRect(10, 45, 80, 40);
}

void TestResizableWindows::controlsFollowTheirEdges() {
  QFETCH(unsigned, edges);
  QFETCH(QRect, expected);
  QWidget window;
  window.resize(200, 100);
  auto* control = new QWidget(&window);
  control->setGeometry(10, 20, 30, 40);
  auto* layout = new GrowingLayout(&window);
  layout->follow(control, edges);
  window.show();
  window.resize(250, 125);
  QCOMPARE(control->geometry(), expected);
  // Back to the first size, everything is where it was placed.
  window.resize(200, 100);
  QCOMPARE(control->geometry(), QRect(10, 20, 30, 40));
  window.resize(20, 10);
  QCOMPARE(window.size(), QSize(200, 100));
}

QTEST_MAIN(TestResizableWindows)
#include "tst_resizable_windows.moc"
