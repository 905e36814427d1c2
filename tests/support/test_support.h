// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Helpers shared by the tests: a temporary working directory, whole-file
// reads and writes, and a comparison of texts that names the first
// differing line.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tsk::test {

// A fresh directory removed again with everything in it.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

std::string readFile(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, std::string_view content);

// Joins lines with CR LF after each one, as every report line ends.
std::string crlf(const std::vector<std::string>& lines);

// Splits a text at its line ends (CR LF or LF); no empty last element for a
// final line end.
std::vector<std::string> splitLines(std::string_view text);

// Compares two texts line by line; on a mismatch the message shows the first
// differing line of each side.
::testing::AssertionResult sameText(std::string_view expected, std::string_view actual);

// Where the built programs and the delivered data lie (set by CTest).
std::filesystem::path binDir();
std::filesystem::path dataDir();

}  // namespace tsk::test
