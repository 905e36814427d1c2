// SPDX-License-Identifier: GPL-3.0-or-later
#include "DataWindowSupport.h"

#include <QClipboard>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QRegularExpression>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QUrl>
#include <cmath>

#include "FileReplace.h"
#include "FormControls.h"
#include "MessageBoxes.h"
#include "SampleFile.h"

namespace tsk::ui {

std::optional<double> typedNumber(const QString& text) {
  static const QRegularExpression number(
      QStringLiteral(R"(^\s*[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?\s*$)"));
  if (!number.match(text).hasMatch()) return std::nullopt;
  bool ok = false;
  const double value = text.trimmed().toDouble(&ok);
  if (!ok || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::optional<int> typedCount(const QString& text) {
  const std::optional<double> value = typedNumber(text);
  if (!value || *value <= 0 || *value > 30000) return std::nullopt;
  // nearbyint rounds in the default mode, to nearest with ties to even:
  // 7.5 gives 8 and 6.5 gives 6.
  const double whole = std::nearbyint(*value);
  // 0 < value < 0.5 would make a row of nothing.
  if (whole < 1) return std::nullopt;
  return static_cast<int>(whole);
}

std::optional<std::int64_t> typedTotal(const QString& text) {
  static const QRegularExpression digits(QStringLiteral(R"(^\s*\d{1,15}\s*$)"));
  if (!digits.match(text).hasMatch()) return std::nullopt;
  return text.trimmed().toLongLong();
}

QString sampleNameFromTyped(const QString& typed) {
  QString name = typed.trimmed();
  if (name.endsWith(kSampleFileSuffix, Qt::CaseInsensitive)) {
    name = name.left(name.size() - kSampleFileSuffix.size()).trimmed();
  }
  return name;
}

QString sampleFileNameProblem(const QString& name) {
  if (name.isEmpty()) return kNameRequired;
  if (name.contains(u'/') || name.contains(u'\\')) return kNameUnusable;
  for (const QChar c : name) {
    if (c.unicode() < 0x20) return kNameUnusable;
  }
  return {};
}

RowControls placeRowControls(QWidget* window, int left, int top, int listHeight, int firstLabel,
                             const QString& sizeHeading, const QString& groupsHeading,
                             QWidget* tabBefore) {
  const auto label = [&](int offset, const QString& text, int x, int y, int width, int height) {
    const QByteArray name = "Label" + QByteArray::number(firstLabel + offset);
    return placeLabel(window, name.constData(), text, x, y, width, height);
  };
  label(0, QStringLiteral(" Groups in the sample by size"), left, top, 3000, 255);
  for (QLabel* heading : {label(1, sizeHeading, left, top + 240, 855, 450),
                          label(2, groupsHeading, left + 855, top + 240, 840, 450)}) {
    heading->setWordWrap(true);
    heading->setAlignment(Qt::AlignRight | Qt::AlignBottom);
  }
  RowControls controls;
  controls.size = placeNumberBox(window, "Text6", left, top + 720, 855, 330);
  controls.groups = placeNumberBox(window, "Text5", left + 855, top + 720, 840, 330);
  controls.add = placeButton(window, "Command1", QStringLiteral("Add"), QString(), left + 1800,
                             top + 720, 735, 330);
  controls.list = placeList(window, "List1", left, top + 1110, 2055, listHeight,
                            QAbstractItemView::SingleSelection);
  controls.list->setFont(fixedFont(10));
  label(3, QStringLiteral("Double click to edit/delete"), left + 2280, top + 1170, 2400, 255);
  label(4, QStringLiteral("Del to delete"), left + 2280, top + 1440, 2400, 255);

  QWidget::setTabOrder(tabBefore, controls.size);
  QWidget::setTabOrder(controls.size, controls.groups);
  QWidget::setTabOrder(controls.groups, controls.add);
  return controls;
}

QString replaceLinkQuestion(const QString& fileName) {
  return QStringLiteral("  %1 is a link to another file.").arg(fileName) + QStringLiteral("\r\n") +
         QStringLiteral("  Replace the link with this sample? The other file stays as it is.");
}

QString replaceReadOnlyQuestion(const QString& fileName) {
  return QStringLiteral("  %1 is read-only.").arg(fileName) + QStringLiteral("\r\n") +
         QStringLiteral("  Replace it with this sample anyway?");
}

bool mayReplace(QWidget* window, const QString& path, const QString& existingQuestion) {
  const QFileInfo file(path);
  // A dangling link counts as a link, not as a missing file.
  if (isLink(path))
    return messageBoxes().ask(window, kProgramTitle, replaceLinkQuestion(file.fileName()));
  if (!file.exists()) return true;
  // The owner's write permission, not isWritable(): that is true for an
  // administrator whatever the mode says.
  if (file.isFile() && !(file.permissions() & QFileDevice::WriteOwner))
    return messageBoxes().ask(window, kProgramTitle, replaceReadOnlyQuestion(file.fileName()));
  return existingQuestion.isEmpty() || messageBoxes().ask(window, kProgramTitle, existingQuestion);
}

QString unsavedQuestion(const QString& fileName) {
  return QStringLiteral("   Save the changes to %1?").arg(fileName);
}

void fitTotalBox(QLineEdit* box, QWidget* label, int digits) {
  QStyleOptionFrame panel;
  panel.initFrom(box);
  panel.lineWidth = box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &panel, box);
  panel.rect = box->rect();
  const QRect contents = box->style()->subElementRect(QStyle::SE_LineEditContents, &panel, box);
  const QMargins margins = box->textMargins();
  // The line edit keeps 2 pixels free on each side of its text.
  const int needed = box->fontMetrics().horizontalAdvance(QString(digits, QLatin1Char('9'))) + 4 +
                     margins.left() + margins.right() + (box->width() - contents.width()) + 1;
  if (needed <= box->width()) return;
  QRect geometry = box->geometry();
  geometry.setLeft(geometry.right() + 1 - needed);
  box->setGeometry(geometry);
  if (label && label->geometry().right() >= geometry.left())
    label->resize(geometry.left() - 1 - label->x(), label->height());
}

QString saveImportedQuestion(const NamedSample& named) {
  return QStringLiteral("   Save sample %1 (groups: %2, animals: %3) as %1.dat?")
      .arg(named.name, QString::number(named.sample.groupsTotal),
           QString::number(named.sample.animalsTotal));
}

QString importOverwriteQuestion(const QString& fileName) {
  return QStringLiteral("          File %1 exists, overwrite?").arg(fileName);
}

namespace {

TableFileChooser& tableFileChooser() {
  static TableFileChooser chooser;
  return chooser;
}

}  // namespace

void setTableFileChooser(TableFileChooser chooser) { tableFileChooser() = std::move(chooser); }

QString chooseTableFile(QWidget* parent, const QString& directory) {
  if (tableFileChooser()) return tableFileChooser()(parent, directory);
  return QFileDialog::getOpenFileName(
      parent, QStringLiteral("Import group sizes"), directory,
      QStringLiteral("Spreadsheet tables (*.csv *.tsv *.txt);;All files (*)"));
}

std::optional<SampleTableRead> readTableAsChosen(QWidget* window, const QString& path) {
  const SampleTableRead table = ReadSampleTable(path);
  if (table.bothReadings.isEmpty()) return table;
  const int choice = messageBoxes().choose(
      window, kProgramTitle, table.bothReadings + QStringLiteral("\n\nWhich reading is meant?"),
      {QStringLiteral("Two samples"), QStringLiteral("Sizes and numbers of groups")});
  if (choice < 0) return std::nullopt;
  return ReadSampleTable(path, choice == 0 ? TableLayout::Samples : TableLayout::Pairs);
}

QString droppedTableFile(const QMimeData* data) {
  if (!data || !data->hasUrls() || data->urls().size() != 1) return {};
  const QUrl url = data->urls().front();
  if (!url.isLocalFile() || !isSampleTableName(url.toLocalFile())) return {};
  return url.toLocalFile();
}

QStringList offerToSaveSamples(QWidget* window, const QString& directory,
                               const std::vector<NamedSample>& samples) {
  QStringList written;
  for (const NamedSample& named : samples) {
    if (!messageBoxes().ask(window, kProgramTitle, saveImportedQuestion(named))) continue;
    const QString fileName = named.name + kSampleFileSuffix;
    const QString path = QDir(directory).filePath(fileName);
    // A link or a read-only file gets its own question.
    if (!mayReplace(window, path, importOverwriteQuestion(fileName))) continue;
    if (const SampleFileWrite result = WriteSampleFile(path, named.sample); !result) {
      messageBoxes().inform(window, kProgramTitle, result.error);
      continue;
    }
    written << fileName;
  }
  return written;
}

SaveOutcome saveSampleUnderName(QWidget* window, const QString& directory, const QString& typed,
                                const GroupSizeSample& sample) {
  const QString name = sampleNameFromTyped(typed);
  if (const QString problem = sampleFileNameProblem(name); !problem.isEmpty()) {
    messageBoxes().inform(window, kProgramTitle, problem);
    return SaveOutcome::NameRefused;
  }
  const QString path = QDir(directory).filePath(name + kSampleFileSuffix);
  if (!mayReplace(window, path, kFileExists)) return SaveOutcome::NotSaved;
  if (const SampleFileWrite written = WriteSampleFile(path, sample); !written) {
    messageBoxes().inform(window, kProgramTitle, written.error);
    return SaveOutcome::NotSaved;
  }
  return SaveOutcome::Saved;
}

SampleRowEditor::SampleRowEditor(QListWidget* list, QLineEdit* sizeBox, QLineEdit* groupsBox,
                                 QPushButton* add, QLineEdit* groupsTotalBox, QLineEdit* animalsBox,
                                 QObject* parent)
    : QObject(parent),
      m_list(list),
      m_size(sizeBox),
      m_groups(groupsBox),
      m_groupsTotal(groupsTotalBox),
      m_animalsTotal(animalsBox) {
  connect(m_size, &QLineEdit::returnPressed, m_groups, [this] { m_groups->setFocus(); });
  connect(m_groups, &QLineEdit::returnPressed, this, &SampleRowEditor::add);
  connect(add, &QPushButton::clicked, this, &SampleRowEditor::add);
  connect(m_list, &QListWidget::itemDoubleClicked, this, &SampleRowEditor::onDoubleClick);
  connect(m_animalsTotal, &QLineEdit::textEdited, this, &SampleRowEditor::onAnimalsEdited);
  m_list->installEventFilter(this);
  m_size->installEventFilter(this);
  m_groups->installEventFilter(this);
}

bool SampleRowEditor::unsaved() const {
  return sampleFileText(m_sample) != sampleFileText(m_shown);
}

void SampleRowEditor::setSample(const GroupSizeSample& sample) {
  m_sample = sample;
  m_shown = sample;
  showRows();
  showTotals();
}

void SampleRowEditor::clearAll() {
  m_sample = GroupSizeSample{};
  m_shown = m_sample;
  m_list->clear();
  m_size->clear();
  m_groups->clear();
  m_groupsTotal->clear();
  m_animalsTotal->clear();
}

bool SampleRowEditor::add() {
  const std::optional<int> groups = typedCount(m_groups->text());
  const std::optional<int> size = typedCount(m_size->text());
  if (!groups || !size) return false;
  AddEntry(m_sample, *size, *groups);
  showRows();
  showTotals();
  m_size->clear();
  m_groups->clear();
  m_size->setFocus();
  return true;
}

void SampleRowEditor::addRows(const GroupSizeSample& rows) {
  for (const SampleEntry& entry : rows.entries) AddEntry(m_sample, entry.size, entry.groups);
  showRows();
  showTotals();
}

void SampleRowEditor::onDoubleClick(QListWidgetItem* item) {
  const int row = item ? m_list->row(item) : -1;
  if (row < 0 || row >= static_cast<int>(m_sample.entries.size())) return;
  const SampleEntry entry = m_sample.entries[static_cast<std::size_t>(row)];
  m_size->setText(QString::number(entry.size));
  m_groups->setText(QString::number(entry.groups));
  RemoveEntry(m_sample, row);
  showRows();
  showTotals();
  m_size->setFocus();
}

void SampleRowEditor::onAnimalsEdited(const QString& text) {
  // The edit window lets the user overwrite the total; only a whole number
  // is taken, other typing is ignored.
  if (const std::optional<std::int64_t> total = typedTotal(text)) m_sample.animalsTotal = *total;
}

bool SampleRowEditor::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->matches(QKeySequence::Paste)) {
    const QString text = QGuiApplication::clipboard()->text();
    // One value (a spreadsheet adds a line end even to a single cell) goes
    // into the box as typed text; more cells make rows.
    const QString cells = text.trimmed();
    const bool table = cells.contains(u'\n') || cells.contains(u'\r') || cells.contains(u'\t');
    if (watched == m_list || table) {
      if (!cells.isEmpty()) emit tablePasted(text);
      return true;
    }
    if (cells != text) {
      static_cast<QLineEdit*>(watched)->insert(cells);
      return true;
    }
  }
  if (watched == m_list && event->type() == QEvent::KeyRelease &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
    const QList<QListWidgetItem*> selected = m_list->selectedItems();
    if (!selected.isEmpty()) {
      RemoveEntry(m_sample, m_list->row(selected.front()));
      showRows();
      showTotals();
    }
  }
  return QObject::eventFilter(watched, event);
}

void SampleRowEditor::showRows() {
  m_list->clear();
  for (const SampleEntry& entry : m_sample.entries) m_list->addItem(rowText(entry));
}

void SampleRowEditor::showTotals() {
  m_groupsTotal->setText(groupsTotalText(m_sample));
  m_animalsTotal->setText(animalsTotalText(m_sample));
}

}  // namespace tsk::ui
