// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame.h"

#include <cstring>
#include <exception>

#include "TskVersion.h"

namespace tsk {

namespace {

// Report lines are handed to the system in pieces of about this size.
constexpr size_t kFlushSize = 1 << 16;

}  // namespace

OverwriteFile::OverwriteFile(const std::filesystem::path& path, std::string upperName)
    : file_(platform::openForUpdate(path)), upperName_(std::move(upperName)) {}

OverwriteFile::~OverwriteFile() {
  if (isOpen()) platform::closeFile(file_);
}

void OverwriteFile::fail() {
  failed_ = true;
  pending_.clear();
  throw WriteFailure("cannot write " + upperName_);
}

void OverwriteFile::write(std::string_view text) {
  if (!isOpen() || failed_) fail();
  pending_ += text;
  length_ += static_cast<std::int64_t>(text.size());
  if (pending_.size() >= kFlushSize) flush();
}

void OverwriteFile::flush() {
  if (!platform::writeAll(file_, pending_.data(), pending_.size())) fail();
  pending_.clear();
}

void OverwriteFile::cutHere() {
  flush();
  if (!platform::truncateAt(file_, length_)) fail();
}

void OverwriteFile::rewind() {
  if (!isOpen() || failed_) fail();
  cutHere();
  if (!platform::seekToStart(file_)) fail();
  length_ = 0;
}

void OverwriteFile::close() {
  if (!isOpen() || failed_) fail();
  cutHere();
  const platform::FileHandle file = file_;
  file_ = platform::kNoFile;
  if (!platform::closeFile(file)) fail();
}

void OverwriteFile::abandon() {
  if (!isOpen()) return;
  if (!failed_) {
    try {
      cutHere();
    } catch (const WriteFailure&) {
    }
  }
  platform::closeFile(file_);
  file_ = platform::kNoFile;
}

void Report::line(std::string_view text) {
  file_.write(text);
  file_.write("\r\n");
}

void Report::message(std::string_view text) {
  file_.write(" ");
  line(text);
}

void Report::format(std::string_view list, std::initializer_list<FormatArg> args) {
  format(list, std::vector<FormatArg>(args));
}

void Report::format(std::string_view list, const std::vector<FormatArg>& args) {
  for (const std::string& l : formatLines(list, args)) line(l);
}

void Report::closingLine() { line(kClosingLine); }

EngineRun::EngineRun(const EngineContext& context, std::string name)
    : context_(context), name_(std::move(name)), uncaught_(std::uncaught_exceptions()) {}

EngineRun::~EngineRun() {
  if (finished_) return;
  const bool statusFailed = status_ && status_->failed();
  const bool reportFailed = report_ && report_->failed();
  if (statusFailed || reportFailed) {
    finished_ = true;
    if (report_) report_->abandon();
    if (statusFailed) {
      context_.failure = "cannot write TSKSTAT.TMP";
    } else {
      endFailed("cannot write TSKRES.TMP");
    }
  } else if (std::uncaught_exceptions() > uncaught_) {
    // An internal error: no closing line and no finished status for a
    // report that was never completed.
    finished_ = true;
    if (report_) report_->abandon();
  } else {
    finish();
  }
}

std::filesystem::path EngineRun::file(std::string_view name) const {
  std::filesystem::path here = context_.dir / name;
  if (!context_.defaultsDir || !name.ends_with(".par")) return here;
  std::error_code error;
  if (std::filesystem::exists(here, error)) return here;
  std::filesystem::path delivered = *context_.defaultsDir / name;
  return std::filesystem::is_regular_file(delivered, error) ? delivered : here;
}

void EngineRun::openStatus() {
  status_.emplace(file(kStatusFile), "TSKSTAT.TMP");
  if (!status_->isOpen()) status_->fail();
}

void EngineRun::startStatus() {
  openStatus();
  status_->write(" started: " + name_ + "\r\n");
  status_->rewind();
}

void EngineRun::openReport() {
  report_.emplace(file(kReportFile));
  if (!report_->isOpen()) report_->fail();
}

bool EngineRun::openData() {
  data_ = NumberReader::open(file(kDataFile));
  if (!data_) {
    report_->message(missingFileMessage("TSKDAT.TMP"));
    return false;
  }
  return true;
}

void EngineRun::endFailed(const std::string& reason) {
  context_.failure = reason;
  try {
    if (!status_) openStatus();
    status_->write(" failed: " + name_ + " (" + reason + ")\r\n");
    status_->close();
  } catch (const WriteFailure&) {
    // The status cannot say it either; the exit status still does.
  }
}

void EngineRun::finish() {
  finished_ = true;
  try {
    if (!report_) openReport();
    report_->closingLine();
    report_->close();
  } catch (const WriteFailure& e) {
    report_->abandon();
    return endFailed(e.what());
  }
  // Before "finished", so that whoever reads the report finds the rows.
  OverwriteFile table(file(kTableFile), "TSKTAB.TMP");
  try {
    table.write(table_.text(name_));
    table.close();
  } catch (const WriteFailure& e) {
    table.abandon();
    return endFailed(e.what());
  }
  try {
    if (!status_) openStatus();
    status_->write(" finished: " + name_ + "\r\n");
    status_->close();
  } catch (const WriteFailure& e) {
    context_.failure = e.what();
  }
}

std::string missingFileMessage(std::string_view upperName) {
  return "    ERROR: cannot open file " + std::string(upperName);
}

int runEngine(EngineFunction run, const EngineContext& context, int capacity) {
  try {
    run(context, capacity);
  } catch (const WriteFailure& e) {
    if (context.failure.empty()) context.failure = e.what();
  } catch (const std::exception& e) {
    context.failure = std::string("internal error: ") + e.what();
  }
  return context.failure.empty() ? 0 : 1;
}

namespace {

// What an engine says about itself when it is given arguments.
int answerArguments(int argc, char** argv) {
  std::string program = argc > 0 && argv[0] ? std::filesystem::path(argv[0]).stem().string() : "";
  if (program.empty()) program = "engine";
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::cout << program << " " << kVersion << '\n';
    return 0;
  }
  const bool help =
      argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0);
  std::ostream& out = help ? std::cout : std::cerr;
  out << "Usage: " << program << "\n"
      << "An analysis engine of Toskarn. It takes no arguments: started in a\n"
         "folder, it reads the samples in tskdat.tmp, writes its report to\n"
         "tskres.tmp, its numbers to tsktab.tmp and its status to tskstat.tmp.\n"
         "Run it through tskrun (tskrun "
      << program << " FILE.dat...) or the desktop program.\n";
  return help ? 0 : 2;
}

}  // namespace

int engineMain(EngineFunction run, int capacity, int argc, char** argv) {
  if (argc > 1) return answerArguments(argc, argv);
  EngineContext context;
  context.seedSetting = platform::environmentVariable(kSeedTimeVariable);
  if (auto defaults = platform::environmentVariable(kDefaultsDirVariable);
      defaults && !defaults->empty())
    context.defaultsDir = std::filesystem::path(*defaults);
  const int status = runEngine(run, context, capacity);
  if (status != 0) std::cerr << context.failure << '\n';
  return status;
}

}  // namespace tsk
