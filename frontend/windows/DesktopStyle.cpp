// SPDX-License-Identifier: GPL-3.0-or-later
#include "DesktopStyle.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOption>

namespace tsk::ui {

namespace {

void drawRing(QPainter* painter, const QStyleOption* option, const QRect& rect) {
  painter->save();
  painter->setRenderHint(QPainter::Antialiasing, false);
  painter->setBrush(Qt::NoBrush);
  painter->setPen(QPen(option->palette.color(QPalette::Active, QPalette::Highlight), 2));
  painter->drawRect(QRectF(rect).adjusted(1, 1, -1, -1));
  painter->restore();
}

class FocusRingStyle : public QProxyStyle {
 public:
  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
    if (element != PE_FrameFocusRect) {
      QProxyStyle::drawPrimitive(element, option, painter, widget);
      return;
    }
    // Some styles draw the ring only after a keyboard focus change, or so
    // faint that it is lost on a light control; this one is always drawn, two
    // pixels wide in the selection colour. A button gets its ring around the
    // whole face instead (below), not around its label.
    if (qobject_cast<const QAbstractButton*>(widget)) return;
    drawRing(painter, option, option->rect);
  }

  void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                   const QWidget* widget) const override {
    QProxyStyle::drawControl(element, option, painter, widget);
    if (element == CE_PushButton && (option->state & State_HasFocus)) {
      drawRing(painter, option, option->rect.adjusted(2, 2, -2, -2));
    }
  }
};

}  // namespace

void installDesktopStyle() { QApplication::setStyle(new FocusRingStyle); }

QIcon programIcon() {
  QIcon icon;
  for (const char* size : {"32", "256"})
    icon.addFile(QStringLiteral(":/icons/toskarn-%1.png").arg(QLatin1String(size)));
  return icon;
}

}  // namespace tsk::ui
