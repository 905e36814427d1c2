#pragma once
// The frame of every engine run: the status handshake in tskstat.tmp, the
// report in tskres.tmp and the samples in tskdat.tmp, all in the working
// directory of the run.

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

#include "clock.h"
#include "format.h"
#include "reader.h"

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
};

// A file written from its start without emptying it first, cut after the
// last byte written when it is closed.
class OverwriteFile {
 public:
  explicit OverwriteFile(const std::filesystem::path& path);
  ~OverwriteFile();
  OverwriteFile(const OverwriteFile&) = delete;
  OverwriteFile& operator=(const OverwriteFile&) = delete;

  bool isOpen() const { return file_ != nullptr; }
  void write(std::string_view text);
  void rewind();  // the next write replaces what was written, which is cut
  void close();

 private:
  void cutHere();  // cuts the file after the current position
  std::FILE* file_ = nullptr;
};

// Report lines: message lines (one blank, then the text) and formatted lines,
// every line ended by CR LF.
class Report {
 public:
  explicit Report(const std::filesystem::path& path) : file_(path) {}
  void message(std::string_view text);
  void format(std::string_view list, std::initializer_list<FormatArg> args = {});
  void format(std::string_view list, const std::vector<FormatArg>& args);
  void closingLine();
  void close() { file_.close(); }

 private:
  void line(std::string_view text);
  OverwriteFile file_;
};

class EngineRun {
 public:
  EngineRun(const EngineContext& context, std::string name);
  ~EngineRun();

  // Writes the started line and rewinds the status file, which stays open.
  void startStatus();
  // Opens tskres.tmp for writing from its start.
  void openReport();
  // Reads tskdat.tmp; false when it cannot be opened. The report must be
  // open: the missing file is reported there as an ERROR line.
  bool openData();
  // The closing line, the report closed and cut, the finished line.
  void finish();

  Report& report() { return *report_; }
  NumberReader& data() { return *data_; }
  const EngineContext& context() const { return context_; }
  std::filesystem::path file(std::string_view name) const { return context_.dir / name; }

 private:
  const EngineContext& context_;
  std::string name_;
  std::optional<OverwriteFile> status_;
  std::optional<Report> report_;
  std::optional<NumberReader> data_;
  bool finished_ = false;
};

// The ERROR message line for a file that an engine needs and cannot open;
// upperName is the file name as the report names it (TSKDAT.TMP, CROWREPS.PAR).
std::string missingFileMessage(std::string_view upperName);

// The program body of every engine: runs `run` in the current directory
// with the local clock; exit status 0.
int engineMain(void (*run)(const EngineContext&, int capacity), int capacity);

}  // namespace tsk
