#include "frame.h"

#include <exception>

#include "platform.h"

namespace tsk {

OverwriteFile::OverwriteFile(const std::filesystem::path& path) {
  file_ = std::fopen(path.string().c_str(), "r+b");
  if (!file_) file_ = std::fopen(path.string().c_str(), "w+b");
}

OverwriteFile::~OverwriteFile() { close(); }

void OverwriteFile::write(std::string_view text) {
  if (file_) std::fwrite(text.data(), 1, text.size(), file_);
}

void OverwriteFile::cutHere() { platform::truncateOpenFile(file_, std::ftell(file_)); }

void OverwriteFile::rewind() {
  if (!file_) return;
  cutHere();
  std::fseek(file_, 0, SEEK_SET);
}

void OverwriteFile::close() {
  if (!file_) return;
  cutHere();
  std::fclose(file_);
  file_ = nullptr;
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
    : context_(context), name_(std::move(name)) {}

EngineRun::~EngineRun() {
  if (!finished_) finish();
}

void EngineRun::startStatus() {
  status_.emplace(file(kStatusFile));
  status_->write(" started: " + name_ + "\r\n");
  status_->rewind();
}

void EngineRun::openReport() { report_.emplace(file(kReportFile)); }

bool EngineRun::openData() {
  data_ = NumberReader::open(file(kDataFile));
  if (!data_) {
    report_->message(missingFileMessage("TSKDAT.TMP"));
    return false;
  }
  return true;
}

void EngineRun::finish() {
  finished_ = true;
  if (!report_) openReport();
  report_->closingLine();
  report_->close();
  if (!status_) status_.emplace(file(kStatusFile));
  status_->write(" finished: " + name_ + "\r\n");
  status_->close();
}

std::string missingFileMessage(std::string_view upperName) {
  return "    ERROR: cannot open file " + std::string(upperName);
}

int engineMain(void (*run)(const EngineContext&, int capacity), int capacity) {
  EngineContext context;
  try {
    run(context, capacity);
  } catch (const std::exception& e) {
    std::cerr << "internal error: " << e.what() << '\n';
    return 1;
  }
  return 0;
}

}  // namespace tsk
