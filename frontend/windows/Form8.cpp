// SPDX-License-Identifier: GPL-3.0-or-later
#include "Form8.h"

#include <QCloseEvent>

#include "DataWindowSupport.h"
#include "FormControls.h"

namespace tsk::ui {

Form8::Form8(QWidget* editWindow, const GroupSizeSample& sample, const QString& workingDirectory,
             const QString& name)
    // A dialog of the edit window: the window manager keeps it above that
    // window, which takes no input while it is open.
    : QWidget(editWindow, Qt::Dialog), m_sample(sample), m_dir(workingDirectory) {
  setObjectName(QStringLiteral("Form8"));
  setWindowModality(Qt::WindowModal);
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(QStringLiteral("Save As..."));
  setFixedSize(twips(4785), twips(810));

  placeLabel(this, "Label1", QStringLiteral(" Filename:"), 120, 270, 960, 255);
  m_text1 = placeBox(this, "Text1", 1140, 225, 2295, 330);
  m_text1->setMaxLength(40);
  m_text1->setText(name);
  placeLabel(this, "Label2", QStringLiteral(".dat"), 3465, 270, 420, 255);
  m_command5 = placeButton(this, "Command5", QStringLiteral("Save"), QString(), 3960, 45, 735, 330);
  m_command1 =
      placeButton(this, "Command1", QStringLiteral("Cancel"), QString(), 3960, 435, 735, 330);

  connect(m_command5, &QPushButton::clicked, this, &Form8::onSave);
  connect(m_command1, &QPushButton::clicked, this, &QWidget::close);
  connect(m_text1, &QLineEdit::returnPressed, this, &Form8::onSave);
  closeOnEscape(this);
  m_text1->setFocus();
}

Form8::~Form8() = default;

void Form8::closeEvent(QCloseEvent* event) {
  // The close box gives up as Cancel does, so the edit window never stays
  // disabled.
  event->accept();
  emit finished(m_saved);
}

void Form8::onSave() {
  switch (saveSampleUnderName(this, m_dir, m_text1->text(), m_sample)) {
    case SaveOutcome::Saved:
      m_saved = true;
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
