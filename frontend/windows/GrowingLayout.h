// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Lets a window whose controls are placed in twips grow beyond the size they
// were placed for: chosen controls keep some of their edges at a fixed
// distance from the window's right and bottom edges, so a list grows with
// the window and the buttons beside or below it move along. At the size the
// controls were placed for, every control stays exactly where it was put.

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <vector>

class QWidget;

namespace tsk::ui {

class GrowingLayout : public QObject {
  Q_OBJECT

 public:
  // Which edges of a control go with the window's far edges: left and right
  // with its right edge, top and bottom with its bottom edge.
  enum Edge : unsigned { LeftEdge = 1, TopEdge = 2, RightEdge = 4, BottomEdge = 8 };
  static constexpr unsigned kWider = RightEdge;
  static constexpr unsigned kTaller = BottomEdge;
  static constexpr unsigned kRightward = LeftEdge | RightEdge;
  static constexpr unsigned kDownward = TopEdge | BottomEdge;

  // `window`'s present size is the one its controls were placed for; it
  // becomes the window's minimum size. The layout belongs to the window.
  explicit GrowingLayout(QWidget* window);

  // `control` (a child of the window, at its place for the window's first
  // size) moves or grows with the window by `edges`; a second call for the
  // same control replaces the first.
  void follow(QWidget* control, unsigned edges);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void apply();

  struct Follower {
    QPointer<QWidget> control;
    QRect placed;
    unsigned edges;
  };
  QWidget* m_window;
  QSize m_placedFor;
  std::vector<Follower> m_followers;
};

}  // namespace tsk::ui
