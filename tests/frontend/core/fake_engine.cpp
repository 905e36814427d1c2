// SPDX-License-Identifier: GPL-3.0-or-later
// A stand-in engine for the launcher tests. Like a real engine it takes no
// arguments; what it does is read from the file "tskfake.mode" in the
// working directory:
//   finish   (or no file) record the status it found in "tskfake.seen",
//            write "started", a report, a console line, then "finished"
//   exit N   write "started", then exit with status N
//   crash    write "started", then abort
//   silent   exit 0 without touching any file
//   late     exit 0 at once, leaving a child that writes "finished" a
//            little later (the launcher's grace period must catch it)
//   hang     write "started" and its process id to "tskfake.pid", then
//            sleep for up to a minute
//   failed   write "started", then "failed: tskfake (cannot write
//            TSKRES.TMP)" as a real engine does on a write failure
//   cut      write a report without its closing line, then "finished"
//   console N  write N bytes to the console, then finish normally
//   echo     write "started", wait until "tskfake.go" exists (at most 20 s),
//            then report the samples it reads from tskdat.tmp and write
//            "finished"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>

#if defined(__unix__) || defined(__APPLE__)
#include <unistd.h>
#endif

namespace {

std::string slurp(const char* path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void put(const char* path, const std::string& text) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

void status(const std::string& line) { put("tskstat.tmp", " " + line + ": tskfake\r\n"); }

const std::string kClosing = std::string(79, '_') + "\r\n";

}  // namespace

int main() {
  std::istringstream mode(slurp("tskfake.mode"));
  std::string what;
  mode >> what;
  if (what.empty() || what == "finish" || what == "console") {
    put("tskfake.seen", slurp("tskstat.tmp"));
    status("started");
    put("tskres.tmp", " fake report\r\n" + kClosing);
    if (what == "console") {
      long bytes = 0;
      mode >> bytes;
      const std::string line(1023, 'c');
      for (long i = 0; i < bytes / 1024; ++i) std::cout << line << '\n';
      std::cout << std::string(bytes % 1024, 'e');
    }
    std::cout << " guard text" << std::endl;
    status("finished");
    return 0;
  }
  if (what == "silent") return 0;
  if (what == "late") {
#if defined(__unix__) || defined(__APPLE__)
    if (fork() == 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
      put("tskres.tmp", " late report\r\n" + kClosing);
      status("finished");
    }
#endif
    return 0;
  }
  status("started");
  if (what == "exit") {
    int code = 0;
    mode >> code;
    return code;
  }
  if (what == "crash") std::abort();
  if (what == "echo") {
    for (int i = 0; i < 2000 && !std::ifstream("tskfake.go"); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    put("tskres.tmp", slurp("tskdat.tmp") + kClosing);
    status("finished");
    return 0;
  }
  if (what == "failed") {
    put("tskstat.tmp", " failed: tskfake (cannot write TSKRES.TMP)\r\n");
    return 1;
  }
  if (what == "cut") {
    put("tskres.tmp", " fake report cut sh");
    status("finished");
    return 0;
  }
  if (what == "hang") {
#if defined(__unix__) || defined(__APPLE__)
    put("tskfake.pid", std::to_string(getpid()));
#endif
    std::this_thread::sleep_for(std::chrono::seconds(60));
  }
  return 0;
}
