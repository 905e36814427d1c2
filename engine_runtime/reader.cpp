#include "reader.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

namespace tsk {

NumberReader::NumberReader(std::string content) : content_(std::move(content)) { splitLines(); }

void NumberReader::splitLines() {
  lines_.clear();
  std::string_view all(content_);
  size_t start = 0;
  while (start < all.size()) {
    size_t end = all.find('\n', start);
    size_t stop = end == std::string_view::npos ? all.size() : end;
    size_t length = stop - start;
    if (length > 0 && all[stop - 1] == '\r') --length;
    lines_.push_back({start, length});
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
}

std::string_view NumberReader::line(size_t index) const {
  return std::string_view(content_).substr(lines_[index].start, lines_[index].length);
}

std::optional<NumberReader> NumberReader::open(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream buffer;
  buffer << in.rdbuf();
  return NumberReader(buffer.str());
}

std::optional<std::string_view> NumberReader::nextItem() {
  while (next_ < lines_.size()) {
    std::string_view line = this->line(next_++);
    size_t first = line.find_first_not_of(" \t");
    if (first == std::string_view::npos) continue;
    size_t end = line.find_first_of(" \t,", first);
    return line.substr(first, end == std::string_view::npos ? line.size() - first : end - first);
  }
  return std::nullopt;
}

bool NumberReader::skipLine() {
  if (next_ >= lines_.size()) return false;
  ++next_;
  return true;
}

ReadStatus NumberReader::readInt(int32_t& value) {
  auto item = nextItem();
  if (!item) return ReadStatus::EndOfData;
  return parseInt32(*item, value) ? ReadStatus::Value : ReadStatus::Invalid;
}

ReadStatus NumberReader::readReals(float* x, int n) {
  for (int i = 0; i < n; ++i) {
    const ReadStatus st = readReal(x[i]);
    if (st != ReadStatus::Value) return st;
  }
  return ReadStatus::Value;
}

ReadStatus NumberReader::readReal(float& value) {
  auto item = nextItem();
  if (!item) return ReadStatus::EndOfData;
  return parseReal(*item, value) ? ReadStatus::Value : ReadStatus::Invalid;
}

bool parseInt32(std::string_view item, int32_t& value) {
  size_t i = 0;
  bool negative = false;
  if (i < item.size() && (item[i] == '+' || item[i] == '-')) negative = item[i++] == '-';
  if (i == item.size()) return false;
  long long v = 0;
  for (; i < item.size(); ++i) {
    if (item[i] < '0' || item[i] > '9') return false;
    v = v * 10 + (item[i] - '0');
    if (v > 2147483648LL) return false;
  }
  if (negative) v = -v;
  if (v > 2147483647LL) return false;
  value = static_cast<int32_t>(v);
  return true;
}

bool parseReal(std::string_view item, float& value) {
  // Digits, one point, an exponent with E or D: nothing strtof would take
  // beyond that (hex, inf, nan) counts as a number here.
  std::string text;
  bool digits = false, point = false, exponent = false, expDigits = false;
  for (size_t i = 0; i < item.size(); ++i) {
    char c = item[i];
    if (c >= '0' && c <= '9') {
      (exponent ? expDigits : digits) = true;
    } else if (c == '+' || c == '-') {
      bool atStart = i == 0;
      bool afterExp = exponent && (text.back() == 'e');
      if (!atStart && !afterExp) return false;
    } else if (c == '.' && !point && !exponent) {
      point = true;
    } else if ((c == 'e' || c == 'E' || c == 'd' || c == 'D') && digits && !exponent) {
      exponent = true;
      c = 'e';
    } else {
      return false;
    }
    text += c;
  }
  if (!digits || (exponent && !expDigits)) return false;
  errno = 0;
  char* end = nullptr;
  float v = std::strtof(text.c_str(), &end);
  if (end != text.c_str() + text.size()) return false;
  if (std::isinf(v)) return false;
  value = v;
  return true;
}

ParamStatus readParameterFile(const std::filesystem::path& path, int32_t& value) {
  auto reader = NumberReader::open(path);
  if (!reader) return ParamStatus::Missing;
  return readParameters(*reader, value);
}

ParamStatus readParameters(NumberReader& reader, int32_t& value) {
  if (!reader.skipLine() || !reader.skipLine()) return ParamStatus::Unreadable;
  int32_t v = 0;
  if (reader.readInt(v) != ReadStatus::Value) return ParamStatus::Unreadable;
  value = v;
  return ParamStatus::Ok;
}

}  // namespace tsk
