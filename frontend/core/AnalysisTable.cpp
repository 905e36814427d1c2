// SPDX-License-Identifier: GPL-3.0-or-later
#include "AnalysisTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QSet>
#include <algorithm>

#include "EngineInfo.h"
#include "SeedTime.h"
#include "TskVersion.h"

namespace tsk {

namespace {

const QStringList kColumns{QStringLiteral("engine"),       QStringLiteral("method"),
                           QStringLiteral("sample"),       QStringLiteral("statistic"),
                           QStringLiteral("value"),        QStringLiteral("level"),
                           QStringLiteral("replications"), QStringLiteral("seed_time")};

// A tsktab.tmp is small; anything larger is not one.
constexpr qint64 kMaxTableBytes = 16 * 1024 * 1024;

QString sampleName(const NamedTable& run, const QList<int>& samples) {
  QStringList names;
  for (int s : samples) {
    names << (s >= 1 && s <= run.sampleNames.size() ? run.sampleNames[s - 1]
                                                    : QStringLiteral("Sample %1").arg(s));
  }
  return names.join(QStringLiteral(" vs "));
}

QStringList cells(const NamedTable& run, const AnalysisRow& row) {
  return {run.table.engine,
          row.method,
          sampleName(run, row.samples),
          row.statistic,
          row.value,
          row.level,
          row.replications > 0 ? QString::number(row.replications) : QString(),
          run.table.seedTime};
}

QString csvCell(const QString& cell) {
  static const QString special = QStringLiteral(",\"\r\n");
  for (QChar c : special) {
    if (cell.contains(c)) return u'"' + QString(cell).replace(u'"', QStringLiteral("\"\"")) + u'"';
  }
  return cell;
}

// Tabs and line ends would break a TSV row; sample names are the only
// cells that could hold them.
QString tsvCell(QString cell) {
  return cell.replace(u'\t', u' ').replace(u'\r', u' ').replace(u'\n', u' ');
}

QJsonValue jsonNumber(const QString& text) {
  bool ok = false;
  const double value = text.toDouble(&ok);
  return ok ? QJsonValue(value) : QJsonValue(QJsonValue::Null);
}

// The classic articles, cited in the methods text.
struct Article {
  const char* key;
  const char* cite;  // as cited in the text
  const char* reference;
};
constexpr Article kArticles[] = {
    {"lloyd", "Lloyd 1967", "M. Lloyd (1967) Mean crowding. Journal of Animal Ecology 36: 1-30."},
    {"thompson", "Thompson 1936",
     "W. R. Thompson (1936) On confidence ranges for the median and other expectation "
     "distributions for populations of unknown distribution form. Annals of Mathematical "
     "Statistics 7: 122-128."},
    {"efron", "Efron 1987",
     "B. Efron (1987) Better bootstrap confidence intervals. Journal of the American "
     "Statistical Association 82: 171-185."},
    {"efrontib", "Efron and Tibshirani 1993",
     "B. Efron and R. J. Tibshirani (1993) An Introduction to the Bootstrap. Chapman and Hall, "
     "New York."},
    {"mood", "Mood 1950",
     "A. M. Mood (1950) Introduction to the Theory of Statistics. McGraw-Hill, New York."},
    {"fisher", "Fisher 1935",
     "R. A. Fisher (1935) The Design of Experiments. Oliver and Boyd, Edinburgh."},
    {"mannwhitney", "Mann and Whitney 1947",
     "H. B. Mann and D. R. Whitney (1947) On a test of whether one of two random variables is "
     "stochastically larger than the other. Annals of Mathematical Statistics 18: 50-60."},
    {"brunnermunzel", "Brunner and Munzel 2000",
     "E. Brunner and U. Munzel (2000) The nonparametric Behrens-Fisher problem: asymptotic "
     "theory and a small-sample approximation. Biometrical Journal 42: 17-25."},
};

const Article& article(const char* key) {
  for (const Article& a : kArticles)
    if (qstrcmp(a.key, key) == 0) return a;
  return kArticles[0];
}

// What each engine does, as a sentence of the methods text; {key} marks a
// citation.
QString engineSentence(const QString& engine) {
  static const QMap<QString, QString> sentences{
      {QStringLiteral("gssummar"),
       QStringLiteral("Each sample was described by its mean and median group size and its mean "
                      "and median crowding {lloyd}")},
      {QStringLiteral("gsmidlim"),
       QStringLiteral("Confidence limits of the median group size are exact limits from the "
                      "binomial distribution of the sample's order statistics {thompson}")},
      {QStringLiteral("gsmeanci"),
       QStringLiteral("Confidence limits of the mean group size are bias-corrected and "
                      "accelerated (BCa) bootstrap limits {efron}")},
      {QStringLiteral("gscrowci"),
       QStringLiteral("Confidence limits of the mean crowding {lloyd} are bias-corrected and "
                      "accelerated (BCa) bootstrap limits {efron}")},
      {QStringLiteral("gsmean2s"),
       QStringLiteral("Mean group sizes were compared by a bootstrap two-sample t-test "
                      "{efrontib}")},
      {QStringLiteral("gscrow2s"),
       QStringLiteral("Mean crowding {lloyd} was compared between two samples by the overlap of "
                      "their BCa bootstrap confidence intervals {efron}")},
      {QStringLiteral("gsmidtst"),
       QStringLiteral("Median group sizes were compared by Mood's median test {mood}, with "
                      "Fisher's exact test {fisher} of the numbers of groups below and above "
                      "the combined median")},
      {QStringLiteral("gsstoceq"),
       QStringLiteral("Group size distributions were compared by tests of stochastic equality: "
                      "the Wilcoxon-Mann-Whitney test {mannwhitney}, the Brunner-Munzel test "
                      "{brunnermunzel} and a bootstrap test {efrontib}")},
  };
  return sentences.value(engine);
}

QString percent(const QString& level) {
  return QString::number(level.toDouble() * 100.0, 'g', 4) + QStringLiteral(" %");
}

QString listed(const QStringList& items) {
  if (items.size() < 2) return items.join(QString());
  return QStringList(items.mid(0, items.size() - 1)).join(QStringLiteral(", ")) +
         QStringLiteral(" and ") + items.last();
}

}  // namespace

std::optional<AnalysisTable> parseAnalysisTable(const QByteArray& text, QString* error) {
  auto fail = [error](const QString& why) -> std::optional<AnalysisTable> {
    if (error) *error = why;
    return std::nullopt;
  };
  QList<QByteArray> lines = text.split('\n');
  if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
  for (QByteArray& line : lines)
    if (line.endsWith('\r')) line.chop(1);
  if (lines.size() < 3 || !lines[0].startsWith("engine\t") || !lines[1].startsWith("seed\t") ||
      lines[2] != "samples\tmethod\tstatistic\tvalue\tlevel\treplications")
    return fail(QStringLiteral("tsktab.tmp is not a table of results"));
  AnalysisTable table;
  table.engine = QString::fromLatin1(lines[0].mid(7));
  table.seedTime = QString::fromLatin1(lines[1].mid(5));
  for (qsizetype i = 3; i < lines.size(); ++i) {
    const QList<QByteArray> f = lines[i].split('\t');
    const QString where = QStringLiteral("tsktab.tmp, line %1: ").arg(i + 1);
    if (f.size() != 6) return fail(where + QStringLiteral("not six fields"));
    AnalysisRow row;
    for (const QByteArray& s : f[0].split(',')) {
      bool ok = false;
      const int sample = s.toInt(&ok);
      if (!ok || sample < 1) return fail(where + QStringLiteral("no sample number"));
      row.samples << sample;
    }
    row.method = QString::fromUtf8(f[1]);
    row.statistic = QString::fromUtf8(f[2]);
    row.value = QString::fromLatin1(f[3]);
    row.level = QString::fromLatin1(f[4]);
    bool ok = true;
    if (!f[5].isEmpty()) row.replications = f[5].toInt(&ok);
    if (!ok) return fail(where + QStringLiteral("no number of replications"));
    table.rows << row;
  }
  return table;
}

std::optional<AnalysisTable> readAnalysisTable(const QString& workDir, const QString& engine,
                                               QString* error) {
  const QString path = QDir(workDir).filePath(kExchangeTableFile);
  QFile file(path);
  const QFileInfo info(path);
  if (!info.isFile() || info.isSymLink() || info.size() > kMaxTableBytes ||
      !file.open(QIODevice::ReadOnly)) {
    if (error) *error = QStringLiteral("cannot read tsktab.tmp");
    return std::nullopt;
  }
  std::optional<AnalysisTable> table = parseAnalysisTable(file.readAll(), error);
  const EngineInfo* wanted = engineInfo(engine);
  if (table && (!wanted || table->engine != wanted->engine)) {
    if (error) *error = QStringLiteral("tsktab.tmp was not written by %1").arg(engine.trimmed());
    return std::nullopt;
  }
  return table;
}

std::optional<TableFormat> tableFormatNamed(const QString& name) {
  if (name == u"csv") return TableFormat::Csv;
  if (name == u"tsv") return TableFormat::Tsv;
  if (name == u"json") return TableFormat::Json;
  return std::nullopt;
}

QByteArray tableText(const QList<NamedTable>& runs, TableFormat format) {
  if (format == TableFormat::Json) {
    QJsonArray rows;
    for (const NamedTable& run : runs) {
      for (const AnalysisRow& row : run.table.rows) {
        const QStringList c = cells(run, row);
        QJsonObject o;
        o.insert(kColumns[0], c[0]);
        o.insert(kColumns[1], c[1]);
        o.insert(kColumns[2], c[2]);
        o.insert(kColumns[3], c[3]);
        o.insert(kColumns[4], jsonNumber(c[4]));
        o.insert(kColumns[5], jsonNumber(c[5]));
        o.insert(kColumns[6], jsonNumber(c[6]));
        o.insert(kColumns[7], c[7].isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(c[7]));
        rows.append(o);
      }
    }
    return QJsonDocument(rows).toJson(QJsonDocument::Indented);
  }
  const bool csv = format == TableFormat::Csv;
  auto line = [csv](QStringList c) {
    for (QString& cell : c) cell = csv ? csvCell(cell) : tsvCell(cell);
    return c.join(csv ? u',' : u'\t').toUtf8() + '\n';
  };
  QByteArray out = line(kColumns);
  for (const NamedTable& run : runs)
    for (const AnalysisRow& row : run.table.rows) out += line(cells(run, row));
  return out;
}

QString methodsText(const QList<NamedTable>& runs) {
  QStringList engines, seeds;
  QMap<QString, QStringList> levels;
  QMap<QString, QList<int>> replications;
  for (const NamedTable& run : runs) {
    const QString& engine = run.table.engine;
    if (!engines.contains(engine)) engines << engine;
    if (isSeedTime(run.table.seedTime) && !seeds.contains(run.table.seedTime))
      seeds << run.table.seedTime;
    for (const AnalysisRow& row : run.table.rows) {
      if (!row.level.isEmpty() && !levels[engine].contains(row.level)) levels[engine] << row.level;
      if (row.replications > 0 && !replications[engine].contains(row.replications))
        replications[engine] << row.replications;
    }
  }
  QString text =
      QStringLiteral("Analyses were done with Toskarn %1.").arg(QString::fromLatin1(kVersion));
  QStringList cited;
  for (const QString& engine : engines) {
    QString sentence = engineSentence(engine);
    if (sentence.isEmpty()) continue;
    // Citations in the order they first appear.
    for (qsizetype at = sentence.indexOf(u'{'); at >= 0; at = sentence.indexOf(u'{')) {
      const qsizetype end = sentence.indexOf(u'}', at);
      const QByteArray key = sentence.mid(at + 1, end - at - 1).toLatin1();
      if (!cited.contains(QString::fromLatin1(key))) cited << QString::fromLatin1(key);
      sentence.replace(at, end - at + 1,
                       QStringLiteral("(%1)").arg(QString::fromLatin1(article(key).cite)));
    }
    QStringList details;
    QStringList pct;
    QStringList sorted = levels.value(engine);
    std::sort(sorted.begin(), sorted.end(),
              [](const QString& a, const QString& b) { return a.toDouble() < b.toDouble(); });
    for (const QString& level : sorted) pct << percent(level);
    if (!pct.isEmpty())
      details << QStringLiteral("at the %1 confidence level%2")
                     .arg(listed(pct), pct.size() > 1 ? QStringLiteral("s") : QString());
    QStringList counts;
    for (int r : replications.value(engine)) counts << QString::number(r);
    if (!counts.isEmpty())
      details << QStringLiteral("with %1 bootstrap replications").arg(listed(counts));
    text += u' ' + sentence +
            (details.isEmpty() ? QString()
                               : QStringLiteral(", ") + details.join(QStringLiteral(", "))) +
            u'.';
  }
  if (!seeds.isEmpty()) {
    QStringList shown;
    for (const QString& s : seeds)
      shown << QStringLiteral("%1 (--seed-time %2)").arg(seedTimeDisplay(s), s);
    text += QStringLiteral(
                " Random numbers were seeded from the second of the day %1, so the "
                "runs can be repeated exactly.")
                .arg(listed(shown));
  }
  if (!cited.isEmpty()) {
    text += QStringLiteral("\n\nReferences:");
    for (const QString& key : cited)
      text += u'\n' + QString::fromLatin1(article(key.toLatin1().constData()).reference);
  }
  return text + u'\n';
}

}  // namespace tsk
