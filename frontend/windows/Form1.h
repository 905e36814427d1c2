#pragma once
// The main window: names the program, shows the terms of use, the citation
// request and the acknowledgements, and opens the entry, edit and analysis
// windows, each of which brings it back when it closes.

#include <QDir>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>

class QCloseEvent;
class QHideEvent;
class QPushButton;
class QShowEvent;

namespace tsk::ui {

class Form1 : public QWidget {
  Q_OBJECT

 public:
  // `workingDirectory` holds the sample files and is handed to the windows
  // opened from here.
  explicit Form1(const QString& workingDirectory = QDir::currentPath());
  ~Form1() override;

  // What Exit and the close box do: by default ends the application's event
  // loop at once, so nothing is saved or asked.
  void setExitAction(std::function<void()> action) { m_exit = std::move(action); }

  // The window opened last from here, while it exists.
  QWidget* openedWindow() const { return m_opened.data(); }

 protected:
  void closeEvent(QCloseEvent* event) override;
  // The window comes back where it was when it was hidden (a window manager
  // may otherwise place a shown-again window anywhere), and the place is
  // kept for the next start of the program.
  void hideEvent(QHideEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private slots:
  void onNew();
  void onEdit();
  void onAnalyse();
  void onExit();

 private:
  void open(QWidget* window);

  QString m_dir;
  QPointer<QWidget> m_opened;
  std::function<void()> m_exit;
  bool m_exiting = false;
  QPoint m_placeWhenHidden;
  bool m_hiddenOnce = false;
};

}  // namespace tsk::ui
