// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Helpers for the window tests: message boxes that record every message and
// answer questions from a queue, a temporary working directory, and access to
// a window's controls by their object names.

#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QList>
#include <QSettings>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QWidget>
#include <deque>
#include <initializer_list>

#include "MessageBoxes.h"

namespace tsk::test {

// Window places and sizes that the program remembers go to a folder of this
// test program's own, removed when it ends: never into the user's settings,
// and never read by another test program running at the same time.
inline const bool kTestSettingsLocation = [] {
  QStandardPaths::setTestModeEnabled(true);
  static QTemporaryDir settings;
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
  return true;
}();

struct RecordedBox {
  QString title;
  QString text;
  bool question = false;
  bool answer = false;  // what the recorder answered (questions only)
};

// Installs itself as the program's message boxes while it lives. Questions
// take their answers from the queue filled by answerNext(); a question asked
// with an empty queue is answered No and counted as unexpected.
class RecordingBoxes : public tsk::ui::MessageBoxes {
 public:
  RecordingBoxes() { tsk::ui::setMessageBoxes(this); }
  ~RecordingBoxes() override { tsk::ui::setMessageBoxes(nullptr); }
  RecordingBoxes(const RecordingBoxes&) = delete;
  RecordingBoxes& operator=(const RecordingBoxes&) = delete;

  void answerNext(bool yes) { answers_.push_back(yes); }

  void inform(QWidget*, const QString& title, const QString& text) override {
    boxes_.append({title, text, false, false});
  }
  bool ask(QWidget*, const QString& title, const QString& text) override {
    bool answer = false;
    if (answers_.empty()) {
      ++unexpected_;
    } else {
      answer = answers_.front();
      answers_.pop_front();
    }
    boxes_.append({title, text, true, answer});
    return answer;
  }

  // Save / Discard / Cancel questions take their answers from their own
  // queue; one asked with an empty queue is answered Cancel and counted as
  // unexpected.
  using SaveChoice = tsk::ui::MessageBoxes::SaveChoice;
  void answerSaveNext(SaveChoice choice) { saveAnswers_.push_back(choice); }
  SaveChoice askToSave(QWidget*, const QString& title, const QString& text) override {
    SaveChoice answer = SaveChoice::Cancel;
    if (saveAnswers_.empty()) {
      ++unexpected_;
    } else {
      answer = saveAnswers_.front();
      saveAnswers_.pop_front();
    }
    boxes_.append({title, text, true, answer == SaveChoice::Save});
    return answer;
  }

  // Questions with several choices take the index of theirs from a queue of
  // their own; one asked with an empty queue is answered Cancel (-1) and
  // counted as unexpected.
  void answerChoiceNext(int choice) { choiceAnswers_.push_back(choice); }
  int choose(QWidget*, const QString& title, const QString& text, const QStringList&) override {
    int answer = -1;
    if (choiceAnswers_.empty()) {
      ++unexpected_;
    } else {
      answer = choiceAnswers_.front();
      choiceAnswers_.pop_front();
    }
    boxes_.append({title, text, true, answer >= 0});
    return answer;
  }

  const QList<RecordedBox>& boxes() const { return boxes_; }
  QStringList texts() const {
    QStringList result;
    for (const RecordedBox& box : boxes_) result.append(box.text);
    return result;
  }
  int unexpectedQuestions() const { return unexpected_; }
  int unusedAnswers() const { return static_cast<int>(answers_.size()); }
  void clear() {
    boxes_.clear();
    answers_.clear();
    saveAnswers_.clear();
    choiceAnswers_.clear();
    unexpected_ = 0;
  }

 private:
  QList<RecordedBox> boxes_;
  std::deque<bool> answers_;
  std::deque<SaveChoice> saveAnswers_;
  std::deque<int> choiceAnswers_;
  int unexpected_ = 0;
};

// A fresh temporary directory that is the process's working directory while
// the object lives; the previous working directory is restored afterwards.
class WorkingDir {
 public:
  WorkingDir() : previous_(QDir::currentPath()) { QDir::setCurrent(dir_.path()); }
  ~WorkingDir() { QDir::setCurrent(previous_); }
  WorkingDir(const WorkingDir&) = delete;
  WorkingDir& operator=(const WorkingDir&) = delete;

  bool isValid() const { return dir_.isValid(); }
  QString path() const { return dir_.path(); }
  QString filePath(const QString& name) const { return dir_.filePath(name); }
  bool exists(const QString& name) const { return QFile::exists(filePath(name)); }

  void write(const QString& name, const QByteArray& content) const {
    QFile file(filePath(name));
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) file.write(content);
  }
  QByteArray read(const QString& name) const {
    QFile file(filePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }

 private:
  QString previous_;
  QTemporaryDir dir_;
};

// Where the built programs lie: the folder ctest names, else beside the test.
inline QString binDir() {
  const QString dir = qEnvironmentVariable("TSK_BIN_DIR");
  return dir.isEmpty() ? QCoreApplication::applicationDirPath() : dir;
}

// The lines joined with CR LF after each one, as every file of the system
// ends its lines.
inline QByteArray crlf(std::initializer_list<const char*> lines) {
  QByteArray text;
  for (const char* line : lines) text.append(line).append("\r\n");
  return text;
}

// One method list line without its line end: the description in columns 1
// to 64, the engine name in 65 to 72.
inline QByteArray methodLine(const char* description, const char* engine) {
  return QByteArray(description).leftJustified(64, ' ') + engine;
}

// A control of `window` by its object name, or nullptr.
template <class T>
T* control(const QWidget* window, const char* name) {
  return window->findChild<T*>(QString::fromLatin1(name));
}

// Empty when text in `font` lines up in columns: strings of ten narrow, wide,
// digit, blank and point characters measure the same. Otherwise names the
// font and the widths found.
inline QString columnMisfit(const QFont& font) {
  const QFontMetricsF metrics(font);
  QStringList widths;
  bool equal = true;
  const qreal reference = metrics.horizontalAdvance(QString(10, u'0'));
  for (const QString& run : {QString(10, u'i'), QString(10, u'W'), QString(10, u'0'),
                             QStringLiteral("  1.5   12"), QString(10, u'_')}) {
    const qreal width = metrics.horizontalAdvance(run);
    equal = equal && width == reference;
    widths.append(QStringLiteral("\"%1\" %2").arg(run).arg(width));
  }
  return equal ? QString() : QFontInfo(font).family() + QStringLiteral(": ") + widths.join(", ");
}

// The top-level windows now visible.
inline QList<QWidget*> visibleWindows() {
  QList<QWidget*> visible;
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (widget->isVisible()) visible.append(widget);
  }
  return visible;
}

}  // namespace tsk::test
