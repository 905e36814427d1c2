// SPDX-License-Identifier: GPL-3.0-or-later
#include "MessageBoxes.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace tsk::ui {

namespace {

// The window a box belongs to: the caller's window, or the active one when
// the caller has none, so that the window manager keeps the box above a
// window and centres it there.
QWidget* owner(QWidget* parent) {
  if (parent) return parent->window();
  return QApplication::activeWindow();
}

class QtMessageBoxes : public MessageBoxes {
 public:
  void inform(QWidget* parent, const QString& title, const QString& text) override {
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, owner(parent));
    box.exec();
  }
  bool ask(QWidget* parent, const QString& title, const QString& text) override {
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Yes | QMessageBox::No,
                    owner(parent));
    return box.exec() == QMessageBox::Yes;
  }
  SaveChoice askToSave(QWidget* parent, const QString& title, const QString& text) override {
    QMessageBox box(QMessageBox::NoIcon, title, text,
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, owner(parent));
    box.setDefaultButton(QMessageBox::Save);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
      case QMessageBox::Save:
        return SaveChoice::Save;
      case QMessageBox::Discard:
        return SaveChoice::Discard;
      default:
        return SaveChoice::Cancel;
    }
  }
  int choose(QWidget* parent, const QString& title, const QString& text,
             const QStringList& choices) override {
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Cancel, owner(parent));
    QList<QAbstractButton*> buttons;
    for (const QString& choice : choices)
      buttons.append(box.addButton(choice, QMessageBox::AcceptRole));
    box.setEscapeButton(QMessageBox::Cancel);
    box.exec();
    return static_cast<int>(buttons.indexOf(box.clickedButton()));
  }
};

QtMessageBoxes realBoxes;
MessageBoxes* current = nullptr;

}  // namespace

MessageBoxes& messageBoxes() { return current ? *current : realBoxes; }

void setMessageBoxes(MessageBoxes* boxes) { current = boxes; }

}  // namespace tsk::ui
