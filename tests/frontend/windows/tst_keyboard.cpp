// SPDX-License-Identifier: GPL-3.0-or-later
// The program with the keyboard alone: Enter presses the focused button and
// does a box's obvious action, Escape closes the secondary windows as their
// Close does, the focus ring is seen, and Tab passes read-only boxes by.

#include <QAbstractButton>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>
#include <functional>

#include "DesktopStyle.h"
#include "Form1.h"
#include "Form2.h"
#include "Form3.h"
#include "Form4.h"
#include "Form7.h"
#include "Form8.h"
#include "Help.h"
#include "HistogramWindow.h"
#include "WindowTestSupport.h"

using tsk::test::control;
using tsk::test::crlf;
using tsk::test::RecordingBoxes;
using tsk::test::WorkingDir;

namespace {

const QByteArray kFlock = crlf({"      5", "     11", " 1 ", " 1 ", " 1 ", " 4 ", " 4 "});

using MakeWindow = std::function<QWidget*(QWidget* opener, const QString& dir)>;

tsk::GroupSizeSample twoGroupsOfThree() {
  tsk::GroupSizeSample sample;
  tsk::AddEntry(sample, 3, 2);
  return sample;
}

// Windows as the program opens them, by name.
QWidget* makeWindow(const QString& name, QWidget* opener, const QString& dir) {
  if (name == QLatin1String("Form1")) return new tsk::ui::Form1(dir);
  if (name == QLatin1String("Form2")) return new tsk::ui::Form2(opener, dir);
  if (name == QLatin1String("Form3")) return new tsk::ui::Form3(opener, dir);
  if (name == QLatin1String("Form4")) return new tsk::ui::Form4(opener, dir);
  if (name == QLatin1String("Form7")) return new tsk::ui::Form7(opener, dir);
  if (name == QLatin1String("Form8"))
    return new tsk::ui::Form8(nullptr, twoGroupsOfThree(), dir, QStringLiteral("gulls"));
  if (name == QLatin1String("Form5")) return new tsk::ui::Form5(opener, dir);
  if (name == QLatin1String("Help"))
    return new tsk::ui::HelpWindow(
        QDir(qEnvironmentVariable("TSK_DATA_DIR")).filePath(QStringLiteral("../docs/guide.md")));
  return nullptr;
}

bool showActive(QWidget* window) {
  window->show();
  window->activateWindow();
  return QTest::qWaitForWindowActive(window);
}

void flushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

}  // namespace

class TestKeyboard : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { tsk::ui::installDesktopStyle(); }
  void enterPressesFocusedButton_data();
  void enterPressesFocusedButton();
  void enterInBoxes();
  void escapeCloses_data();
  void escapeCloses();
  void focusRingIsSeen();
  void tabSkipsReadOnlyBoxes_data();
  void tabSkipsReadOnlyBoxes();
};

void TestKeyboard::enterPressesFocusedButton_data() {
  QTest::addColumn<QString>("window");
  QTest::addColumn<QString>("button");
  QTest::newRow("main: Analyse") << "Form1"
                                 << "Command3";
  QTest::newRow("entry: Add") << "Form2"
                              << "Command1";
  QTest::newRow("analysis: Display histogram") << "Form3"
                                               << "Command3";
  QTest::newRow("results: Close") << "Form4"
                                  << "Command3";
  QTest::newRow("edit: Delete") << "Form7"
                                << "Command6";
  QTest::newRow("save as: Cancel") << "Form8"
                                   << "Command1";
}

void TestKeyboard::enterPressesFocusedButton() {
  QFETCH(QString, window);
  QFETCH(QString, button);
  WorkingDir dir;
  RecordingBoxes boxes;
  QWidget opener;
  for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
    QPointer<QWidget> w = makeWindow(window, &opener, dir.path());
    if (auto* main = qobject_cast<tsk::ui::Form1*>(w.data())) main->setExitAction([] {});
    QVERIFY(showActive(w));
    auto* target = control<QPushButton>(w, button.toLatin1().constData());
    QVERIFY(target);
    target->setFocus();
    QSignalSpy clicked(target, &QAbstractButton::clicked);
    QTest::keyClick(target, key);
    QCOMPARE(clicked.count(), 1);
    if (auto* main = qobject_cast<tsk::ui::Form1*>(w.data())) delete main->openedWindow();
    delete w.data();
    flushDeletes();
  }
}

void TestKeyboard::enterInBoxes() {
  WorkingDir dir;
  RecordingBoxes boxes;
  QWidget opener;

  // The save-as name: Enter saves.
  QPointer<QWidget> saveAs = makeWindow(QStringLiteral("Form8"), &opener, dir.path());
  QVERIFY(showActive(saveAs));
  QTest::keyClick(control<QLineEdit>(saveAs, "Text1"), Qt::Key_Return);
  QTRY_VERIFY(saveAs.isNull());
  QVERIFY(dir.exists(QStringLiteral("gulls.dat")));

  // The entry window's name: Enter goes on to the size box while there is
  // nothing to save, and saves once there is.
  QPointer<QWidget> entry = makeWindow(QStringLiteral("Form2"), &opener, dir.path());
  QVERIFY(showActive(entry));
  auto* name = control<QLineEdit>(entry, "Text1");
  QTest::keyClicks(name, QStringLiteral("terns"));
  QTest::keyClick(name, Qt::Key_Return);
  QCOMPARE(entry->focusWidget(), control<QLineEdit>(entry, "Text6"));
  QTest::keyClicks(entry->focusWidget(), QStringLiteral("4"));
  QTest::keyClick(entry->focusWidget(), Qt::Key_Return);
  QTest::keyClicks(entry->focusWidget(), QStringLiteral("2"));
  QTest::keyClick(entry->focusWidget(), Qt::Key_Return);
  QTest::keyClick(name, Qt::Key_Return);
  QTRY_VERIFY(entry.isNull());
  QCOMPARE(dir.read(QStringLiteral("terns.dat")), crlf({"      2", "      8", " 4 ", " 4 "}));
  QVERIFY(boxes.boxes().isEmpty());

  // The histogram's max-size box: Enter draws up to the typed size.
  dir.write(QStringLiteral("tskdat.tmp"), crlf({"5", "11", "1", "1", "1", "4", "4", " "}));
  QPointer<tsk::ui::HistogramWindow> histogram = new tsk::ui::Form5(&opener, dir.path());
  QVERIFY(showActive(histogram));
  QTest::mouseClick(control<QPushButton>(histogram, "Command1"), Qt::LeftButton);
  auto* box = control<QLineEdit>(histogram, "Text1");
  box->clear();
  QTest::keyClicks(box, QStringLiteral("3"));
  QTest::keyClick(box, Qt::Key_Return);
  QCOMPARE(histogram->displayLimit(), 3);
  QCOMPARE(histogram->picture().maxSize, 3.0);
  delete histogram.data();
}

void TestKeyboard::escapeCloses_data() {
  QTest::addColumn<QString>("window");
  QTest::newRow("entry") << "Form2";
  QTest::newRow("analysis") << "Form3";
  QTest::newRow("results") << "Form4";
  QTest::newRow("edit") << "Form7";
  QTest::newRow("save as") << "Form8";
  QTest::newRow("histogram") << "Form5";
  QTest::newRow("help") << "Help";  // opened beside its caller, which stays
}

void TestKeyboard::escapeCloses() {
  QFETCH(QString, window);
  WorkingDir dir;
  RecordingBoxes boxes;
  dir.write(QStringLiteral("tskdat.tmp"), crlf({"2", "3", "1", "2", " "}));
  QWidget opener;
  opener.show();
  QPointer<QWidget> w = makeWindow(window, &opener, dir.path());
  opener.hide();
  QVERIFY(showActive(w));
  QSignalSpy* finished = nullptr;
  if (auto* dialog = qobject_cast<tsk::ui::Form8*>(w.data()))
    finished = new QSignalSpy(dialog, &tsk::ui::Form8::finished);
  QTest::keyClick(w->focusWidget() ? w->focusWidget() : w.data(), Qt::Key_Escape);
  QTRY_VERIFY(w.isNull());
  if (finished) {
    // As Cancel: nothing written, the edit window told so.
    QCOMPARE(finished->count(), 1);
    QCOMPARE(finished->front().front().toBool(), false);
    QVERIFY(!dir.exists(QStringLiteral("gulls.dat")));
    delete finished;
  } else if (window != QLatin1String("Help")) {
    QVERIFY(opener.isVisible());
  }
  QVERIFY(boxes.boxes().isEmpty());
}

void TestKeyboard::focusRingIsSeen() {
  // The ring counts as seen when the focused button shows clearly more of the
  // selection colour than the same button without the focus: at least the
  // length of its sides.
  QWidget window;
  window.resize(300, 100);
  auto* first = new QPushButton(QStringLiteral("Start analysis"), &window);
  first->setGeometry(10, 10, 120, 30);
  auto* second = new QPushButton(QStringLiteral("Start analysis"), &window);
  second->setGeometry(150, 10, 120, 30);
  QVERIFY(showActive(&window));
  const QRgb highlight = first->palette().color(QPalette::Active, QPalette::Highlight).rgb();
  const auto highlightPixels = [highlight](QWidget* w) {
    const QImage image = w->grab().toImage();
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) n += image.pixel(x, y) == highlight;
    return n;
  };
  first->setFocus();
  QVERIFY(first->hasFocus());
  const int focused = highlightPixels(first);
  const int unfocused = highlightPixels(second);
  QVERIFY2(focused - unfocused >= 2 * (120 + 30) - 16,
           qPrintable(QStringLiteral("%1 against %2").arg(focused).arg(unfocused)));
}

void TestKeyboard::tabSkipsReadOnlyBoxes_data() {
  QTest::addColumn<QString>("window");
  QTest::newRow("main") << "Form1";
  QTest::newRow("entry") << "Form2";
  QTest::newRow("edit") << "Form7";
}

void TestKeyboard::tabSkipsReadOnlyBoxes() {
  QFETCH(QString, window);
  WorkingDir dir;
  RecordingBoxes boxes;
  dir.write(QStringLiteral("flock.dat"), kFlock);
  QWidget opener;
  QPointer<QWidget> w = makeWindow(window, &opener, dir.path());
  if (auto* main = qobject_cast<tsk::ui::Form1*>(w.data())) main->setExitAction([] {});
  QVERIFY(showActive(w));
  if (auto* files = control<QListWidget>(w, "File1")) files->setCurrentRow(0);  // load a file
  QList<QWidget*> reached;
  for (int i = 0; i < 40; ++i) {
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : w.data(),
                    Qt::Key_Tab);
    reached.append(QApplication::focusWidget());
  }
  int readOnlyBoxes = 0;
  for (auto* box : w->findChildren<QLineEdit*>()) readOnlyBoxes += box->isReadOnly();
  for (auto* box : w->findChildren<QPlainTextEdit*>()) readOnlyBoxes += box->isReadOnly();
  QVERIFY(readOnlyBoxes > 0);
  QVERIFY(reached.size() > 2);
  for (QWidget* widget : reached) {
    QVERIFY(widget);
    auto* line = qobject_cast<QLineEdit*>(widget);
    auto* text = qobject_cast<QPlainTextEdit*>(widget);
    QVERIFY2(!(line && line->isReadOnly()) && !(text && text->isReadOnly()),
             qPrintable(widget->objectName()));
  }
  delete w.data();
}

QTEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
