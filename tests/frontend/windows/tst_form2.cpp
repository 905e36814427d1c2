// SPDX-License-Identifier: GPL-3.0-or-later
// The entry window driven through its controls: typing rows, the Add rules,
// editing rows, and Save and close.

#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "DataWindowSupport.h"
#include "Form2.h"
#include "WindowTestSupport.h"

using tsk::test::control;
using tsk::test::crlf;

namespace {

// One entry window over a temporary working directory, opened from a
// stand-in for the main window.
struct Fixture {
  tsk::test::WorkingDir dir;
  tsk::test::RecordingBoxes boxes;
  QWidget opener;
  QPointer<tsk::ui::Form2> window;

  Fixture() {
    opener.move(140, 90);
    window = new tsk::ui::Form2(&opener, dir.path());
    window->show();
    opener.hide();
  }
  ~Fixture() { delete window.data(); }

  QLineEdit* box(const char* name) const { return control<QLineEdit>(window, name); }
  QListWidget* list() const { return control<QListWidget>(window, "List1"); }
  QStringList rows() const {
    QStringList texts;
    for (int i = 0; i < list()->count(); ++i) texts.append(list()->item(i)->text());
    return texts;
  }
  void click(const char* button) const {
    QTest::mouseClick(control<QPushButton>(window, button), Qt::LeftButton);
  }
  // Types a row the way a user does: size, Enter, groups, Enter.
  void typeRow(const QString& size, const QString& groups) const {
    QTest::keyClicks(box("Text6"), size);
    QTest::keyClick(box("Text6"), Qt::Key_Return);
    QTest::keyClicks(box("Text5"), groups);
    QTest::keyClick(box("Text5"), Qt::Key_Return);
  }
  void doubleClickRow(int row) const {
    const QRect rect = list()->visualItemRect(list()->item(row));
    QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, rect.center());
    QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {}, rect.center());
  }
};

}  // namespace

class TestForm2 : public QObject {
  Q_OBJECT

 private slots:
  void opensEmptyAtOpenersPlace();
  void enterMovesOnAndAddsRow();
  void addRules_data();
  void addRules();
  void addReplacesRowOfSameSize();
  void doubleClickTakesRowBack();
  void deleteKeyRemovesSelectedRow();
  void saveAndCloseWritesFile();
  void saveRefusals_data();
  void saveRefusals();
  void closingDropsSample();
  void savingOverALinkAsksFirst();
};

void TestForm2::opensEmptyAtOpenersPlace() {
  Fixture f;
  QCOMPARE(f.window->windowTitle(), QStringLiteral("TK 1.1 - Enter new data"));
  QCOMPARE(f.window->pos(), f.opener.pos());
  QCOMPARE(f.box("Text4")->text(), QStringLiteral("    0"));
  QCOMPARE(f.box("Text2")->text(), QStringLiteral("    0"));
  QVERIFY(f.box("Text4")->isReadOnly());
  QVERIFY(f.box("Text2")->isReadOnly());
  QCOMPARE(f.list()->count(), 0);
  // Row texts and totals are right-aligned with blanks: their digits must
  // stand in columns.
  const QList<QWidget*> numberControls{f.list(), f.box("Text4"), f.box("Text6")};
  for (const QWidget* numbers : numberControls) {
    QCOMPARE(tsk::test::columnMisfit(numbers->font()), QString());
  }
  QCOMPARE(f.box("Text1")->maxLength(), 40);
  QCOMPARE(f.window->focusWidget(), f.box("Text1"));
  QCOMPARE(control<QPushButton>(f.window, "Command2")->toolTip(),
           QStringLiteral("Save data file and exit module"));
}

void TestForm2::enterMovesOnAndAddsRow() {
  Fixture f;
  QTest::keyClicks(f.box("Text6"), QStringLiteral("5"));
  QTest::keyClick(f.box("Text6"), Qt::Key_Return);
  QCOMPARE(f.window->focusWidget(), f.box("Text5"));
  QCOMPARE(f.list()->count(), 0);
  QTest::keyClicks(f.box("Text5"), QStringLiteral("3"));
  QTest::keyClick(f.box("Text5"), Qt::Key_Return);
  // Three groups of five: the worked example of the row and total texts.
  QCOMPARE(f.rows(), QStringList{QStringLiteral("     5      3")});
  QCOMPARE(f.box("Text4")->text(), QStringLiteral("      3"));
  QCOMPARE(f.box("Text2")->text(), QStringLiteral("     15"));
  QVERIFY(f.box("Text6")->text().isEmpty());
  QVERIFY(f.box("Text5")->text().isEmpty());
  QCOMPARE(f.window->focusWidget(), f.box("Text6"));
  QVERIFY(f.boxes.boxes().isEmpty());
}

void TestForm2::addRules_data() {
  QTest::addColumn<QString>("size");
  QTest::addColumn<QString>("groups");
  QTest::addColumn<QString>("row");  // empty: the input is ignored
  // Halves go to the even neighbour.
  QTest::newRow("7.5 rounds up") << "7.5"
                                 << "1"
                                 << "     8      1";
  QTest::newRow("6.5 rounds down") << "6.5"
                                   << "1"
                                   << "     6      1";
  QTest::newRow("groups 2.5") << "4"
                              << "2.5"
                              << "     4      2";
  QTest::newRow("blanks and exponent") << " 1e1 "
                                       << "+3"
                                       << "    10      3";
  QTest::newRow("30000 groups") << "2"
                                << "30000"
                                << "     2  30000";
  QTest::newRow("size 30000") << "30000"
                              << "1"
                              << " 30000      1";
  QTest::newRow("groups above 30000") << "2"
                                      << "30000.01"
                                      << "";
  QTest::newRow("size above 30000") << "30001"
                                    << "1"
                                    << "";
  QTest::newRow("groups 0") << "5"
                            << "0"
                            << "";
  QTest::newRow("negative groups") << "5"
                                   << "-2"
                                   << "";
  QTest::newRow("negative size") << "-5"
                                 << "2"
                                 << "";
  QTest::newRow("groups not a number") << "5"
                                       << "abc"
                                       << "";
  QTest::newRow("size not a number") << "5x"
                                     << "2"
                                     << "";
  QTest::newRow("empty boxes") << ""
                               << ""
                               << "";
  QTest::newRow("only a point") << "."
                                << "2"
                                << "";
  // Passes the range test but would round to a row of nothing.
  QTest::newRow("size rounds to 0") << "0.4"
                                    << "2"
                                    << "";
}

void TestForm2::addRules() {
  QFETCH(QString, size);
  QFETCH(QString, groups);
  QFETCH(QString, row);
  Fixture f;
  QTest::keyClicks(f.box("Text6"), size);
  QTest::keyClicks(f.box("Text5"), groups);
  f.click("Command1");
  QVERIFY(f.boxes.boxes().isEmpty());  // never a message
  if (row.isEmpty()) {
    QCOMPARE(f.list()->count(), 0);
    QCOMPARE(f.box("Text4")->text(), QStringLiteral("    0"));
    QCOMPARE(f.box("Text6")->text(), size);  // ignored input stays for correction
    QCOMPARE(f.box("Text5")->text(), groups);
  } else {
    QCOMPARE(f.rows(), QStringList{row});
    QVERIFY(f.box("Text6")->text().isEmpty());
  }
}

void TestForm2::addReplacesRowOfSameSize() {
  Fixture f;
  f.typeRow(QStringLiteral("12"), QStringLiteral("1"));
  f.typeRow(QStringLiteral("5"), QStringLiteral("3"));
  f.typeRow(QStringLiteral("5"), QStringLiteral("2"));
  // The rows stay sorted by size, and (5, 2) replaces (5, 3): the totals lose
  // one group and five animals (3 groups, 22 animals).
  QCOMPARE(f.rows(),
           (QStringList{QStringLiteral("     5      2"), QStringLiteral("    12      1")}));
  QCOMPARE(f.box("Text4")->text(), QStringLiteral("      3"));
  QCOMPARE(f.box("Text2")->text(), QStringLiteral("     22"));
}

void TestForm2::doubleClickTakesRowBack() {
  Fixture f;
  f.typeRow(QStringLiteral("1"), QStringLiteral("3"));
  f.typeRow(QStringLiteral("4"), QStringLiteral("2"));
  f.doubleClickRow(1);
  QCOMPARE(f.box("Text6")->text(), QStringLiteral("4"));
  QCOMPARE(f.box("Text5")->text(), QStringLiteral("2"));
  QCOMPARE(f.rows(), QStringList{QStringLiteral("     1      3")});
  QCOMPARE(f.box("Text4")->text(), QStringLiteral("      3"));
  QCOMPARE(f.box("Text2")->text(), QStringLiteral("      3"));
  QCOMPARE(f.window->focusWidget(), f.box("Text6"));

  // Left in the boxes the row is gone: the saved file holds only the 1s.
  QTest::keyClicks(f.box("Text1"), QStringLiteral("ones"));
  f.click("Command2");
  QCOMPARE(f.dir.read(QStringLiteral("ones.dat")),
           crlf({"      3", "      3", " 1 ", " 1 ", " 1 "}));
}

void TestForm2::deleteKeyRemovesSelectedRow() {
  Fixture f;
  f.typeRow(QStringLiteral("1"), QStringLiteral("3"));
  f.typeRow(QStringLiteral("4"), QStringLiteral("2"));
  f.list()->clearSelection();
  QTest::keyClick(f.list(), Qt::Key_Delete);
  QCOMPARE(f.list()->count(), 2);  // nothing selected, nothing removed

  f.list()->item(0)->setSelected(true);
  QTest::keyClick(f.list(), Qt::Key_Backspace);
  QCOMPARE(f.list()->count(), 2);  // only Delete deletes
  QTest::keyClick(f.list(), Qt::Key_Delete);
  QCOMPARE(f.rows(), QStringList{QStringLiteral("     4      2")});
  QCOMPARE(f.box("Text4")->text(), QStringLiteral("      2"));
  QCOMPARE(f.box("Text2")->text(), QStringLiteral("      8"));
  QVERIFY(f.box("Text6")->text().isEmpty());  // the boxes are not touched
}

void TestForm2::saveAndCloseWritesFile() {
  Fixture f;
  QTest::keyClicks(f.box("Text1"), QStringLiteral("flock"));
  f.typeRow(QStringLiteral("4"), QStringLiteral("2"));
  f.typeRow(QStringLiteral("1"), QStringLiteral("3"));
  f.click("Command2");
  // The seven-line file of three groups of 1 and two of 4, just entered:
  // totals at width 7, one line per group in ascending size.
  QCOMPARE(f.dir.read(QStringLiteral("flock.dat")),
           crlf({"      5", "     11", " 1 ", " 1 ", " 1 ", " 4 ", " 4 "}));
  QVERIFY(f.boxes.boxes().isEmpty());
  QTRY_VERIFY(f.window.isNull());  // closed and deleted
  QVERIFY(f.opener.isVisible());
}

void TestForm2::saveRefusals_data() {
  QTest::addColumn<QString>("name");
  QTest::addColumn<bool>("withRows");
  QTest::addColumn<bool>("fileExists");
  QTest::addColumn<bool>("answer");  // to the overwrite question, if asked
  QTest::addColumn<QString>("message");
  QTest::addColumn<bool>("written");
  const QString none;
  QTest::newRow("no rows") << "flock" << false << false << false << tsk::ui::kNothingToSave
                           << false;
  QTest::newRow("no name") << "" << true << false << false << tsk::ui::kNameRequired << false;
  QTest::newRow("blanks only") << "   " << true << false << false << tsk::ui::kNameRequired
                               << false;
  QTest::newRow("typed extension and blanks")
      << " flock.dat " << true << false << false << none << true;
  QTest::newRow("name with a folder")
      << "../flock" << true << false << false << tsk::ui::kNameUnusable << false;
  QTest::newRow("exists, No") << "flock" << true << true << false << tsk::ui::kFileExists << false;
  QTest::newRow("exists, Yes") << "flock" << true << true << true << tsk::ui::kFileExists << true;
  QTest::newRow("new name") << "flock" << true << false << false << none << true;
}

void TestForm2::saveRefusals() {
  QFETCH(QString, name);
  QFETCH(bool, withRows);
  QFETCH(bool, fileExists);
  QFETCH(bool, answer);
  QFETCH(QString, message);
  QFETCH(bool, written);
  Fixture f;
  const QByteArray older = crlf({"    1", "    9", " 9 "});
  if (fileExists) f.dir.write(QStringLiteral("flock.dat"), older);
  f.boxes.answerNext(answer);
  QTest::keyClicks(f.box("Text1"), name);
  if (withRows) f.typeRow(QStringLiteral("2"), QStringLiteral("1"));
  f.click("Command2");

  if (message.isEmpty()) {
    QVERIFY(f.boxes.boxes().isEmpty());
  } else {
    QCOMPARE(f.boxes.texts(), QStringList{message});
    QCOMPARE(f.boxes.boxes().front().title, tsk::ui::kProgramTitle);
    QCOMPARE(f.boxes.boxes().front().question, message == tsk::ui::kFileExists);
  }
  const QByteArray expected = crlf({"      1", "      2", " 2 "});
  if (written) {
    QCOMPARE(f.dir.read(QStringLiteral("flock.dat")), expected);
    QTRY_VERIFY(f.window.isNull());
    QVERIFY(f.opener.isVisible());
  } else {
    QCOMPARE(f.dir.read(QStringLiteral("flock.dat")), fileExists ? older : QByteArray());
    QCOMPARE(QDir(f.dir.path()).entryList(QDir::Files | QDir::Hidden).size(), fileExists ? 1 : 0);
    QVERIFY(!f.window.isNull() && f.window->isVisible());
    QVERIFY(!f.opener.isVisible());
    if (message == tsk::ui::kNameRequired) QCOMPARE(f.window->focusWidget(), f.box("Text1"));
  }
}

// "Close without saving" drops the rows; any other way out asks first.
void TestForm2::closingDropsSample() {
  using Choice = tsk::ui::MessageBoxes::SaveChoice;
  const struct {
    bool byButton;
    Choice choice;
  } cases[] = {{true, Choice::Discard},
               {false, Choice::Discard},
               {false, Choice::Cancel},
               {false, Choice::Save}};
  for (const auto& c : cases) {
    Fixture f;
    QTest::keyClicks(f.box("Text1"), QStringLiteral("flock"));
    f.typeRow(QStringLiteral("2"), QStringLiteral("1"));
    if (c.byButton) {
      f.click("Command3");
    } else {
      f.boxes.answerSaveNext(c.choice);
      f.window->close();  // the close box
      QCOMPARE(f.boxes.texts(), QStringList{"   Save the changes to flock.dat?"});
    }
    QCOMPARE(f.boxes.unexpectedQuestions(), 0);
    if (c.choice == Choice::Cancel) {
      QVERIFY(!f.window.isNull() && f.window->isVisible());
      QVERIFY(QDir(f.dir.path()).entryList(QDir::Files).isEmpty());
      continue;
    }
    QTRY_VERIFY(f.window.isNull());
    QVERIFY(f.opener.isVisible());
    QCOMPARE(QDir(f.dir.path()).entryList(QDir::Files),
             c.choice == Choice::Save ? QStringList{"flock.dat"} : QStringList{});
  }
}

// A name that is a link (here to a file in another folder): a question of
// its own; No writes nothing, Yes puts a file in the link's place and
// leaves the linked file as it was.
void TestForm2::savingOverALinkAsksFirst() {
  QTemporaryDir elsewhere;
  const QString theirs = QDir(elsewhere.path()).filePath(QStringLiteral("theirs.dat"));
  const QByteArray older = crlf({"    1", "    9", " 9 "});
  {
    QFile file(theirs);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(older);
  }
  for (const bool answer : {false, true}) {
    Fixture f;
    QVERIFY(QFile::link(theirs, QDir(f.dir.path()).filePath(QStringLiteral("flock.dat"))));
    f.boxes.answerNext(answer);
    QTest::keyClicks(f.box("Text1"), QStringLiteral("flock"));
    f.typeRow(QStringLiteral("2"), QStringLiteral("1"));
    f.click("Command2");
    QCOMPARE(f.boxes.texts(), QStringList{tsk::ui::replaceLinkQuestion("flock.dat")});
    QVERIFY(f.boxes.boxes().front().question);
    const QFileInfo saved(QDir(f.dir.path()).filePath(QStringLiteral("flock.dat")));
    QCOMPARE(saved.isSymLink(), !answer);
    if (answer)
      QCOMPARE(f.dir.read(QStringLiteral("flock.dat")), crlf({"      1", "      2", " 2 "}));
    QFile file(theirs);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), older);
  }
}

QTEST_MAIN(TestForm2)
#include "tst_form2.moc"
