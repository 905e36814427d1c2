// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the entry window (Form2) and the edit window (Form7) share: reading
// typed numbers, checking a new file name, and the row editing of a sample
// (size and groups boxes, Add, double-click, Del, running totals).

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "GroupSizeSample.h"
#include "SampleTable.h"

class QLineEdit;
class QMimeData;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QWidget;

namespace tsk::ui {

// The title of the data windows' message boxes: the program's own name.
inline const QString kProgramTitle = QStringLiteral("Toskarn");

inline const QString kNothingToSave = QStringLiteral("   Nothing to save !");
inline const QString kNameRequired = QStringLiteral("  A file name must be specified!");
inline const QString kFileExists = QStringLiteral("          File exists, overwrite?");

// The question before a sample is saved over a symbolic link: saving puts a
// file of its own in the link's place, and the file linked to stays as it is.
QString replaceLinkQuestion(const QString& fileName);

// The question before a read-only sample file is replaced: the user made
// it so to keep it as it is.
QString replaceReadOnlyQuestion(const QString& fileName);

// Asks before the file at `path` is replaced: replaceLinkQuestion() for a
// symbolic link, replaceReadOnlyQuestion() for a read-only file, and
// `existingQuestion`, when given, for any other file that exists. True when
// there is nothing to ask or the user agrees.
bool mayReplace(QWidget* window, const QString& path, const QString& existingQuestion = {});
// Sample files live in the working directory only: a name must not lead
// into another folder.
inline const QString kNameUnusable = QStringLiteral("  A file name must not contain / or \\ !");

// The value of a typed decimal number ("5", " 7.5 ", "-2", "1e3"), or none
// when the text is not a number.
std::optional<double> typedNumber(const QString& text);

// A typed size or number of groups as Add takes it: a number above 0 and at
// most 30000, rounded to the nearest whole number with halves to the even
// neighbour. None for anything else, including values that round to 0.
std::optional<int> typedCount(const QString& text);

// A typed total of animals: blanks around plain digits; none otherwise.
std::optional<std::int64_t> typedTotal(const QString& text);

// A typed file name as the sample's name: blanks around it dropped, and a
// ".dat" typed by habit taken off, since saving adds it ("x.dat" names x.dat).
QString sampleNameFromTyped(const QString& typed);

// Why `name` (without ".dat") cannot name a sample file in the working
// directory, or an empty string when it can. The empty name is refused
// (it would make a hidden file ".dat").
QString sampleFileNameProblem(const QString& name);

// The row-editing controls that the entry and edit windows share.
// Widens a totals box to the left, keeping its right edge, until `digits`
// digits show whole in its font, and narrows `label` (word-wrapped, on its
// left) so the two do not overlap.
void fitTotalBox(QLineEdit* box, QWidget* label, int digits = 10);

// The question before unsaved rows are left: "Save the changes to NAME?".
QString unsavedQuestion(const QString& fileName);

struct RowControls {
  QLineEdit* size;    // Text6
  QLineEdit* groups;  // Text5
  QPushButton* add;   // Command1
  QListWidget* list;  // List1
};

// Places the row-editing block of a data window with its heading " Groups
// in the sample by size" at (`left`, `top`) in twips: the column headings
// `sizeHeading` and `groupsHeading` over the size and groups boxes, which
// stand in the columns of the row texts, Add to their right, the row list of
// height `listHeight` below, and the two hints beside the list. The labels
// are numbered on from `firstLabel` (the heading) in that order. In the tab
// order the boxes and Add follow `tabBefore`.
RowControls placeRowControls(QWidget* window, int left, int top, int listHeight, int firstLabel,
                             const QString& sizeHeading, const QString& groupsHeading,
                             QWidget* tabBefore);

// Import from spreadsheet tables, shared by the entry and edit windows.
inline const QString kImportToolTip =
    QStringLiteral("Read group sizes from a spreadsheet export (.csv, .tsv, .txt)");
// Asked for each sample of a table before it is written as NAME.dat.
QString saveImportedQuestion(const NamedSample& named);
// Asked before an imported sample replaces a file: "          File
// gulls.dat exists, overwrite?".
QString importOverwriteQuestion(const QString& fileName);

// Returns the chosen table file; empty means cancelled.
using TableFileChooser = std::function<QString(QWidget* parent, const QString& directory)>;
// nullptr restores the file dialog.
void setTableFileChooser(TableFileChooser chooser);
QString chooseTableFile(QWidget* parent, const QString& directory);

// Reads the table file at `path` for an import. A table that reads both as
// samples and as sizes with their numbers of groups is read as the user
// chooses; none when the user cancels.
std::optional<SampleTableRead> readTableAsChosen(QWidget* window, const QString& path);

// The table file of a drag, when it carries exactly one local .csv, .tsv or
// .txt file; else empty.
QString droppedTableFile(const QMimeData* data);

// Offers to save each sample as NAME.dat in `directory`, in order: one
// question per sample, and before an existing file is replaced a second one;
// a failed write is reported. Returns the file names written.
QStringList offerToSaveSamples(QWidget* window, const QString& directory,
                               const std::vector<NamedSample>& samples);

// How a save under a typed name ended.
enum class SaveOutcome { Saved, NameRefused, NotSaved };

// Writes `sample` under the typed name `name` (see sampleNameFromTyped) +
// ".dat" in `directory`, for the entry window and the save-as dialog: a name
// that `sampleFileNameProblem` refuses gives its message, an existing file is overwritten only
// after the question, and a failed write is reported. Messages go to `window` with the program's
// title.
SaveOutcome saveSampleUnderName(QWidget* window, const QString& directory, const QString& name,
                                const GroupSizeSample& sample);

// The row editing of one window over its sample. The window keeps the
// controls; the editor keeps them and the sample in step.
class SampleRowEditor : public QObject {
  Q_OBJECT

 public:
  // `animalsBox` may be editable: a whole number typed there becomes the
  // sample's total of animals, as the edit window allows.
  SampleRowEditor(QListWidget* list, QLineEdit* sizeBox, QLineEdit* groupsBox, QPushButton* add,
                  QLineEdit* groupsTotalBox, QLineEdit* animalsBox, QObject* parent);

  const GroupSizeSample& sample() const { return m_sample; }
  // Shows `sample`: its rows in the list and its totals in the total boxes.
  void setSample(const GroupSizeSample& sample);
  // An empty sample with every box emptied (the edit window's reset).
  void clearAll();
  // True when the sample would be saved otherwise than it was last shown by
  // setSample() or clearAll(), or last marked saved.
  bool unsaved() const;
  void markSaved() { m_shown = m_sample; }

  // Add: the row of the size and groups boxes, when both hold valid counts.
  bool add();
  // Adds every row of `rows` as Add does: a row of a size already listed
  // replaces it.
  void addRows(const GroupSizeSample& rows);

 signals:
  // Ctrl+V with several cells on the clipboard, in the row list or in the
  // size or groups box (a single value pastes into the box as usual).
  void tablePasted(const QString& text);

 private slots:
  void onDoubleClick(QListWidgetItem* item);
  void onAnimalsEdited(const QString& text);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void showRows();
  void showTotals();

  GroupSizeSample m_sample;
  GroupSizeSample m_shown;  // as last loaded or saved
  QListWidget* m_list;
  QLineEdit* m_size;
  QLineEdit* m_groups;
  QLineEdit* m_groupsTotal;
  QLineEdit* m_animalsTotal;
};

}  // namespace tsk::ui
