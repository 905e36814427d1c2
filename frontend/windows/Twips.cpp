// SPDX-License-Identifier: GPL-3.0-or-later
#include "Twips.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QStringList>

namespace tsk::ui {

namespace {

// Families known to draw every character at one width, in order of
// preference. Courier New matches the printed reports; the others are what
// common desktops have instead.
const QStringList& knownFixedFamilies() {
  static const QStringList families{
      QStringLiteral("Courier New"), QStringLiteral("DejaVu Sans Mono"),
      QStringLiteral("Liberation Mono"), QStringLiteral("Noto Sans Mono")};
  return families;
}

QFont sized(QFont font, int pointSize) {
  font.setPointSize(pointSize);
  font.setStyleHint(QFont::TypeWriter);
  return font;
}

}  // namespace

bool hasEqualAdvances(const QFont& font) {
  // A narrow, a wide, a digit, a blank and a point: report columns mix all of
  // them. The font's fixed-pitch flag is not asked, since some monospaced
  // fonts do not set it.
  const QFontMetricsF metrics(font);
  const qreal width = metrics.horizontalAdvance(QLatin1Char('0'));
  if (width <= 0) return false;
  for (QChar c : {u'i', u'W', u' ', u'.', u'-', u'_'}) {
    if (metrics.horizontalAdvance(c) != width) return false;
  }
  return true;
}

QFont fixedFont(int pointSize) {
  const QStringList installed = QFontDatabase::families();
  for (const QString& family : knownFixedFamilies()) {
    if (!installed.contains(family)) continue;
    const QFont font = sized(QFont(family), pointSize);
    // The family must be the one drawn, not a substitute the font system
    // picked for a name it only knows as an alias.
    if (QFontInfo(font).family() == family && hasEqualAdvances(font)) return font;
  }
  return sized(QFontDatabase::systemFont(QFontDatabase::FixedFont), pointSize);
}

}  // namespace tsk::ui
