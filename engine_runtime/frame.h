// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The frame of every engine run: the status handshake in tskstat.tmp, the
// report in tskres.tmp and the samples in tskdat.tmp, all in the working
// directory of the run.

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "clock.h"
#include "format.h"
#include "platform.h"
#include "reader.h"
#include "result_table.h"

namespace tsk {

inline constexpr const char* kDataFile = "tskdat.tmp";
inline constexpr const char* kStatusFile = "tskstat.tmp";
inline constexpr const char* kReportFile = "tskres.tmp";

// What an engine run needs from outside: where the files are, the clock that
// seeds its generator, and where its few console lines go.
struct EngineContext {
  std::filesystem::path dir = ".";
  Clock clock = localTimeOfDay;
  std::ostream* console = &std::cout;
  // The value of TSK_SEED_TIME for this run; nullopt: the clock decides.
  // The program fills it from its environment, tests set it directly.
  std::optional<std::string> seedSetting = std::nullopt;
  // Where the delivered parameter files lie, for a run in a folder that
  // lacks one (the program takes it from TSK_DEFAULTS_DIR); nullopt: only
  // the working directory counts.
  std::optional<std::filesystem::path> defaultsDir = std::nullopt;

  // The second the random engines seed from. A malformed setting carries
  // the ERROR message that the engine writes after its title.
  SeedTime seedTime() const { return tsk::seedTime(seedSetting, clock); }

  // Why the run failed ("cannot write TSKRES.TMP"), set by the run; empty
  // when it ended normally. Mutable: the run reports back through the
  // context it was given.
  mutable std::string failure{};
};

// A write, cut or close of a file the engine writes that failed; what() is
// the reason as the status line gives it ("cannot write TSKRES.TMP").
class WriteFailure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A file written from its start without emptying it first, cut after the
// last byte written when it is closed. Refuses links and anything but a
// regular file. Every failure throws WriteFailure and marks the file failed;
// nothing more is written to it then.
class OverwriteFile {
 public:
  // upperName names the file in the failure ("TSKRES.TMP").
  OverwriteFile(const std::filesystem::path& path, std::string upperName);
  ~OverwriteFile();  // closes without cutting: see abandon()
  OverwriteFile(const OverwriteFile&) = delete;
  OverwriteFile& operator=(const OverwriteFile&) = delete;

  bool isOpen() const { return file_ != platform::kNoFile; }
  bool failed() const { return failed_; }
  [[noreturn]] void fail();  // marks the file failed and throws
  void write(std::string_view text);
  void rewind();  // the next write replaces what was written, which is cut
  void close();
  // Closes after a failed run, cut after what was written so that no older
  // text remains behind it; errors are ignored, as nothing can be said.
  void abandon();

 private:
  void flush();
  void cutHere();  // flushes and cuts the file after the current position
  platform::FileHandle file_ = platform::kNoFile;
  std::string upperName_;
  std::string pending_;      // written but not yet handed to the system
  std::int64_t length_ = 0;  // bytes since the start, pending ones included
  bool failed_ = false;
};

// Report lines: message lines (one blank, then the text) and formatted lines,
// every line ended by CR LF.
class Report {
 public:
  explicit Report(const std::filesystem::path& path) : file_(path, "TSKRES.TMP") {}
  bool isOpen() const { return file_.isOpen(); }
  bool failed() const { return file_.failed(); }
  [[noreturn]] void fail() { file_.fail(); }
  void message(std::string_view text);
  void format(std::string_view list, std::initializer_list<FormatArg> args = {});
  void format(std::string_view list, const std::vector<FormatArg>& args);
  void closingLine();
  // A line as it stands, for lines that come ready made.
  void line(std::string_view text);
  void close() { file_.close(); }
  void abandon() { file_.abandon(); }

 private:
  OverwriteFile file_;
};

class EngineRun {
 public:
  EngineRun(const EngineContext& context, std::string name);
  ~EngineRun();

  // Writes the started line and rewinds the status file, which stays open.
  // Throws WriteFailure when the status cannot be written.
  void startStatus();
  // Opens tskres.tmp for writing from its start; throws WriteFailure when it
  // cannot be (a link, not a regular file, read-only).
  void openReport();
  // Reads tskdat.tmp; false when it cannot be opened or is not a regular
  // file. The report must be open: that is reported there as an ERROR line.
  bool openData();
  // The closing line, the report closed and cut, the finished line. When the
  // report cannot be completed the status says so instead: "failed: NAME
  // (cannot write TSKRES.TMP)"; when the status cannot be written nothing
  // more is. Either way context().failure tells why.
  void finish();

  Report& report() { return *report_; }
  NumberReader& data() { return *data_; }
  // The report's numbers, written to tsktab.tmp by finish().
  ResultTable& table() { return table_; }
  const EngineContext& context() const { return context_; }
  // A file of the working directory; a parameter file (*.par) missing there
  // comes from the context's defaults folder when that has it.
  std::filesystem::path file(std::string_view name) const;

 private:
  const EngineContext& context_;
  std::string name_;
  std::optional<OverwriteFile> status_;
  std::optional<Report> report_;
  std::optional<NumberReader> data_;
  ResultTable table_;
  bool finished_ = false;
  int uncaught_;  // exceptions in flight when the run began
  void openStatus();
  void endFailed(const std::string& reason);
};

// The ERROR message line for a file that an engine needs and cannot open;
// upperName is the file name as the report names it (TSKDAT.TMP, crowreps.par).
std::string missingFileMessage(std::string_view upperName);

using EngineFunction = void (*)(const EngineContext&, int capacity);

// Runs an engine: exit status 0, or 1 when it failed (context.failure says
// why; an internal error leaves the status at its started line).
int runEngine(EngineFunction run, const EngineContext& context, int capacity);

// The variable that names the folder of delivered parameter files.
inline constexpr const char* kDefaultsDirVariable = "TSK_DEFAULTS_DIR";

// The program body of every engine: runs `run` in the current directory
// with the local clock; a failure is named on standard error. An engine
// takes no arguments: --help and --version are answered, anything else
// gets the usage and status 2, and neither touches the folder.
int engineMain(EngineFunction run, int capacity, int argc = 1, char** argv = nullptr);

}  // namespace tsk
