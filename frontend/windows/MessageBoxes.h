// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Every message box of the desktop program goes through this interface, so
// that tests can read each message and answer each question.

#include <QString>
#include <QStringList>

class QWidget;

namespace tsk::ui {

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // A message with an OK button and no icon.
  virtual void inform(QWidget* parent, const QString& title, const QString& text) = 0;
  // A question with Yes and No buttons and no icon; true for Yes.
  virtual bool ask(QWidget* parent, const QString& title, const QString& text) = 0;
  enum class SaveChoice { Save, Discard, Cancel };
  // A question with Save, Discard and Cancel buttons, for unsaved work.
  virtual SaveChoice askToSave(QWidget* parent, const QString& title, const QString& text) = 0;
  // A question with a button for each of `choices` and Cancel; the index of
  // the choice taken, or -1 for Cancel.
  virtual int choose(QWidget* parent, const QString& title, const QString& text,
                     const QStringList& choices) = 0;
};

// The boxes in use: QMessageBox unless a test has installed its own.
MessageBoxes& messageBoxes();
// Installs `boxes` (not owned); nullptr restores the real ones.
void setMessageBoxes(MessageBoxes* boxes);

}  // namespace tsk::ui
