// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Controls placed by twips and named as the windows' texts name them, for
// every window of the program.

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QShortcut>
#include <QSignalBlocker>
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
  // Enter presses the button that has the focus. The text boxes keep their
  // own Enter (it moves between them and adds rows): none of the windows is
  // a dialog, so no button takes Enter from a box.
  button->setAutoDefault(true);
  return button;
}

// A box that only shows a value: a click still reaches it, so that its text
// can be selected and copied, but Tab passes it by.
template <class Box>
void makeReadOnly(Box* box) {
  box->setReadOnly(true);
  box->setFocusPolicy(Qt::ClickFocus);
}

// Escape does what the window's Close does (its close handler decides,
// so a window with unsaved rows still asks first).
inline void closeOnEscape(QWidget* window) {
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), window);
  escape->setObjectName(QStringLiteral("EscapeShortcut"));
  QObject::connect(escape, &QShortcut::activated, window, &QWidget::close);
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

inline QListWidget* placeList(QWidget* parent, const char* name, int left, int top, int width,
                              int height, QAbstractItemView::SelectionMode selection) {
  auto* list = new QListWidget(parent);
  list->setObjectName(QLatin1String(name));
  list->setGeometry(twipsRect(left, top, width, height));
  list->setSelectionMode(selection);
  return list;
}

// The height at which `list` shows `rows` whole rows in its font. An empty
// list is measured with a row put in and taken out again, its signals
// blocked meanwhile.
inline int listHeightForRows(QListWidget* list, int rows) {
  const QSignalBlocker block(list);
  const bool probe = list->count() == 0;
  if (probe) list->addItem(QStringLiteral("Xg"));
  const int row = list->sizeHintForRow(0);
  if (probe) delete list->takeItem(0);
  return rows * row + 2 * list->frameWidth();
}

// Fills `list` afresh with the sample files (*.dat) of `directory`, by name
// regardless of case. Names beginning with a dot are listed too, so that a
// ".dat" left by an older version can still be opened. The list's signals
// are blocked meanwhile.
inline void listSampleFiles(QListWidget* list, const QString& directory) {
  const QSignalBlocker block(list);
  list->clear();
  QDir dir(directory);
  dir.setNameFilters({QStringLiteral("*.dat")});
  dir.setFilter(QDir::Files | QDir::Hidden);
  dir.setSorting(QDir::Name | QDir::IgnoreCase);
  list->addItems(dir.entryList());
}

}  // namespace tsk::ui
