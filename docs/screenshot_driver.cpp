// SPDX-License-Identifier: GPL-3.0-or-later
// Takes the guide's pictures: opens each window of the desktop program from
// the main window, as a user would, fills it with one of the example samples
// and saves what the window shows. Runs in the current directory, which must
// hold the example samples, the method lists and the parameter files; the
// engines are found beside this program.
//
// Usage: tsk_screenshots OUTDIR

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QTest>
#include <cstdio>
#include <functional>

#include "Form1.h"
#include "Help.h"

namespace {

QString g_outDir;
int g_failures = 0;

void fail(const QString& what) {
  std::fprintf(stderr, "tsk_screenshots: %s\n", qPrintable(what));
  ++g_failures;
}

template <class T>
T* find(QWidget* window, const char* name) {
  T* control = window ? window->findChild<T*>(QString::fromLatin1(name)) : nullptr;
  if (!control) fail(QStringLiteral("no control %1").arg(QString::fromLatin1(name)));
  return control;
}

void click(QWidget* window, const char* button) {
  if (auto* b = find<QPushButton>(window, button)) QTest::mouseClick(b, Qt::LeftButton);
}

// The visible top-level window of that object name.
QWidget* window(const char* objectName) {
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (w->isVisible() && w->objectName() == QLatin1String(objectName)) return w;
  }
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (w->isVisible() && w->inherits(objectName)) return w;
  }
  fail(QStringLiteral("no window %1").arg(QString::fromLatin1(objectName)));
  return nullptr;
}

void shoot(QWidget* w, const char* file) {
  if (!w) return;
  w->raise();
  w->activateWindow();
  if (!QTest::qWaitForWindowExposed(w)) fail(QStringLiteral("window not shown for %1").arg(file));
  QTest::qWait(300);  // let deferred layout and painting finish
  const QString path = QDir(g_outDir).filePath(QString::fromLatin1(file));
  if (!w->grab().save(path)) fail(QStringLiteral("cannot write %1").arg(path));
}

void selectRows(QListWidget* list, const QStringList& texts) {
  if (!list) return;
  list->clearSelection();
  for (const QString& text : texts) {
    const QList<QListWidgetItem*> items = list->findItems(text, Qt::MatchStartsWith);
    if (items.isEmpty()) fail(QStringLiteral("no row %1").arg(text));
    for (QListWidgetItem* item : items) item->setSelected(true);
  }
}

void typeRow(QWidget* w, const char* size, const char* groups) {
  auto* sizeBox = find<QLineEdit>(w, "Text6");
  auto* groupsBox = find<QLineEdit>(w, "Text5");
  if (!sizeBox || !groupsBox) return;
  sizeBox->clear();
  QTest::keyClicks(sizeBox, QString::fromLatin1(size));
  groupsBox->clear();
  QTest::keyClicks(groupsBox, QString::fromLatin1(groups));
  click(w, "Command1");
}

void session(tsk::ui::Form1& main) {
  shoot(&main, "main.png");

  QTest::keyClick(&main, Qt::Key_F1);
  if (!tsk::ui::HelpWindow::current()) fail(QStringLiteral("F1 opened no guide"));
  shoot(tsk::ui::HelpWindow::current(), "help.png");
  if (tsk::ui::HelpWindow::current()) tsk::ui::HelpWindow::current()->close();

  click(&main, "Command1");  // New
  QWidget* entry = window("Form2");
  if (auto* name = find<QLineEdit>(entry, "Text1"))
    QTest::keyClicks(name, QStringLiteral("herons"));
  for (auto [size, groups] :
       {std::pair{"1", "14"}, {"2", "9"}, {"3", "5"}, {"5", "2"}, {"8", "1"}}) {
    typeRow(entry, size, groups);
  }
  shoot(entry, "entry.png");
  click(entry, "Command3");  // Close without saving

  click(&main, "Command4");  // Edit
  QWidget* edit = window("Form7");
  selectRows(find<QListWidget>(edit, "File1"), {QStringLiteral("terns")});
  shoot(edit, "edit.png");
  click(edit, "Command4");  // Save As
  QWidget* saveAs = window("Form8");
  shoot(saveAs, "saveas.png");
  click(saveAs, "Command1");  // Cancel
  click(edit, "Command3");    // Close

  click(&main, "Command3");  // Analyse
  QWidget* analysis = window("Form3");
  selectRows(find<QListWidget>(analysis, "File1"),
             {QStringLiteral("gulls"), QStringLiteral("terns")});
  selectRows(find<QListWidget>(analysis, "List1"),
             {QStringLiteral("Descriptive"), QStringLiteral("Stochastic")});
  shoot(analysis, "analysis.png");
  click(analysis, "Command1");  // Start analysis: returns when the results are shown
  QWidget* results = window("Form4");
  shoot(results, "results.png");
  click(results, "Command3");  // Close

  selectRows(find<QListWidget>(analysis, "File1"),
             {QStringLiteral("gulls"), QStringLiteral("terns"), QStringLiteral("dolphins")});
  click(analysis, "Command3");  // Display histogram
  click(analysis, "Command5");  // Group size
  QWidget* sizes = window("tsk::ui::Form5");
  shoot(sizes, "histogram-size.png");
  if (sizes) sizes->close();
  click(analysis, "Command3");
  click(analysis, "Command4");  // Crowding
  QWidget* crowding = window("tsk::ui::Form6");
  shoot(crowding, "histogram-crowding.png");
  if (crowding) crowding->close();
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  if (argc != 2) {
    std::fputs("Usage: tsk_screenshots OUTDIR\n", stderr);
    return 2;
  }
  g_outDir = QString::fromLocal8Bit(argv[1]);
  QApplication::setQuitOnLastWindowClosed(false);
  tsk::ui::installHelpKey(app);
  tsk::ui::Form1 main(QDir::currentPath());
  main.setExitAction([] {});
  main.move(40, 40);
  main.show();
  session(main);
  return g_failures == 0 ? 0 : 1;
}
