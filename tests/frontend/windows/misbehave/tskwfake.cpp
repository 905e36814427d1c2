// SPDX-License-Identifier: GPL-3.0-or-later
// Stand-in engine for the analysis window tests; see CMakeLists.txt.
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

namespace {

void writeFile(const char* path, const std::string& text) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << text;
}

}  // namespace

int main(int, char** argv) {
  std::string name = argv[0];
  const auto slash = name.find_last_of("/\\");
  if (slash != std::string::npos) name.erase(0, slash + 1);

  writeFile("tskstat.tmp", " started: " + name + "\r\n");
  if (name.rfind("tskcrash", 0) == 0) std::abort();
  if (name.rfind("tskhang", 0) == 0) std::this_thread::sleep_for(std::chrono::seconds(60));
  // A report that must never be shown: the run does not finish.
  writeFile("tskres.tmp", " partial report of " + name + "\r\n");
  if (name.rfind("tsknofin", 0) == 0) return 3;

  writeFile("tskres.tmp", "  Report of " + name + "\r\n" + std::string(79, '_') + "\r\n");
  writeFile("tskstat.tmp", " finished: " + name + "\r\n");
  return 0;
}
