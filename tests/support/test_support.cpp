// SPDX-License-Identifier: GPL-3.0-or-later
#include "test_support.h"

#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

namespace tsk::test {

TempDir::TempDir() {
  std::random_device rd;
  auto base = std::filesystem::temp_directory_path();
  for (;;) {
    path_ = base / ("tsk-test-" + std::to_string(rd()));
    if (std::filesystem::create_directory(path_)) break;
  }
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void writeFile(const std::filesystem::path& path, std::string_view content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
}

std::string crlf(const std::vector<std::string>& lines) {
  std::string s;
  for (const auto& l : lines) s += l + "\r\n";
  return s;
}

std::vector<std::string> splitLines(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    size_t stop = end == std::string_view::npos ? text.size() : end;
    std::string line(text.substr(start, stop - start));
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return lines;
}

::testing::AssertionResult sameText(std::string_view expected, std::string_view actual) {
  if (expected == actual) return ::testing::AssertionSuccess();
  auto e = splitLines(expected);
  auto a = splitLines(actual);
  size_t i = 0;
  while (i < e.size() && i < a.size() && e[i] == a[i]) ++i;
  auto show = [](const std::vector<std::string>& v, size_t k) {
    return k < v.size() ? "\"" + v[k] + "\"" : std::string("<no line>");
  };
  if (i == e.size() && i == a.size()) {
    return ::testing::AssertionFailure() << "texts differ in line ends only (CR LF expected)";
  }
  return ::testing::AssertionFailure() << "first difference at line " << (i + 1)
                                       << "\n  expected: " << show(e, i)
                                       << "\n  actual:   " << show(a, i);
}

std::filesystem::path binDir() {
  const char* d = std::getenv("TSK_BIN_DIR");
  return d ? d : "bin";
}

std::filesystem::path dataDir() {
  const char* d = std::getenv("TSK_DATA_DIR");
  return d ? d : "data";
}

}  // namespace tsk::test
