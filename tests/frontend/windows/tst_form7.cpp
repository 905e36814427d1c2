// SPDX-License-Identifier: GPL-3.0-or-later
// The edit window driven through its controls: its three states, the load
// messages, Save, Save As through the dialog, and Delete.

#include <QApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "DataWindowSupport.h"
#include "Form7.h"
#include "Form8.h"
#include "Twips.h"
#include "WindowTestSupport.h"

using tsk::test::control;
using tsk::test::crlf;

namespace {

// Three groups of 1 and two of 4 as a loaded file is saved: width-5 totals.
const QByteArray kFlock = crlf({"    5", "   11", " 1 ", " 1 ", " 1 ", " 4 ", " 4 "});

struct Fixture {
  tsk::test::WorkingDir dir;
  tsk::test::RecordingBoxes boxes;
  QWidget opener;
  QPointer<tsk::ui::Form7> window;

  explicit Fixture(std::initializer_list<std::pair<const char*, QByteArray>> files = {}) {
    for (const auto& [name, content] : files) dir.write(QString::fromLatin1(name), content);
    opener.move(60, 40);
    window = new tsk::ui::Form7(&opener, dir.path());
    window->show();
    opener.hide();
  }
  ~Fixture() { delete window.data(); }

  QLineEdit* box(const char* name) const { return control<QLineEdit>(window, name); }
  QPushButton* button(const char* name) const { return control<QPushButton>(window, name); }
  QListWidget* files() const { return control<QListWidget>(window, "File1"); }
  QStringList texts(const char* listName) const {
    QStringList result;
    const auto* list = control<QListWidget>(window, listName);
    for (int i = 0; i < list->count(); ++i) result.append(list->item(i)->text());
    return result;
  }
  void click(const char* name) const { QTest::mouseClick(button(name), Qt::LeftButton); }
  void pick(const QString& file) const {
    const QList<QListWidgetItem*> items = files()->findItems(file, Qt::MatchExactly);
    QVERIFY2(items.size() == 1, qPrintable(file));
    QTest::mouseClick(files()->viewport(), Qt::LeftButton, {},
                      files()->visualItemRect(items.front()).center());
  }
  void addRow(const char* size, const char* groups) const {
    QTest::keyClicks(box("Text6"), QString::fromLatin1(size));
    QTest::keyClicks(box("Text5"), QString::fromLatin1(groups));
    click("Command1");
  }
  // The reset (and empty) state: nothing loaded, boxes emptied, the
  // animals, size and groups boxes disabled.
  void verifyReset() const {
    for (const char* name : {"Text2", "Text4", "Text6", "Text5"})
      QVERIFY2(box(name)->text().isEmpty(), name);
    for (const char* name : {"Text2", "Text6", "Text5"}) QVERIFY2(!box(name)->isEnabled(), name);
    QVERIFY(texts("List1").isEmpty());
    QVERIFY(files()->selectedItems().isEmpty());
    QVERIFY(window->pickedFile().isEmpty());
    for (const char* name : {"Command1", "Command2", "Command4", "Command6", "Command3"})
      QVERIFY2(button(name)->isEnabled(), name);
  }
};

}  // namespace

class TestForm7 : public QObject {
  Q_OBJECT

 private slots:
  void emptyState();
  void loadMessages_data();
  void loadMessages();
  void pickingAnotherFileLoadsOverIt();
  void unsavedRowsAskFirst();
  void saveWritesTotalsAtTheirWidth();
  void typedAnimalsTotalIsSaved();
  void saveAsWithOverwriteQuestion();
  void saveAsGivingUp();
  void deleteWithQuestion();
  void closeShowsOpener();
  void saveOverALinkAsksFirst();
  void saveOverAReadOnlyFileAsksFirst();
};

void TestForm7::emptyState() {
  Fixture f({{"b.dat", kFlock}, {"A.dat", kFlock}, {"notes.txt", "x"}});
  QCOMPARE(f.window->windowTitle(), QStringLiteral("TK 1.1 - Edit existing data"));
  QCOMPARE(f.window->pos(), f.opener.pos());
  QCOMPARE(f.texts("File1"), (QStringList{QStringLiteral("A.dat"), QStringLiteral("b.dat")}));
  QVERIFY(!f.box("Text4")->isEnabled());
  f.verifyReset();
  // Nothing loaded: each button stops at its message and touches nothing.
  f.click("Command2");
  f.click("Command4");
  f.click("Command6");
  QCOMPARE(f.boxes.texts(), (QStringList{tsk::ui::kNothingToSave, tsk::ui::kNothingToSave,
                                         QStringLiteral("No file selected! Nothing to delete!")}));
  QVERIFY(f.window->saveAsDialog() == nullptr);
  QCOMPARE(f.dir.read(QStringLiteral("b.dat")), kFlock);
  QCOMPARE(f.boxes.unexpectedQuestions(), 0);
}

void TestForm7::loadMessages_data() {
  QTest::addColumn<QByteArray>("content");
  QTest::addColumn<QString>("message");
  QTest::addColumn<QStringList>("rows");
  QTest::addColumn<QString>("groups");
  QTest::addColumn<QString>("animals");
  const QStringList flockRows{QStringLiteral("     1      3"), QStringLiteral("     4      2")};
  QTest::newRow("consistent") << kFlock << QString() << flockRows << "    5"
                              << "   11";
  // Line 2 claims 150 animals, the groups hold 152: loaded with the sum.
  QTest::newRow("animals corrected")
      << crlf({"3", "150", "50", "50", "52"})
      << QStringLiteral("Total number of animals corrected:  150 to 152")
      << QStringList{QStringLiteral("    50      2"), QStringLiteral("    52      1")} << "    3"
      << "  152";
  // Line 1 claims 6 groups, the file holds 5: both declared totals shown.
  QTest::newRow("invalid total") << crlf({"6", "11", "1", "1", "1", "4", "4"})
                                 << QStringLiteral("      Invalid total in file !") << flockRows
                                 << "    6"
                                 << "   11";
  QTest::newRow("only totals, both 0") << crlf({"0", "0"}) << QString() << QStringList() << "    0"
                                       << "    0";
}

void TestForm7::loadMessages() {
  QFETCH(QByteArray, content);
  QFETCH(QString, message);
  QFETCH(QStringList, rows);
  QFETCH(QString, groups);
  QFETCH(QString, animals);
  Fixture f({{"s.dat", content}});
  f.pick(QStringLiteral("s.dat"));
  QCOMPARE(f.window->pickedFile(), QStringLiteral("s.dat"));
  QCOMPARE(f.boxes.texts(), message.isEmpty() ? QStringList() : QStringList{message});
  if (!message.isEmpty()) QCOMPARE(f.boxes.boxes().front().title, tsk::ui::kProgramTitle);
  QCOMPARE(f.texts("List1"), rows);
  QCOMPARE(f.box("Text4")->text(), groups);
  QCOMPARE(f.box("Text2")->text(), animals);
  for (const char* name : {"Text2", "Text4", "Text6", "Text5"})
    QVERIFY2(f.box(name)->isEnabled(), name);
  QVERIFY(f.box("Text4")->isReadOnly());
  QVERIFY(!f.box("Text2")->isReadOnly());
}

void TestForm7::pickingAnotherFileLoadsOverIt() {
  Fixture f({{"a.dat", kFlock}, {"b.dat", crlf({"    1", "    7", " 7 "})}});
  f.pick(QStringLiteral("a.dat"));
  // Unchanged rows go without a question.
  f.pick(QStringLiteral("b.dat"));
  QCOMPARE(f.texts("List1"), QStringList{QStringLiteral("     7      1")});
  QCOMPARE(f.box("Text2")->text(), QStringLiteral("    7"));
  QVERIFY(f.boxes.boxes().isEmpty());
  QCOMPARE(f.dir.read(QStringLiteral("a.dat")), kFlock);
}

// Changed rows are saved, dropped or kept as the user answers, both when
// another file is picked and when the window is left.
void TestForm7::unsavedRowsAskFirst() {
  using Choice = tsk::ui::MessageBoxes::SaveChoice;
  const struct {
    Choice choice;
    bool byClose;
  } cases[] = {{Choice::Discard, false}, {Choice::Save, false}, {Choice::Cancel, false},
               {Choice::Discard, true},  {Choice::Save, true},  {Choice::Cancel, true}};
  for (const auto& c : cases) {
    Fixture f({{"a.dat", kFlock}, {"b.dat", crlf({"    1", "    7", " 7 "})}});
    f.pick(QStringLiteral("a.dat"));
    f.addRow("9", "9");
    f.boxes.answerSaveNext(c.choice);
    if (c.byClose)
      f.click("Command3");
    else
      f.pick(QStringLiteral("b.dat"));
    QCOMPARE(f.boxes.texts(), QStringList{"   Save the changes to a.dat?"});
    QCOMPARE(f.boxes.unexpectedQuestions(), 0);
    const QByteArray a = f.dir.read(QStringLiteral("a.dat"));
    QCOMPARE(a == kFlock, c.choice != Choice::Save);
    if (c.choice == Choice::Save) QCOMPARE(a.count(" 9 \r\n"), 9);
    if (c.choice == Choice::Cancel) {
      QVERIFY(!f.window.isNull() && f.window->isVisible());
      QCOMPARE(f.window->findChild<QListWidget*>("File1")->selectedItems().first()->text(),
               QStringLiteral("a.dat"));
      QCOMPARE(f.texts("List1").size(), 3);
    } else if (c.byClose) {
      QTRY_VERIFY(f.window.isNull());
    } else {
      QCOMPARE(f.texts("List1"), QStringList{QStringLiteral("     7      1")});
    }
  }
}

void TestForm7::saveWritesTotalsAtTheirWidth() {
  Fixture f({{"flock.dat", crlf({"5", "11", "1", "1", "1", "4", "4"})}});
  // Unchanged since loading: width 5.
  f.pick(QStringLiteral("flock.dat"));
  f.click("Command2");
  QCOMPARE(f.dir.read(QStringLiteral("flock.dat")), kFlock);
  f.verifyReset();
  QVERIFY(f.box("Text4")->isEnabled());  // stays enabled after a reset
  QCOMPARE(f.texts("File1"), QStringList{QStringLiteral("flock.dat")});

  // Edited: width 7. The replaced row (4, 1) takes one group of 4 off.
  f.pick(QStringLiteral("flock.dat"));
  f.addRow("4", "1");
  f.click("Command2");
  QCOMPARE(f.dir.read(QStringLiteral("flock.dat")),
           crlf({"      4", "      7", " 1 ", " 1 ", " 1 ", " 4 "}));
  QVERIFY(f.boxes.boxes().isEmpty());
  f.verifyReset();
}

void TestForm7::typedAnimalsTotalIsSaved() {
  Fixture f({{"flock.dat", kFlock}});
  f.pick(QStringLiteral("flock.dat"));
  f.box("Text2")->selectAll();
  QTest::keyClicks(f.box("Text2"), QStringLiteral("20"));
  f.click("Command2");
  QCOMPARE(f.dir.read(QStringLiteral("flock.dat")),
           crlf({"    5", "   20", " 1 ", " 1 ", " 1 ", " 4 ", " 4 "}));
  // The next load puts it right and says so.
  f.pick(QStringLiteral("flock.dat"));
  QCOMPARE(f.boxes.texts(),
           QStringList{QStringLiteral("Total number of animals corrected:  20 to 11")});

  // Text that is not a whole number is ignored: the total stays the sum.
  f.box("Text2")->selectAll();
  QTest::keyClicks(f.box("Text2"), QStringLiteral("many"));
  f.click("Command2");
  QCOMPARE(f.dir.read(QStringLiteral("flock.dat")), kFlock);
}

void TestForm7::saveAsWithOverwriteQuestion() {
  const QByteArray other = crlf({"    1", "    7", " 7 "});
  Fixture f({{"flock.dat", kFlock}, {"other.dat", other}});
  f.pick(QStringLiteral("flock.dat"));
  f.addRow("2", "1");
  f.click("Command4");
  QPointer<tsk::ui::Form8> dialog = f.window->saveAsDialog();
  QVERIFY(dialog && dialog->isVisible());
  QCOMPARE(QApplication::activeModalWidget(), dialog.data());
  QCOMPARE(dialog->pos(), f.window->pos() + QPoint(tsk::ui::twips(120), tsk::ui::twips(4310)));
  auto* name = control<QLineEdit>(dialog, "Text1");
  QCOMPARE(name->text(), QStringLiteral("flock"));

  // An existing name, answered No: nothing written, the dialog stays.
  name->clear();
  QTest::keyClicks(name, QStringLiteral("other"));
  f.boxes.answerNext(false);
  QTest::mouseClick(control<QPushButton>(dialog, "Command5"), Qt::LeftButton);
  QCOMPARE(f.boxes.texts(), QStringList{tsk::ui::kFileExists});
  QVERIFY(f.boxes.boxes().front().question);
  QCOMPARE(f.dir.read(QStringLiteral("other.dat")), other);
  QVERIFY(dialog && dialog->isVisible());
  QCOMPARE(QApplication::activeModalWidget(), dialog.data());

  // Yes: written under the new name, the original file untouched.
  f.boxes.answerNext(true);
  QTest::mouseClick(control<QPushButton>(dialog, "Command5"), Qt::LeftButton);
  QCOMPARE(f.dir.read(QStringLiteral("other.dat")),
           crlf({"      6", "     13", " 1 ", " 1 ", " 1 ", " 2 ", " 4 ", " 4 "}));
  QCOMPARE(f.dir.read(QStringLiteral("flock.dat")), kFlock);
  QTRY_VERIFY(dialog.isNull());
  QVERIFY(f.window->isEnabled());
  f.verifyReset();

  // A new name needs no question and then appears in the file list.
  f.pick(QStringLiteral("flock.dat"));
  f.click("Command4");
  dialog = f.window->saveAsDialog();
  QVERIFY(dialog);
  name = control<QLineEdit>(dialog, "Text1");
  name->clear();
  QTest::keyClicks(name, QStringLiteral("copy"));
  QTest::mouseClick(control<QPushButton>(dialog, "Command5"), Qt::LeftButton);
  QCOMPARE(f.boxes.boxes().size(), 2);  // only the two earlier questions
  QCOMPARE(f.dir.read(QStringLiteral("copy.dat")), kFlock);
  QCOMPARE(f.texts("File1"), (QStringList{QStringLiteral("copy.dat"), QStringLiteral("flock.dat"),
                                          QStringLiteral("other.dat")}));
}

void TestForm7::saveAsGivingUp() {
  for (const bool byButton : {true, false}) {
    Fixture f({{"flock.dat", kFlock}});
    f.pick(QStringLiteral("flock.dat"));
    f.click("Command4");
    QPointer<tsk::ui::Form8> dialog = f.window->saveAsDialog();
    QVERIFY(dialog);
    if (byButton)
      QTest::mouseClick(control<QPushButton>(dialog, "Command1"), Qt::LeftButton);
    else
      dialog->close();  // the close box acts as Cancel
    QTRY_VERIFY(dialog.isNull());
    QVERIFY(f.window->isEnabled());
    // Still loaded: Cancel gives up the new name, not the sample.
    QCOMPARE(f.window->pickedFile(), QStringLiteral("flock.dat"));
    QCOMPARE(f.texts("List1").size(), 2);
    QCOMPARE(QDir(f.dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("flock.dat")});
  }
}

void TestForm7::deleteWithQuestion() {
  Fixture f({{"flock.dat", kFlock}, {"other.dat", kFlock}});
  f.pick(QStringLiteral("flock.dat"));
  f.boxes.answerNext(false);
  f.click("Command6");
  QCOMPARE(
      f.boxes.texts(),
      QStringList{QStringLiteral("If you delete the file, data will be lost. Delete anyway?")});
  QVERIFY(f.dir.exists(QStringLiteral("flock.dat")));
  QCOMPARE(f.window->pickedFile(), QStringLiteral("flock.dat"));

  f.boxes.answerNext(true);
  f.click("Command6");
  QVERIFY(!f.dir.exists(QStringLiteral("flock.dat")));
  QCOMPARE(f.texts("File1"), QStringList{QStringLiteral("other.dat")});
  f.verifyReset();
  // The pick went with the re-read list: a second Delete deletes nothing.
  f.click("Command6");
  QCOMPARE(f.boxes.texts().last(), QStringLiteral("No file selected! Nothing to delete!"));
  QVERIFY(f.dir.exists(QStringLiteral("other.dat")));
  QCOMPARE(f.boxes.unexpectedQuestions(), 0);
}

void TestForm7::closeShowsOpener() {
  for (const bool byButton : {true, false}) {
    Fixture f({{"flock.dat", kFlock}});
    f.pick(QStringLiteral("flock.dat"));
    f.addRow("3", "3");
    f.boxes.answerSaveNext(tsk::ui::MessageBoxes::SaveChoice::Discard);
    if (byButton)
      f.click("Command3");
    else
      f.window->close();
    QTRY_VERIFY(f.window.isNull());
    QVERIFY(f.opener.isVisible());
    QCOMPARE(f.boxes.texts(), QStringList{"   Save the changes to flock.dat?"});
    QCOMPARE(f.dir.read(QStringLiteral("flock.dat")), kFlock);
  }
}

// The picked file is a link: Save asks first; No keeps the window loaded,
// Yes replaces the link with a file and leaves the linked file alone.
void TestForm7::saveOverALinkAsksFirst() {
  QTemporaryDir elsewhere;
  const QString theirs = QDir(elsewhere.path()).filePath(QStringLiteral("theirs.dat"));
  {
    QFile file(theirs);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(kFlock);
  }
  Fixture f;
  const QString link = QDir(f.dir.path()).filePath(QStringLiteral("flock.dat"));
  QVERIFY(QFile::link(theirs, link));
  delete f.window.data();
  f.window = new tsk::ui::Form7(&f.opener, f.dir.path());
  f.window->show();
  f.pick(QStringLiteral("flock.dat"));
  f.addRow("4", "1");
  f.boxes.answerNext(false);
  f.click("Command2");
  QCOMPARE(f.boxes.texts(), QStringList{tsk::ui::replaceLinkQuestion("flock.dat")});
  QVERIFY(QFileInfo(link).isSymLink());
  QCOMPARE(f.texts("List1").size(), 2);  // still loaded
  f.boxes.answerNext(true);
  f.click("Command2");
  QVERIFY(!QFileInfo(link).isSymLink());
  QCOMPARE(f.dir.read(QStringLiteral("flock.dat")),
           crlf({"      4", "      7", " 1 ", " 1 ", " 1 ", " 4 "}));
  QFile file(theirs);
  QVERIFY(file.open(QIODevice::ReadOnly));
  QCOMPARE(file.readAll(), kFlock);
  f.verifyReset();
}

// A read-only sample is how a user keeps one as it is: saving asks, No
// leaves it alone and keeps the window loaded, Yes replaces it.
void TestForm7::saveOverAReadOnlyFileAsksFirst() {
  Fixture f({{"flock.dat", kFlock}});
  QVERIFY(QFile::setPermissions(QDir(f.dir.path()).filePath(QStringLiteral("flock.dat")),
                                QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
  f.pick(QStringLiteral("flock.dat"));
  f.addRow("4", "1");
  for (const bool answer : {false, true}) {
    f.boxes.answerNext(answer);
    f.click("Command2");
    QCOMPARE(f.boxes.texts().back(), tsk::ui::replaceReadOnlyQuestion("flock.dat"));
    QCOMPARE(f.dir.read(QStringLiteral("flock.dat")) == kFlock, !answer);
  }
  f.verifyReset();
}

QTEST_MAIN(TestForm7)
#include "tst_form7.moc"
