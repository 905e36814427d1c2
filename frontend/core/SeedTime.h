// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Repeatable runs. The random engines seed from one second of the day; the
// front end chooses that second itself and hands it to the engine as
// TSK_SEED_TIME=hhmmss, so that it can tell the user which second it was and
// how to run the same analysis again.

#include <QString>
#include <QStringList>

namespace tsk {

inline constexpr char kSeedTimeEnvironment[] = "TSK_SEED_TIME";

// True for six digits hhmmss naming a time from 00:00:00 to 23:59:59.
bool isSeedTime(const QString& text);

// The second for the next engine run: TSK_SEED_TIME of this program's own
// environment when that is set (handed on as it is, so that the engine
// reports a malformed one), otherwise the local time now.
QString chooseSeedTime();

// "hh:mm:ss" for a valid hhmmss.
QString seedTimeDisplay(const QString& hhmmss);

// True for the engine programs, either capacity build, that draw random
// numbers; blanks around the name are ignored.
bool usesRandomNumbers(const QString& engine);

// `word` as a POSIX shell reads it back: unchanged when it holds only safe
// characters, otherwise quoted.
QString shellWord(const QString& word);

// The command that repeats a run, with the files named as given:
// "tskrun --seed-time 140327 gsmeanci gulls.dat".
// `options` (such as --each) come before the engine.
QString repeatCommand(const QString& hhmmss, const QString& engine, const QStringList& files,
                      const QStringList& options = {});

// The line the results window shows below a resampling report:
// "Random numbers: seed time 14:03:27 (tskrun --seed-time 140327 gsmeanci
// gulls.dat repeats this run)".
QString seedTimeLine(const QString& hhmmss, const QString& engine, const QStringList& files);

}  // namespace tsk
