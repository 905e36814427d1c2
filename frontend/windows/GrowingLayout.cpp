// SPDX-License-Identifier: GPL-3.0-or-later
#include "GrowingLayout.h"

#include <QEvent>
#include <QWidget>
#include <algorithm>

namespace tsk::ui {

GrowingLayout::GrowingLayout(QWidget* window)
    : QObject(window), m_window(window), m_placedFor(window->size()) {
  window->setMinimumSize(m_placedFor);
  window->installEventFilter(this);
}

void GrowingLayout::follow(QWidget* control, unsigned edges) {
  const auto same = [control](const Follower& f) { return f.control == control; };
  m_followers.erase(std::remove_if(m_followers.begin(), m_followers.end(), same),
                    m_followers.end());
  m_followers.push_back({control, control->geometry(), edges});
  apply();
}

bool GrowingLayout::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_window && event->type() == QEvent::Resize) apply();
  return QObject::eventFilter(watched, event);
}

void GrowingLayout::apply() {
  const int wider = std::max(0, m_window->width() - m_placedFor.width());
  const int taller = std::max(0, m_window->height() - m_placedFor.height());
  for (const Follower& f : m_followers) {
    if (!f.control) continue;
    QRect r = f.placed;
    if (f.edges & LeftEdge) r.setLeft(r.left() + wider);
    if (f.edges & RightEdge) r.setRight(r.right() + wider);
    if (f.edges & TopEdge) r.setTop(r.top() + taller);
    if (f.edges & BottomEdge) r.setBottom(r.bottom() + taller);
    f.control->setGeometry(r);
  }
}

}  // namespace tsk::ui
