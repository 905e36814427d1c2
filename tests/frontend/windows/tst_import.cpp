// SPDX-License-Identifier: GPL-3.0-or-later
// Samples from spreadsheet tables in the entry and edit windows: Import...,
// Ctrl+V and dropping a file, up to the analysis window listing the saved
// samples.

#include <QClipboard>
#include <QDropEvent>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QUrl>

#include "DataWindowSupport.h"
#include "Form2.h"
#include "Form3.h"
#include "Form7.h"
#include "WindowTestSupport.h"

using tsk::test::control;
using tsk::test::crlf;

namespace {

QStringList texts(const QListWidget* list) {
  QStringList result;
  for (int i = 0; i < list->count(); ++i) result << list->item(i)->text();
  return result;
}

// The windows' file dialog answers with a file of the working directory.
struct Chooser {
  explicit Chooser(const QString& path) {
    tsk::ui::setTableFileChooser([path](QWidget*, const QString&) { return path; });
  }
  ~Chooser() { tsk::ui::setTableFileChooser(nullptr); }
};

void click(const QWidget* window, const char* button) {
  QTest::mouseClick(control<QPushButton>(window, button), Qt::LeftButton);
}

// The sample files the analysis window offers in `dir`.
QStringList analysisFiles(const QString& dir) {
  QWidget opener;
  auto* form = new tsk::ui::Form3(&opener, dir);
  const QStringList files = texts(control<QListWidget>(form, "File1"));
  delete form;
  return files;
}

// The rows of three groups of 1 and two of 4, as the row list shows them.
const QStringList kWorkedRows{QStringLiteral("     1      3"), QStringLiteral("     4      2")};

}  // namespace

class TestImport : public QObject {
  Q_OBJECT

 private slots:
  void importFillsEntryWindowUntilSaved();
  void ctrlVPastesCells();
  void badTablesChangeNothing();
  void severalSamplesAreOfferedInTheEditWindow();
  void editWindowAddsToLoadedSample();
  void droppedFileIsImported();
  void pastedColumnsWithHeadingsAreOffered();
  void tableThatReadsTwoWaysIsReadAsChosen();
};

void TestImport::importFillsEntryWindowUntilSaved() {
  tsk::test::WorkingDir dir;
  tsk::test::RecordingBoxes boxes;
  dir.write(QStringLiteral("gulls.csv"),
            "\xEF\xBB\xBFGroup size;Number of groups\r\n1;3\r\n4;2\r\n");
  Chooser chooser(dir.filePath(QStringLiteral("gulls.csv")));
  QWidget opener;
  QPointer<tsk::ui::Form2> form = new tsk::ui::Form2(&opener, dir.path());
  form->show();

  click(form, "Command4");
  QCOMPARE(texts(control<QListWidget>(form, "List1")), kWorkedRows);
  QCOMPARE(control<QLineEdit>(form, "Text4")->text(), QStringLiteral("      5"));
  QCOMPARE(control<QLineEdit>(form, "Text2")->text(), QStringLiteral("     11"));
  QCOMPARE(control<QLineEdit>(form, "Text1")->text(), QStringLiteral("gulls"));
  QVERIFY(boxes.boxes().isEmpty());
  QVERIFY(!dir.exists(QStringLiteral("gulls.dat")));  // nothing saved yet
  QVERIFY(analysisFiles(dir.path()).isEmpty());

  click(form, "Command2");
  QCOMPARE(dir.read(QStringLiteral("gulls.dat")),
           crlf({"      5", "     11", " 1 ", " 1 ", " 1 ", " 4 ", " 4 "}));
  QTRY_VERIFY(form.isNull());
  QCOMPARE(analysisFiles(dir.path()), QStringList{QStringLiteral("gulls.dat")});
}

void TestImport::ctrlVPastesCells() {
  tsk::test::WorkingDir dir;
  tsk::test::RecordingBoxes boxes;
  QWidget opener;
  QPointer<tsk::ui::Form2> form = new tsk::ui::Form2(&opener, dir.path());
  form->show();
  auto* list = control<QListWidget>(form, "List1");
  auto* size = control<QLineEdit>(form, "Text6");
  QClipboard* clipboard = QGuiApplication::clipboard();

  // A column copied from a spreadsheet, pasted into the row list.
  clipboard->setText(QStringLiteral("1\r\n4\r\n1\r\n\r\n1\r\n4\r\n"));
  list->setFocus();
  QTest::keyClick(list, Qt::Key_V, Qt::ControlModifier);
  QCOMPARE(texts(list), kWorkedRows);

  // One cell goes into a box as text; size and count cells make a row, and
  // a row of a listed size replaces it, as Add does.
  clipboard->setText(QStringLiteral("12\n"));
  QTest::keyClick(size, Qt::Key_V, Qt::ControlModifier);
  QCOMPARE(size->text(), QStringLiteral("12"));
  QCOMPARE(list->count(), 2);
  size->clear();
  clipboard->setText(QStringLiteral("4\t5\n"));
  QTest::keyClick(size, Qt::Key_V, Qt::ControlModifier);
  QCOMPARE(size->text(), QString());
  QCOMPARE(texts(list),
           (QStringList{QStringLiteral("     1      3"), QStringLiteral("     4      5")}));
  QCOMPARE(control<QLineEdit>(form, "Text4")->text(), QStringLiteral("      8"));
  QCOMPARE(control<QLineEdit>(form, "Text2")->text(), QStringLiteral("     23"));
  QVERIFY(boxes.boxes().isEmpty());
  QCOMPARE(control<QLineEdit>(form, "Text1")->text(), QString());

  QTest::keyClicks(control<QLineEdit>(form, "Text1"), QStringLiteral("pasted"));
  click(form, "Command2");
  QTRY_VERIFY(form.isNull());
  QCOMPARE(analysisFiles(dir.path()), QStringList{QStringLiteral("pasted.dat")});
  delete form.data();
}

void TestImport::badTablesChangeNothing() {
  tsk::test::WorkingDir dir;
  tsk::test::RecordingBoxes boxes;
  const QByteArray older = crlf({"    2", "    6", " 2 ", " 4 "});
  dir.write(QStringLiteral("herd.dat"), older);
  dir.write(QStringLiteral("bad.csv"), "north;south\r\n1;2\r\n3,5;2\r\n");
  Chooser chooser(dir.filePath(QStringLiteral("bad.csv")));
  const QString message =
      QStringLiteral("File bad.csv, line 3, column 1: \"3,5\" is not a whole number.");

  QWidget opener;
  QPointer<tsk::ui::Form2> entry = new tsk::ui::Form2(&opener, dir.path());
  entry->show();
  QTest::keyClicks(control<QLineEdit>(entry, "Text6"), QStringLiteral("7"));
  QTest::keyClicks(control<QLineEdit>(entry, "Text5"), QStringLiteral("1"));
  click(entry, "Command1");
  click(entry, "Command4");
  QCOMPARE(boxes.texts(), QStringList{message});
  QCOMPARE(texts(control<QListWidget>(entry, "List1")), QStringList{"     7      1"});
  QVERIFY(!entry.isNull() && entry->isVisible());
  delete entry.data();

  boxes.clear();
  QPointer<tsk::ui::Form7> edit = new tsk::ui::Form7(&opener, dir.path());
  edit->show();
  control<QListWidget>(edit, "File1")->item(0)->setSelected(true);
  QCOMPARE(edit->pickedFile(), QStringLiteral("herd.dat"));
  click(edit, "Command5");
  QCOMPARE(boxes.texts(), QStringList{message});
  QCOMPARE(texts(control<QListWidget>(edit, "List1")),
           (QStringList{"     2      1", "     4      1"}));
  QCOMPARE(dir.read(QStringLiteral("herd.dat")), older);
  QCOMPARE(QDir(dir.path()).entryList(QDir::Files),
           (QStringList{QStringLiteral("bad.csv"), QStringLiteral("herd.dat")}));
  delete edit.data();
}

void TestImport::severalSamplesAreOfferedInTheEditWindow() {
  tsk::test::WorkingDir dir;
  tsk::test::RecordingBoxes boxes;
  const QByteArray mine = crlf({"    1", "    9", " 9 "});
  dir.write(QStringLiteral("south.dat"), mine);
  // As a spreadsheet exports it: semicolons, header, ragged columns.
  dir.write(QStringLiteral("survey.csv"),
            "north;south;east;\r\n1;2;5;\r\n1;4;;\r\n1;;;\r\n4;;;\r\n4;;;\r\n");
  Chooser chooser(dir.filePath(QStringLiteral("survey.csv")));
  QWidget opener;
  opener.show();
  QPointer<tsk::ui::Form2> entry = new tsk::ui::Form2(&opener, dir.path());
  entry->show();
  opener.hide();

  // A typed row: dropping it is asked once, and the entry window then goes
  // without asking again. north: Yes; south: Yes, but No to replacing the
  // file; east: No.
  QTest::keyClicks(control<QLineEdit>(entry, "Text6"), QStringLiteral("2"));
  QTest::keyClicks(control<QLineEdit>(entry, "Text5"), QStringLiteral("1"));
  click(entry, "Command1");
  for (bool answer : {true, true, true, false, false}) boxes.answerNext(answer);
  click(entry, "Command4");
  QCOMPARE(boxes.texts().size(), 5);
  QCOMPARE(
      boxes.texts().first(),
      QStringLiteral("   The rows typed here are not saved. Open the samples in the edit window?"));
  QCOMPARE(
      boxes.texts().mid(1),
      (QStringList{QStringLiteral("   Save sample north (groups: 5, animals: 11) as north.dat?"),
                   QStringLiteral("   Save sample south (groups: 2, animals: 6) as south.dat?"),
                   QStringLiteral("          File south.dat exists, overwrite?"),
                   QStringLiteral("   Save sample east (groups: 1, animals: 5) as east.dat?")}));
  QCOMPARE(boxes.unexpectedQuestions(), 0);
  QCOMPARE(dir.read(QStringLiteral("north.dat")),
           crlf({"      5", "     11", " 1 ", " 1 ", " 1 ", " 4 ", " 4 "}));
  QCOMPARE(dir.read(QStringLiteral("south.dat")), mine);
  QVERIFY(!dir.exists(QStringLiteral("east.dat")));

  // The edit window took the entry window's place and lists the new file.
  QTRY_VERIFY(entry.isNull());
  tsk::ui::Form7* edit = nullptr;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* f = qobject_cast<tsk::ui::Form7*>(w); f && f->isVisible()) edit = f;
  QVERIFY(edit);
  QVERIFY(!opener.isVisible());
  QCOMPARE(texts(control<QListWidget>(edit, "File1")),
           (QStringList{QStringLiteral("north.dat"), QStringLiteral("south.dat")}));
  edit->close();
  QVERIFY(opener.isVisible());
  QCOMPARE(analysisFiles(dir.path()),
           (QStringList{QStringLiteral("north.dat"), QStringLiteral("south.dat")}));
}

void TestImport::editWindowAddsToLoadedSample() {
  tsk::test::WorkingDir dir;
  tsk::test::RecordingBoxes boxes;
  dir.write(QStringLiteral("herd.dat"), crlf({"    2", "    6", " 2 ", " 4 "}));
  dir.write(QStringLiteral("more.txt"), "size count\n4 3\n9 1\n");
  Chooser chooser(dir.filePath(QStringLiteral("more.txt")));
  QWidget opener;
  QPointer<tsk::ui::Form7> edit = new tsk::ui::Form7(&opener, dir.path());
  edit->show();

  // Nothing loaded: the one sample is offered as a file of its own.
  boxes.answerNext(true);
  click(edit, "Command5");
  QCOMPARE(
      boxes.texts(),
      QStringList{QStringLiteral("   Save sample more (groups: 4, animals: 21) as more.dat?")});
  QCOMPARE(dir.read(QStringLiteral("more.dat")),
           crlf({"      4", "     21", " 4 ", " 4 ", " 4 ", " 9 "}));

  // Loaded: its rows join those of the loaded file, which is saved only by
  // Save.
  boxes.clear();
  auto* file1 = control<QListWidget>(edit, "File1");
  file1->findItems(QStringLiteral("herd.dat"), Qt::MatchExactly).front()->setSelected(true);
  click(edit, "Command5");
  QVERIFY(boxes.boxes().isEmpty());
  QCOMPARE(texts(control<QListWidget>(edit, "List1")),
           (QStringList{"     2      1", "     4      3", "     9      1"}));
  QCOMPARE(control<QLineEdit>(edit, "Text4")->text(), QStringLiteral("      5"));
  QCOMPARE(control<QLineEdit>(edit, "Text2")->text(), QStringLiteral("     23"));
  QCOMPARE(dir.read(QStringLiteral("herd.dat")), crlf({"    2", "    6", " 2 ", " 4 "}));
  click(edit, "Command2");
  QCOMPARE(dir.read(QStringLiteral("herd.dat")),
           crlf({"      5", "     23", " 2 ", " 4 ", " 4 ", " 4 ", " 9 "}));
  delete edit.data();
}

void TestImport::droppedFileIsImported() {
  tsk::test::WorkingDir dir;
  tsk::test::RecordingBoxes boxes;
  dir.write(QStringLiteral("flock.tsv"), "size\tcount\n1\t3\n4\t2\n");
  dir.write(QStringLiteral("flock.dat"), crlf({"    1", "    1", " 1 "}));
  QWidget opener;
  QPointer<tsk::ui::Form2> form = new tsk::ui::Form2(&opener, dir.path());
  form->show();

  const auto drop = [&](const QString& name) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(dir.filePath(name))});
    const QPoint at(5, 5);
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form, &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent dropped(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form, &dropped);
    return true;
  };
  QVERIFY(!drop(QStringLiteral("flock.dat")));  // only tables are taken
  QVERIFY(drop(QStringLiteral("flock.tsv")));
  QTRY_COMPARE(texts(control<QListWidget>(form, "List1")), kWorkedRows);
  QCOMPARE(control<QLineEdit>(form, "Text1")->text(), QStringLiteral("flock"));
  QVERIFY(boxes.boxes().isEmpty());
  delete form.data();
}

void TestImport::pastedColumnsWithHeadingsAreOffered() {
  tsk::test::WorkingDir dir;
  tsk::test::RecordingBoxes boxes;
  QWidget opener;
  QPointer<tsk::ui::Form7> edit = new tsk::ui::Form7(&opener, dir.path());
  edit->show();
  // Two columns copied with their headings from a spreadsheet.
  QGuiApplication::clipboard()->setText(QStringLiteral("north\tsouth\n1\t2\n4\t\n"));
  boxes.answerNext(true);
  boxes.answerNext(true);
  QTest::keyClick(control<QListWidget>(edit, "List1"), Qt::Key_V, Qt::ControlModifier);
  QCOMPARE(
      boxes.texts(),
      (QStringList{QStringLiteral("   Save sample north (groups: 2, animals: 5) as north.dat?"),
                   QStringLiteral("   Save sample south (groups: 1, animals: 2) as south.dat?")}));
  QCOMPARE(dir.read(QStringLiteral("south.dat")), crlf({"      1", "      2", " 2 "}));
  QCOMPARE(texts(control<QListWidget>(edit, "File1")),
           (QStringList{QStringLiteral("north.dat"), QStringLiteral("south.dat")}));
  delete edit.data();
}

void TestImport::tableThatReadsTwoWaysIsReadAsChosen() {
  tsk::test::WorkingDir dir;
  tsk::test::RecordingBoxes boxes;
  dir.write(QStringLiteral("years.csv"), "2006;2007\r\n3;4\r\n5;6\r\n");
  Chooser chooser(dir.filePath(QStringLiteral("years.csv")));
  const QString question = QStringLiteral(
      "File years.csv, line 1: the two columns read both as two samples named \"2006\" and "
      "\"2007\" and as one sample of group sizes (column 1) with their numbers of groups "
      "(column 2).\n\nWhich reading is meant?");
  const struct {
    int choice;          // -1: Cancel
    QStringList offers;  // the samples then offered for saving
  } cases[] = {
      {-1, {}},
      {0,
       {QStringLiteral("   Save sample 2006 (groups: 2, animals: 8) as 2006.dat?"),
        QStringLiteral("   Save sample 2007 (groups: 2, animals: 10) as 2007.dat?")}},
      // 2006 x 2007 + 3 x 4 + 5 x 6 animals.
      {1, {QStringLiteral("   Save sample years (groups: 2017, animals: 4026084) as years.dat?")}},
  };
  for (const auto& c : cases) {
    boxes.clear();
    QWidget opener;
    QPointer<tsk::ui::Form7> edit = new tsk::ui::Form7(&opener, dir.path());
    edit->show();
    boxes.answerChoiceNext(c.choice);
    for (qsizetype i = 0; i < c.offers.size(); ++i) boxes.answerNext(false);
    click(edit, "Command5");
    QCOMPARE(boxes.texts(), QStringList{question} + c.offers);
    QCOMPARE(boxes.unexpectedQuestions(), 0);
    delete edit.data();
  }
}

QTEST_MAIN(TestImport)
#include "tst_import.moc"
