// SPDX-License-Identifier: GPL-3.0-or-later
#include "Form7.h"

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QMimeData>
#include <QSignalBlocker>
#include <QTimer>
#include <algorithm>

#include "DataWindowSupport.h"
#include "Form8.h"
#include "FormControls.h"
#include "GrowingLayout.h"
#include "MessageBoxes.h"
#include "SampleFile.h"
#include "SampleTable.h"
#include "ScreenPlacement.h"

namespace tsk::ui {

namespace {

const QString kNothingToSaveUnpicked = QStringLiteral("      Nothing to save !");
const QString kNothingToDelete = QStringLiteral("No file selected! Nothing to delete!");
const QString kDeleteQuestion =
    QStringLiteral("If you delete the file, data will be lost. Delete anyway?");
const QString kNotDeleted = QStringLiteral("   The file could not be deleted!");
// Sample files the file list shows at the window's first size.
constexpr int kFileRows = 15;
const QString kRememberedAs = QStringLiteral("edit");

}  // namespace

Form7::Form7(QWidget* opener, const QString& workingDirectory)
    : QWidget(nullptr), m_opener(opener), m_dir(workingDirectory) {
  setObjectName(QStringLiteral("Form7"));
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(QStringLiteral("TK 1.1 - Edit existing data"));
  resize(twips(8880), twips(5115));

  placeLabel(this, "Label1", QStringLiteral("Select a data file to edit "), 240, 150, 2520, 255);
  m_file1 = placeList(this, "File1", 240, 450, 2055, 4425, QAbstractItemView::SingleSelection);

  const RowControls rows =
      placeRowControls(this, 2520, 150, 3615, 2, QStringLiteral("  Group    size "),
                       QStringLiteral(" No. of groups"), m_file1);
  m_text6 = rows.size;
  m_text5 = rows.groups;
  m_command1 = rows.add;

  // The total labels may wrap where the system font is wide.
  QLabel* label7 =
      placeLabel(this, "Label7", QStringLiteral(" Number of groups:"), 4800, 2070, 2520, 480);
  label7->setWordWrap(true);
  m_text4 = placeNumberBox(this, "Text4", 7440, 2145, 1200, 330);
  makeReadOnly(m_text4);
  QLabel* label8 = placeLabel(this, "Label8", QStringLiteral(" Total number of animals:"), 4800,
                              2550, 2520, 480);
  label8->setWordWrap(true);
  // Not read-only here: a number typed over the total is saved as line 2.
  m_text2 = placeNumberBox(this, "Text2", 7440, 2625, 1200, 330);
  // Totals of up to 10 digits show whole.
  fitTotalBox(m_text4, label7);
  fitTotalBox(m_text2, label8);

  m_command2 = placeButton(this, "Command2", QStringLiteral("Save"),
                           QStringLiteral("Save data file"), 4800, 3480, 1575, 420);
  m_command4 =
      placeButton(this, "Command4", QStringLiteral("Save As"),
                  QStringLiteral("Save data file under different name"), 6840, 3480, 1575, 420);
  m_command6 = placeButton(this, "Command6", QStringLiteral("Delete"),
                           QStringLiteral("Delete data file"), 4800, 4080, 1575, 420);
  m_command3 = placeButton(this, "Command3", QStringLiteral("Close"),
                           QStringLiteral("Close this window"), 6840, 4080, 1575, 420);

  // On the line of Add, in the column of Save As and Close.
  QPushButton* command5 = placeButton(this, "Command5", QStringLiteral("Import..."), kImportToolTip,
                                      6840, 870, 1575, 330);
  setAcceptDrops(true);

  m_rows = new SampleRowEditor(rows.list, m_text6, m_text5, m_command1, m_text4, m_text2, this);
  connect(command5, &QPushButton::clicked, this, &Form7::onImport);
  connect(m_rows, &SampleRowEditor::tablePasted, this, &Form7::onTablePasted);

  connect(m_file1, &QListWidget::itemSelectionChanged, this, &Form7::onFileSelectionChanged);
  connect(m_command2, &QPushButton::clicked, this, &Form7::onSave);
  connect(m_command4, &QPushButton::clicked, this, &Form7::onSaveAs);
  connect(m_command6, &QPushButton::clicked, this, &Form7::onDelete);
  connect(m_command3, &QPushButton::clicked, this, &QWidget::close);
  closeOnEscape(this);

  // Empty state: nothing loaded, the four boxes disabled and empty.
  m_rows->clearAll();
  setBoxesEnabled(false);
  // The file list takes what the window gains, the row list the height;
  // everything right of the file list moves along.
  auto* growing = new GrowingLayout(this);
  const int fileListRight = m_file1->geometry().right();
  for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
    if (child->x() > fileListRight) growing->follow(child, GrowingLayout::kRightward);
  growing->follow(m_file1, GrowingLayout::kWider | GrowingLayout::kTaller);
  growing->follow(rows.list, GrowingLayout::kRightward | GrowingLayout::kTaller);
  resize(width(),
         height() + std::max(0, listHeightForRows(m_file1, kFileRows) - m_file1->height()));
  restoreResizableWindow(this, kRememberedAs, Remembered::Size, opener);
  fillFileList();
}

Form7::~Form7() { delete m_saveAs.data(); }

Form8* Form7::saveAsDialog() const { return m_saveAs.data(); }

void Form7::closeEvent(QCloseEvent* event) {
  if (!mayLeavePicked()) {
    event->ignore();
    return;
  }
  if (m_saveAs) m_saveAs->close();
  saveResizableWindow(this, kRememberedAs);
  if (m_opener) m_opener->show();
  event->accept();
}

void Form7::setBoxesEnabled(bool enabled) {
  for (QLineEdit* box : {m_text2, m_text4, m_text6, m_text5}) box->setEnabled(enabled);
}

void Form7::fillFileList() {
  // A re-read list has no pick: Save, Save As and Delete then refuse rather
  // than act on a file that is no longer shown as loaded.
  m_picked.clear();
  listSampleFiles(m_file1, m_dir);
}

void Form7::onFileSelectionChanged() {
  const QList<QListWidgetItem*> selected = m_file1->selectedItems();
  if (selected.isEmpty()) {
    // A Ctrl-click can clear the selection; the loaded file stays picked.
    const QList<QListWidgetItem*> picked = m_file1->findItems(m_picked, Qt::MatchExactly);
    if (!m_picked.isEmpty() && !picked.isEmpty()) {
      const QSignalBlocker block(m_file1);
      picked.front()->setSelected(true);
    }
    return;
  }
  if (selected.front()->text() == m_picked) return;
  if (!mayLeavePicked()) {
    // The loaded file stays picked, and shown as picked.
    const QSignalBlocker block(m_file1);
    m_file1->clearSelection();
    const QList<QListWidgetItem*> picked = m_file1->findItems(m_picked, Qt::MatchExactly);
    if (!picked.isEmpty()) picked.front()->setSelected(true);
    return;
  }
  load(selected.front()->text());
}

// Rows changed since the picked file was loaded are saved or dropped as the
// user says; false when the user would rather stay.
bool Form7::mayLeavePicked() {
  if (m_picked.isEmpty() || !m_rows->unsaved()) return true;
  switch (messageBoxes().askToSave(this, kProgramTitle, unsavedQuestion(m_picked))) {
    case MessageBoxes::SaveChoice::Discard:
      return true;
    case MessageBoxes::SaveChoice::Cancel:
      return false;
    case MessageBoxes::SaveChoice::Save:
      break;
  }
  const QString path = QDir(m_dir).filePath(m_picked);
  if (!mayReplace(this, path)) return false;
  if (const SampleFileWrite written = WriteSampleFile(path, m_rows->sample()); !written) {
    messageBoxes().inform(this, kProgramTitle, written.error);
    return false;
  }
  m_rows->markSaved();
  return true;
}

void Form7::load(const QString& name) {
  m_picked = name;
  setBoxesEnabled(true);
  for (QPushButton* button : {m_command1, m_command2, m_command4, m_command6})
    button->setEnabled(true);
  const SampleFileRead read = ReadSampleFile(QDir(m_dir).filePath(name));
  m_rows->setSample(read.sample);
  if (!read.message.isEmpty()) messageBoxes().inform(this, kProgramTitle, read.message);
}

void Form7::reset() {
  m_rows->clearAll();
  for (QLineEdit* box : {m_text2, m_text6, m_text5}) box->setEnabled(false);
  fillFileList();
}

void Form7::onSave() {
  if (m_rows->sample().groupsTotal == 0) {
    messageBoxes().inform(this, kProgramTitle, kNothingToSave);
    return;
  }
  if (m_picked.isEmpty()) {
    messageBoxes().inform(this, kProgramTitle, kNothingToSaveUnpicked);
    return;
  }
  // Overwrites the picked file without a question, unless it is a link or
  // read-only. A failed write keeps the window loaded, so the changes are not lost.
  const QString path = QDir(m_dir).filePath(m_picked);
  if (!mayReplace(this, path)) return;
  if (const SampleFileWrite written = WriteSampleFile(path, m_rows->sample()); !written) {
    messageBoxes().inform(this, kProgramTitle, written.error);
    return;
  }
  reset();
}

void Form7::onSaveAs() {
  if (m_rows->sample().animalsTotal == 0) {
    messageBoxes().inform(this, kProgramTitle, kNothingToSave);
    return;
  }
  if (m_picked.isEmpty()) {
    messageBoxes().inform(this, kProgramTitle, kNothingToSaveUnpicked);
    return;
  }
  m_saveAs = new Form8(this, m_rows->sample(), m_dir, m_picked.left(m_picked.size() - 4));
  placeOnScreen(m_saveAs, pos() + QPoint(twips(120), twips(4310)), this);
  connect(m_saveAs, &Form8::finished, this, &Form7::onSaveAsFinished);
  m_saveAs->show();
}

void Form7::onSaveAsFinished(bool saved) {
  if (saved) reset();
  raise();
  activateWindow();
}

void Form7::onDelete() {
  if (m_picked.isEmpty()) {
    messageBoxes().inform(this, kProgramTitle, kNothingToDelete);
    return;
  }
  if (!messageBoxes().ask(this, kProgramTitle, kDeleteQuestion)) return;
  const QString path = QDir(m_dir).filePath(m_picked);
  // A file that has gone meanwhile needs no deleting; one that stays must
  // not be reported as deleted.
  if (!QFile::remove(path) && QFileInfo::exists(path)) {
    messageBoxes().inform(this, kProgramTitle, kNotDeleted);
    return;
  }
  reset();
}

void Form7::onImport() {
  const QString path = chooseTableFile(this, m_dir);
  if (!path.isEmpty()) importFile(path);
}

void Form7::importFile(const QString& path) {
  if (const auto table = readTableAsChosen(this, path)) takeTable(*table);
}

void Form7::onTablePasted(const QString& text) {
  takeTable(parsePastedTable(text, QStringLiteral("pasted")));
}

void Form7::takeTable(const SampleTableRead& table) {
  if (!table) {
    messageBoxes().inform(this, kProgramTitle, table.message);
    return;
  }
  if (table.samples.size() == 1 && !m_picked.isEmpty()) {
    m_rows->addRows(table.samples.front().sample);
    return;
  }
  offerToSave(table.samples);
}

void Form7::offerToSave(const std::vector<NamedSample>& samples) {
  const QStringList written = offerToSaveSamples(this, m_dir, samples);
  if (written.isEmpty()) return;
  // The loaded rows no longer match a file that was just replaced.
  if (written.contains(m_picked)) {
    reset();
    return;
  }
  // The new files are listed; the loaded file stays picked with its edits.
  listSampleFiles(m_file1, m_dir);
  const QList<QListWidgetItem*> picked = m_file1->findItems(m_picked, Qt::MatchExactly);
  if (!m_picked.isEmpty() && !picked.isEmpty()) {
    const QSignalBlocker block(m_file1);
    picked.front()->setSelected(true);
  }
}

void Form7::dragEnterEvent(QDragEnterEvent* event) {
  if (!m_saveAs && !droppedTableFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void Form7::dropEvent(QDropEvent* event) {
  const QString path = droppedTableFile(event->mimeData());
  if (path.isEmpty()) return;
  event->acceptProposedAction();
  // Questions wait until the drag has ended.
  QTimer::singleShot(0, this, [this, path] { importFile(path); });
}

}  // namespace tsk::ui
