#pragma once
// Controls placed by twips and named as the windows' texts name them, for
// the main, entry, edit and save-as windows.

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QString>

#include "Twips.h"

namespace tsk::ui {

inline QLabel* placeLabel(QWidget* parent, const char* name, const QString& text, int left, int top,
                          int width, int height) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QLatin1String(name));
  label->setGeometry(twipsRect(left, top, width, height));
  return label;
}

inline QPushButton* placeButton(QWidget* parent, const char* name, const QString& text,
                                const QString& toolTip, int left, int top, int width, int height) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(QLatin1String(name));
  button->setGeometry(twipsRect(left, top, width, height));
  if (!toolTip.isEmpty()) button->setToolTip(toolTip);
  // Enter belongs to the text boxes (it moves between them and adds rows).
  button->setAutoDefault(false);
  return button;
}

inline QLineEdit* placeBox(QWidget* parent, const char* name, int left, int top, int width,
                           int height) {
  auto* box = new QLineEdit(parent);
  box->setObjectName(QLatin1String(name));
  box->setGeometry(twipsRect(left, top, width, height));
  return box;
}

// A box for numbers: right-aligned in the fixed-pitch font, so that its
// digits stand in the columns of the row texts below it.
inline QLineEdit* placeNumberBox(QWidget* parent, const char* name, int left, int top, int width,
                                 int height) {
  QLineEdit* box = placeBox(parent, name, left, top, width, height);
  box->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  box->setFont(fixedFont(10));
  return box;
}

}  // namespace tsk::ui
