// SPDX-License-Identifier: GPL-3.0-or-later
#include "SeedTime.h"

#include <QRegularExpression>
#include <QTime>
#include <QtGlobal>
#include <algorithm>

#include "EngineInfo.h"

namespace tsk {

bool isSeedTime(const QString& text) {
  static const QRegularExpression pattern(
      QStringLiteral("^([01][0-9]|2[0-3])[0-5][0-9][0-5][0-9]$"));
  return pattern.match(text).hasMatch();
}

QString chooseSeedTime() {
  if (qEnvironmentVariableIsSet(kSeedTimeEnvironment))
    return qEnvironmentVariable(kSeedTimeEnvironment);
  return QTime::currentTime().toString(QStringLiteral("hhmmss"));
}

QString seedTimeDisplay(const QString& hhmmss) {
  return hhmmss.mid(0, 2) + u':' + hhmmss.mid(2, 2) + u':' + hhmmss.mid(4, 2);
}

bool usesRandomNumbers(const QString& engine) {
  const EngineInfo* info = engineInfo(engine);
  return info && info->random;
}

QString shellWord(const QString& word) {
  static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_.,+:=@%/-]+$"));
  static const QRegularExpression specialInDoubleQuotes(QStringLiteral("[\"$`\\\\!]"));
  if (plain.match(word).hasMatch()) return word;
  if (!word.contains(specialInDoubleQuotes)) return u'"' + word + u'"';
  QString quoted = word;
  quoted.replace(u'\'', QStringLiteral("'\\''"));
  return u'\'' + quoted + u'\'';
}

QString repeatCommand(const QString& hhmmss, const QString& engine, const QStringList& files,
                      const QStringList& options) {
  QStringList words{QStringLiteral("tskrun"), QStringLiteral("--seed-time"), hhmmss};
  for (const QString& option : options) words << shellWord(option);
  QStringList operands{engine.trimmed()};
  operands += files;
  // tskrun would take an operand that begins with a dash for an option.
  const bool dashed = std::any_of(operands.begin(), operands.end(), [](const QString& operand) {
    return operand.size() > 1 && operand.startsWith(u'-');
  });
  if (dashed) words << QStringLiteral("--");
  for (const QString& operand : operands) words << shellWord(operand);
  return words.join(u' ');
}

QString seedTimeLine(const QString& hhmmss, const QString& engine, const QStringList& files) {
  return QStringLiteral("Random numbers: seed time %1 (%2 repeats this run)")
      .arg(seedTimeDisplay(hhmmss), repeatCommand(hhmmss, engine, files));
}

}  // namespace tsk
