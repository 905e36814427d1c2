// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QFile>
#include <QSysInfo>
#include <filesystem>

#include "FileReplace.h"
#include "FolderLock.h"
#include "core_test_support.h"

namespace {

namespace fs = std::filesystem;
using tsk::test::qpath;
using tsk::test::readFile;
using tsk::test::TempDir;
using tsk::test::writeFile;

std::size_t entries(const fs::path& dir) {
  return static_cast<std::size_t>(
      std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
}

// The new content takes the name's place: a link there is replaced by a
// file, the file it pointed to keeps its bytes, and an existing file keeps
// its permissions.
TEST(FileReplace, ReplacesTheEntryNotWhatItPointsTo) {
  TempDir dir, elsewhere;
  writeFile(elsewhere / "target", "untouched");
  fs::create_symlink(elsewhere / "target", dir / "linked");
  EXPECT_EQ(tsk::replaceFileContent(qpath(dir / "linked"), "new\r\n"), "");
  EXPECT_FALSE(fs::is_symlink(dir / "linked"));
  EXPECT_EQ(readFile(dir / "linked"), "new\r\n");
  EXPECT_EQ(readFile(elsewhere / "target"), "untouched");

  writeFile(dir / "plain", "old");
  fs::permissions(dir / "plain", fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(tsk::replaceFileContent(qpath(dir / "plain"), "newer"), "");
  EXPECT_EQ(readFile(dir / "plain"), "newer");
  EXPECT_EQ(fs::status(dir / "plain").permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(entries(dir.path()), 2u);  // no new file left beside them
}

TEST(FileReplace, FailureLeavesEverythingAsItWas) {
  TempDir dir;
  fs::create_directory(dir / "folder");
  EXPECT_NE(tsk::replaceFileContent(qpath(dir / "folder"), "x"), "");
  EXPECT_TRUE(fs::is_directory(dir / "folder"));
  EXPECT_NE(tsk::replaceFileContent(qpath(dir / "none" / "file"), "x"), "");
  {
    // Not committed: dropped.
    tsk::ReplacementFile file(qpath(dir / "later"));
    ASSERT_TRUE(file.open());
    ASSERT_TRUE(file.write("abc"));
  }
  EXPECT_EQ(entries(dir.path()), 1u);
}

TEST(FileReplace, ExchangeFileProblem) {
  TempDir dir;
  writeFile(dir / "plain", "x");
  fs::create_symlink(dir / "plain", dir / "link");
  fs::create_symlink(dir / "gone", dir / "dangling");
  fs::create_directory(dir / "folder");
  EXPECT_EQ(tsk::exchangeFileProblem(qpath(dir / "plain")), "");
  EXPECT_EQ(tsk::exchangeFileProblem(qpath(dir / "absent")), "");
  EXPECT_EQ(tsk::exchangeFileProblem(qpath(dir / "link")).left(30),
            "File link is a symbolic link: ");
  EXPECT_EQ(tsk::exchangeFileProblem(qpath(dir / "dangling")).left(34),
            "File dangling is a symbolic link: ");
  EXPECT_EQ(tsk::exchangeFileProblem(qpath(dir / "folder")),
            "File folder is not a regular file: it is not written.");
}

// One holder per folder; the lock of a process that has gone is stale and
// taken over.
TEST(FolderLock, OneHolderAtATime) {
  TempDir dir;
  tsk::FolderLock first(qpath(dir.path())), second(qpath(dir.path()));
  EXPECT_EQ(first.tryLock(), tsk::FolderLock::State::Locked);
  int busy = 0, waits = 0;
  EXPECT_EQ(second.lock([&busy] { ++busy; }, [&waits] { return ++waits < 3; }),
            tsk::FolderLock::State::Busy);
  EXPECT_EQ(busy, 1);
  EXPECT_EQ(waits, 3);
  first.unlock();
  EXPECT_EQ(second.lock([&busy] { ++busy; }, {}), tsk::FolderLock::State::Locked);
  EXPECT_EQ(busy, 1);
  second.unlock();
  EXPECT_FALSE(fs::exists(dir / "tsklock.tmp"));

  // Left by a process that no longer runs (no process has the id 2^22+1).
  writeFile(dir / "tsklock.tmp",
            "4194305\ntskrun\n" + QSysInfo::machineHostName().toStdString() + "\n");
  tsk::FolderLock third(qpath(dir.path()));
  EXPECT_EQ(third.tryLock(), tsk::FolderLock::State::Locked);
}

}  // namespace
