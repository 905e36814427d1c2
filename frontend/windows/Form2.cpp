// SPDX-License-Identifier: GPL-3.0-or-later
#include "Form2.h"

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QListWidget>
#include <QMimeData>
#include <QTimer>

#include "DataWindowSupport.h"
#include "Form7.h"
#include "FormControls.h"
#include "MessageBoxes.h"
#include "SampleFile.h"
#include "SampleTable.h"
#include "ScreenPlacement.h"

namespace tsk::ui {

namespace {

const QString kTypedRowsDropped =
    QStringLiteral("   The rows typed here are not saved. Open the samples in the edit window?");

}  // namespace

Form2::Form2(QWidget* opener, const QString& workingDirectory)
    : QWidget(nullptr), m_opener(opener), m_dir(workingDirectory) {
  setObjectName(QStringLiteral("Form2"));
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(QStringLiteral("TK 1.1 - Enter new data"));
  setFixedSize(twips(7905), twips(5235));

  placeLabel(this, "Label1", QStringLiteral(" Filename:"), 240, 195, 960, 255);
  m_text1 = placeBox(this, "Text1", 1260, 150, 3600, 330);
  m_text1->setMaxLength(40);
  placeLabel(this, "Label2", QStringLiteral(".dat"), 4890, 195, 450, 255);

  const RowControls rows = placeRowControls(this, 240, 660, 3195, 3, QStringLiteral(" Group size"),
                                            QStringLiteral("No. of groups"), m_text1);

  // The total labels may wrap where the system font is wide.
  QLabel* label8 = placeLabel(this, "Label8", QStringLiteral(" Number of groups in the sample:"),
                              2520, 2640, 3780, 480);
  label8->setWordWrap(true);
  QLineEdit* text4 = placeNumberBox(this, "Text4", 6360, 2715, 1215, 330);
  makeReadOnly(text4);
  QLabel* label9 =
      placeLabel(this, "Label9", QStringLiteral(" Total number of animals in the sample:"), 2520,
                 3240, 3780, 480);
  label9->setWordWrap(true);
  QLineEdit* text2 = placeNumberBox(this, "Text2", 6360, 3315, 1215, 330);
  makeReadOnly(text2);
  // Totals of up to 10 digits show whole.
  fitTotalBox(text4, label8);
  fitTotalBox(text2, label9);

  QPushButton* command2 =
      placeButton(this, "Command2", QStringLiteral("Save and close"),
                  QStringLiteral("Save data file and exit module"), 2760, 4380, 2295, 495);
  QPushButton* command3 =
      placeButton(this, "Command3", QStringLiteral("Close without saving"),
                  QStringLiteral("Exit module without saving data"), 5280, 4380, 2295, 495);

  // In the column of the total boxes, on the line of Add.
  QPushButton* command4 = placeButton(this, "Command4", QStringLiteral("Import..."), kImportToolTip,
                                      6360, 1380, 1215, 330);
  setAcceptDrops(true);

  m_rows = new SampleRowEditor(rows.list, rows.size, rows.groups, rows.add, text4, text2, this);
  m_rows->setSample(GroupSizeSample{});
  connect(command4, &QPushButton::clicked, this, &Form2::onImport);
  connect(m_rows, &SampleRowEditor::tablePasted, this, &Form2::onTablePasted);

  connect(command2, &QPushButton::clicked, this, &Form2::onSaveAndClose);
  connect(command3, &QPushButton::clicked, this, [this] {
    m_leaving = true;  // closing without saving is what the button says
    close();
  });
  // Enter in the name saves once there is something to save; before that it
  // goes on to the first row, as Enter in the size box goes on to the groups.
  connect(m_text1, &QLineEdit::returnPressed, this, [this, rows] {
    if (m_rows->sample().entries.empty()) {
      rows.size->setFocus();
    } else {
      onSaveAndClose();
    }
  });
  closeOnEscape(this);

  if (opener) placeOnScreen(this, opener->pos(), opener);
  m_text1->setFocus();
}

Form2::~Form2() = default;

void Form2::closeEvent(QCloseEvent* event) {
  // Rows typed and not saved are not dropped without a question, unless the
  // user has already said what becomes of them.
  if (!m_leaving && m_rows->unsaved()) {
    const QString name = sampleNameFromTyped(m_text1->text());
    switch (
        messageBoxes().askToSave(this, kProgramTitle,
                                 unsavedQuestion(name.isEmpty() ? QStringLiteral("the new sample")
                                                                : name + kSampleFileSuffix))) {
      case MessageBoxes::SaveChoice::Discard:
        break;
      case MessageBoxes::SaveChoice::Cancel:
        event->ignore();
        return;
      case MessageBoxes::SaveChoice::Save:
        if (!saveRows()) {
          event->ignore();
          return;
        }
        break;
    }
  }
  // Every way of ending the window, its close box included, brings the
  // main window back.
  if (m_opener) m_opener->show();
  event->accept();
}

void Form2::onSaveAndClose() {
  if (saveRows()) {
    m_leaving = true;
    close();
  }
}

bool Form2::saveRows() {
  if (m_rows->sample().animalsTotal == 0) {
    messageBoxes().inform(this, kProgramTitle, kNothingToSave);
    return false;
  }
  // A failed write keeps the window and its rows, so nothing typed is lost.
  switch (saveSampleUnderName(this, m_dir, m_text1->text(), m_rows->sample())) {
    case SaveOutcome::Saved:
      return true;
    case SaveOutcome::NameRefused:
      m_text1->setFocus();
      return false;
    case SaveOutcome::NotSaved:
      return false;
  }
  return false;
}

}  // namespace tsk::ui

namespace tsk::ui {

void Form2::onImport() {
  const QString path = chooseTableFile(this, m_dir);
  if (!path.isEmpty()) importFile(path);
}

void Form2::importFile(const QString& path) {
  if (const auto table = readTableAsChosen(this, path)) takeTable(*table);
}

void Form2::onTablePasted(const QString& text) { takeTable(parsePastedTable(text, QString())); }

void Form2::takeTable(const SampleTableRead& table) {
  if (!table) {
    messageBoxes().inform(this, kProgramTitle, table.message);
    return;
  }
  if (table.samples.size() == 1) {
    m_rows->addRows(table.samples.front().sample);
    if (m_text1->text().isEmpty()) m_text1->setText(table.samples.front().name);
    return;
  }
  // Several samples need a file each: the edit window saves them, and
  // takes this window's place.
  if (!m_rows->sample().entries.empty() &&
      !messageBoxes().ask(this, kProgramTitle, kTypedRowsDropped))
    return;
  auto* edit = new Form7(m_opener, m_dir);
  edit->move(pos());
  edit->show();
  m_opener = nullptr;  // the edit window brings the main window back
  m_leaving = true;    // the rows' fate is settled above
  close();
  edit->offerToSave(table.samples);
}

void Form2::dragEnterEvent(QDragEnterEvent* event) {
  if (!droppedTableFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void Form2::dropEvent(QDropEvent* event) {
  const QString path = droppedTableFile(event->mimeData());
  if (path.isEmpty()) return;
  event->acceptProposedAction();
  // Questions wait until the drag has ended.
  QTimer::singleShot(0, this, [this, path] { importFile(path); });
}

}  // namespace tsk::ui
