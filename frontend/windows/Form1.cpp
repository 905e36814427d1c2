// SPDX-License-Identifier: GPL-3.0-or-later
#include "Form1.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QFont>
#include <QHideEvent>
#include <QMenu>
#include <QPlainTextEdit>
#include <QShowEvent>
#include <QToolButton>

#include "Form2.h"
#include "Form3.h"
#include "Form7.h"
#include "FormControls.h"
#include "Help.h"
#include "MessageBoxes.h"
#include "ScreenPlacement.h"
#include "StartupFiles.h"
#include "StudyFolder.h"

namespace tsk::ui {

namespace {

const QString kGeometryKey = QStringLiteral("geometry/main");
const QString kCaption = QStringLiteral("TK 1.1");
const QString kCrLf = QStringLiteral("\r\n");
const QString kFolderTitle = QStringLiteral("TK 1.0 - Study folder");

QString termsAndCitation() {
  return QStringLiteral(" ") +
         QStringLiteral(
             "Toskarn is free: it may be used, copied, changed and passed on under the GNU "
             "General Public License, version 3 or later. If you "
             "publish results obtained with it, please cite as the theoretical background of "
             "the statistical procedures: M. Lloyd (1967) Mean crowding. Journal of Animal "
             "Ecology 36: 1-30.");
}

QString authorsAndAddress() {
  // No invented names or addresses: the team and the tracker are what exist.
  return QStringLiteral("Written by the Toskarn developers") + kCrLf +
         QStringLiteral("Please report errors through the project's issue tracker");
}

QString acknowledgements() {
  const QString blankLine(59, u' ');
  return QStringLiteral("Supported by:") + kCrLf +
         QStringLiteral("the field ecologists who test it and report its errors") + kCrLf +
         blankLine + kCrLf + blankLine;
}

}  // namespace

Form1::Form1(const QString& workingDirectory)
    : QWidget(nullptr), m_dir(workingDirectory), m_exit([] { QCoreApplication::exit(0); }) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(kCaption);
  // A row for the study folder below the buttons.
  setFixedSize(twips(7800), twips(5310));

  QLabel* name = placeLabel(this, "Label1", QStringLiteral("Toskarn"), 360, 150, 3135, 675);
  QFont nameFont(QStringLiteral("Times New Roman"), 24);
  nameFont.setStyleHint(QFont::Serif);
  nameFont.setBold(true);
  nameFont.setItalic(true);
  name->setFont(nameFont);

  QLineEdit* version = placeBox(this, "Text2", 3720, 330, 3240, 330);
  version->setText(QStringLiteral("Version 1.1     (28.10.2007)"));
  makeReadOnly(version);

  // Between the version box and the terms, aligned with the boxes' right edge.
  placeHelpLink(this, 6480, 690, 960, 270);

  QLabel* terms = placeLabel(this, "Label2", termsAndCitation(), 360, 990, 7080, 1035);
  terms->setWordWrap(true);
  terms->setAlignment(Qt::AlignLeft | Qt::AlignTop);

  // A text box rather than a label, so that the address can be selected and
  // copied.
  auto* authors = new QPlainTextEdit(this);
  authors->setObjectName(QStringLiteral("Text1"));
  authors->setGeometry(twipsRect(360, 2130, 7080, 615));
  authors->setPlainText(authorsAndAddress());
  makeReadOnly(authors);
  authors->setLineWrapMode(QPlainTextEdit::NoWrap);

  QLabel* support = placeLabel(this, "Label3", acknowledgements(), 360, 2880, 7080, 1035);
  support->setAlignment(Qt::AlignLeft | Qt::AlignTop);

  QPushButton* newButton = placeButton(this, "Command1", QStringLiteral("New"),
                                       QStringLiteral("Enter new data"), 360, 4140, 1575, 495);
  QPushButton* editButton =
      placeButton(this, "Command4", QStringLiteral("Edit "), QStringLiteral("Edit existing data"),
                  2190, 4140, 1575, 495);
  QPushButton* analyseButton = placeButton(this, "Command3", QStringLiteral("Analyse"),
                                           QStringLiteral("Analyse data"), 4020, 4140, 1575, 495);
  QPushButton* exitButton =
      placeButton(this, "Command2", QStringLiteral("Exit"), QString(), 5850, 4140, 1575, 495);

  m_folderLabel = placeLabel(this, "LabelFolder", QString(), 360, 4770, 5370, 375);
  m_folderButton = new QToolButton(this);
  m_folderButton->setObjectName(QStringLiteral("CommandFolder"));
  m_folderButton->setGeometry(twipsRect(5850, 4770, 1575, 375));
  m_folderButton->setText(QStringLiteral("Open folder..."));
  m_folderButton->setToolTip(
      QStringLiteral("Work in another study folder; the arrow lists the "
                     "recent ones"));
  m_folderButton->setPopupMode(QToolButton::MenuButtonPopup);
  auto* recent = new QMenu(m_folderButton);
  recent->setObjectName(QStringLiteral("RecentFolders"));
  m_folderButton->setMenu(recent);
  // Filled as it opens, so it lists what exists then.
  connect(recent, &QMenu::aboutToShow, this, [this, recent] {
    recent->clear();
    for (const QString& folder : recentStudyFolders()) {
      recent->addAction(QDir::toNativeSeparators(folder), this,
                        [this, folder] { openFolder(folder); });
    }
    if (recent->isEmpty())
      recent->addAction(QStringLiteral("(no recent folders)"))->setEnabled(false);
  });
  connect(m_folderButton, &QToolButton::clicked, this, &Form1::askForFolder);
  m_studyButtons = {newButton, editButton, analyseButton};
  showFolder();

  connect(newButton, &QPushButton::clicked, this, &Form1::onNew);
  connect(editButton, &QPushButton::clicked, this, &Form1::onEdit);
  connect(analyseButton, &QPushButton::clicked, this, &Form1::onAnalyse);
  connect(exitButton, &QPushButton::clicked, this, &Form1::onExit);

  restoreWindowGeometry(this, kGeometryKey);
}

Form1::~Form1() {
  // The opened windows have no parent (each is a window of its own on the
  // desktop); they go with the main window.
  delete m_opened.data();
}

void Form1::showFolder() {
  const bool chosen = !m_dir.isEmpty();
  setWindowTitle(chosen ? kCaption + QStringLiteral(" - ") + QDir(m_dir).dirName() : kCaption);
  const QString text = chosen ? QStringLiteral("Study folder: ") + QDir::toNativeSeparators(m_dir)
                              : QStringLiteral("No study folder yet: choose one with Open folder");
  m_folderLabel->setText(
      m_folderLabel->fontMetrics().elidedText(text, Qt::ElideMiddle, m_folderLabel->width()));
  m_folderLabel->setToolTip(chosen ? QDir::toNativeSeparators(m_dir) : QString());
  for (QPushButton* button : m_studyButtons) button->setEnabled(chosen);
}

void Form1::openFolder(const QString& folder) {
  if (!QFileInfo(folder).isDir()) {
    messageBoxes().inform(
        this, kFolderTitle,
        QStringLiteral("   %1 is not a folder.").arg(QDir::toNativeSeparators(folder)));
    return;
  }
  m_dir = QDir(folder).absolutePath();
  QDir::setCurrent(m_dir);
  prepareStudyFolder(this, m_dir, deliveredDataDir(QCoreApplication::applicationDirPath()));
  rememberStudyFolder(m_dir);
  showFolder();
}

void Form1::askForFolder() {
  const QStringList recent = recentStudyFolders();
  const QString start = !m_dir.isEmpty()    ? m_dir
                        : !recent.isEmpty() ? recent.front()
                                            : QDir::homePath();
  const QString folder = chooseFolder(this, start);
  if (!folder.isEmpty()) openFolder(folder);
}

void Form1::open(QWidget* window) {
  delete m_opened.data();  // only reachable with a window left over from a test
  m_opened = window;
  window->show();
  hide();
}

void Form1::onNew() { open(new Form2(this, m_dir)); }

void Form1::onEdit() { open(new Form7(this, m_dir)); }

void Form1::onAnalyse() { open(new Form3(this, m_dir)); }

void Form1::onExit() {
  m_exiting = true;
  if (isVisible()) saveWindowGeometry(this, kGeometryKey);
  if (m_exit) m_exit();
}

void Form1::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  if (event->spontaneous()) return;  // minimised: the place has not changed
  m_placeWhenHidden = pos();
  m_hiddenOnce = true;
  saveWindowGeometry(this, kGeometryKey);
}

void Form1::showEvent(QShowEvent* event) {
  // Sent before the window is mapped, so the move is the place it maps at.
  if (!event->spontaneous() && m_hiddenOnce) placeOnScreen(this, m_placeWhenHidden);
  QWidget::showEvent(event);
}

void Form1::closeEvent(QCloseEvent* event) {
  // The close box ends the program as Exit does.
  event->accept();
  if (!m_exiting) onExit();
}

}  // namespace tsk::ui
