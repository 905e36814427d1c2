#include "Twips.h"

#include <QFontDatabase>
#include <QStringList>

namespace tsk::ui {

QFont fixedFont(int pointSize) {
  QFont font;
  if (QFontDatabase::families().contains(QStringLiteral("Courier New"))) {
    font = QFont(QStringLiteral("Courier New"));
  } else {
    font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  }
  font.setPointSize(pointSize);
  font.setStyleHint(QFont::TypeWriter);
  return font;
}

}  // namespace tsk::ui
