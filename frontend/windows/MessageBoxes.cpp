#include "MessageBoxes.h"

#include <QMessageBox>

namespace tsk::ui {

namespace {

class QtMessageBoxes : public MessageBoxes {
 public:
  void inform(QWidget* parent, const QString& title, const QString& text) override {
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent);
    box.exec();
  }
  bool ask(QWidget* parent, const QString& title, const QString& text) override {
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Yes | QMessageBox::No, parent);
    return box.exec() == QMessageBox::Yes;
  }
  SaveChoice askToSave(QWidget* parent, const QString& title, const QString& text) override {
    QMessageBox box(QMessageBox::NoIcon, title, text,
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent);
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
};

QtMessageBoxes realBoxes;
MessageBoxes* current = nullptr;

}  // namespace

MessageBoxes& messageBoxes() { return current ? *current : realBoxes; }

void setMessageBoxes(MessageBoxes* boxes) { current = boxes; }

}  // namespace tsk::ui
