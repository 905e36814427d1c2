#include "Form2.h"

#include <QCloseEvent>
#include <QListWidget>

#include "DataWindowSupport.h"
#include "FormControls.h"
#include "MessageBoxes.h"

namespace tsk::ui {

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
  placeLabel(this, "Label8", QStringLiteral(" Number of groups in the sample:"), 2520, 2640, 3780,
             480)
      ->setWordWrap(true);
  QLineEdit* text4 = placeNumberBox(this, "Text4", 6360, 2715, 1215, 330);
  text4->setReadOnly(true);
  placeLabel(this, "Label9", QStringLiteral(" Total number of animals in the sample:"), 2520, 3240,
             3780, 480)
      ->setWordWrap(true);
  QLineEdit* text2 = placeNumberBox(this, "Text2", 6360, 3315, 1215, 330);
  text2->setReadOnly(true);

  QPushButton* command2 =
      placeButton(this, "Command2", QStringLiteral("Save and close"),
                  QStringLiteral("Save data file and exit module"), 2760, 4380, 2295, 495);
  QPushButton* command3 =
      placeButton(this, "Command3", QStringLiteral("Close without saving"),
                  QStringLiteral("Exit module without saving data"), 5280, 4380, 2295, 495);

  m_rows = new SampleRowEditor(rows.list, rows.size, rows.groups, rows.add, text4, text2, this);
  m_rows->setSample(GroupSizeSample{});

  connect(command2, &QPushButton::clicked, this, &Form2::onSaveAndClose);
  connect(command3, &QPushButton::clicked, this, &QWidget::close);

  if (opener) move(opener->pos());
  m_text1->setFocus();
}

Form2::~Form2() = default;

void Form2::closeEvent(QCloseEvent* event) {
  // Every way of ending the window, its close box included, brings the
  // main window back; the sample is dropped without a question.
  if (m_opener) m_opener->show();
  event->accept();
}

void Form2::onSaveAndClose() {
  if (m_rows->sample().animalsTotal == 0) {
    messageBoxes().inform(this, kProgramTitle, kNothingToSave);
    return;
  }
  const QString name = m_text1->text();
  if (name.isEmpty()) {
    messageBoxes().inform(this, kProgramTitle, kNameRequired);
    m_text1->setFocus();
    return;
  }
  // A failed write keeps the window and its rows, so nothing typed is lost.
  switch (saveSampleUnderName(this, m_dir, name, m_rows->sample())) {
    case SaveOutcome::Saved:
      close();
      break;
    case SaveOutcome::NameRefused:
      m_text1->setFocus();
      break;
    case SaveOutcome::NotSaved:
      break;
  }
}

}  // namespace tsk::ui
