// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Study folders: each study keeps its samples, method lists and parameter
// files in a folder of its own, and the program works in one of them. The
// folder comes from the command line, from the current folder when that
// holds samples, or from the last one the user worked in; without any of
// these the user is asked, so the home folder is never filled.

#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

namespace tsk::ui {

// The study folders opened last, most recent first, those that still exist.
inline constexpr int kMaxRecentFolders = 5;
QStringList recentStudyFolders();
// Puts `folder` at the head of the recent folders (it is then the last one).
void rememberStudyFolder(const QString& folder);

// True when `folder` holds a sample file or a table export.
bool holdsSamples(const QString& folder);

// The folder to start in: `argument` (the command line's folder) when given;
// else `current` when it holds samples and is not the home folder; else the
// last study folder while it exists; else empty, and the user is asked.
QString startFolder(const QString& argument, const QString& current);

// Asks for a folder, beginning at `start`; empty when the user gives up.
// Tests answer in its place through setFolderChooser().
using FolderChooser = std::function<QString(QWidget* parent, const QString& start)>;
void setFolderChooser(FolderChooser chooser);
QString chooseFolder(QWidget* parent, const QString& start);

// Makes `folder` ready for work: an empty folder is offered the example
// samples of `dataDir`, and the method lists and parameter files it lacks
// are copied there. Nothing the user has is overwritten; a failure is said
// in a message over `parent`.
void prepareStudyFolder(QWidget* parent, const QString& folder, const QString& dataDir);

}  // namespace tsk::ui
