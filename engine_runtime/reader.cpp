// SPDX-License-Identifier: GPL-3.0-or-later
#include "reader.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "platform.h"

namespace tsk {

namespace {

// Bytes read from a file at a time.
constexpr size_t kChunk = 1 << 16;

bool isBlank(int c) { return c == ' ' || c == '\t'; }

}  // namespace

NumberReader::NumberReader(std::string content) : buffer_(std::move(content)) {}

std::optional<NumberReader> NumberReader::open(const std::filesystem::path& path) {
  std::FILE* file = platform::openRegularForReading(path);
  if (!file) return std::nullopt;
  NumberReader reader{std::string()};
  reader.file_.reset(file);
  return reader;
}

bool NumberReader::fill(size_t count) {
  while (buffer_.size() - pos_ < count) {
    if (!file_) return false;
    buffer_.erase(0, pos_);
    pos_ = 0;
    const size_t held = buffer_.size();
    buffer_.resize(held + kChunk);
    const size_t got = std::fread(buffer_.data() + held, 1, kChunk, file_.get());
    buffer_.resize(held + got);
    if (got == 0) file_.reset();
  }
  return true;
}

bool NumberReader::atLineEnd() {
  const int c = peek();
  if (c == '\n') return true;
  if (c != '\r') return false;
  const int next = peek(1);
  return next == '\n' || next < 0;
}

void NumberReader::skipRest() {
  while (pos_ < buffer_.size() || fill(1)) {
    const char* from = buffer_.data() + pos_;
    const void* end = std::memchr(from, '\n', buffer_.size() - pos_);
    if (end) {
      pos_ += static_cast<size_t>(static_cast<const char*>(end) - from) + 1;
      return;
    }
    pos_ = buffer_.size();
  }
}

ReadStatus NumberReader::readItem(std::string& item) {
  // Lines that are empty or blank are passed over, byte by byte: a blank
  // line is no more than its blanks and its line end.
  for (int c = peek();; c = peek()) {
    if (c < 0) return ReadStatus::EndOfData;
    if (!isBlank(c) && c != '\n' && !(c == '\r' && atLineEnd())) break;
    ++pos_;
  }
  item.clear();
  bool overlong = false;
  for (int c = peek(); c >= 0 && !isBlank(c) && c != ',' && !atLineEnd(); c = peek()) {
    if (item.size() < kMaxItem) {
      item += static_cast<char>(c);
    } else {
      overlong = true;
    }
    ++pos_;
  }
  skipRest();
  return overlong ? ReadStatus::Invalid : ReadStatus::Value;
}

bool NumberReader::skipLine() {
  if (peek() < 0) return false;
  skipRest();
  return true;
}

ReadStatus NumberReader::readInt(int32_t& value) {
  std::string item;
  const ReadStatus status = readItem(item);
  if (status != ReadStatus::Value) return status;
  return parseInt32(item, value) ? ReadStatus::Value : ReadStatus::Invalid;
}

ReadStatus NumberReader::readReals(float* x, int n) {
  for (int i = 0; i < n; ++i) {
    const ReadStatus st = readReal(x[i]);
    if (st != ReadStatus::Value) return st;
  }
  return ReadStatus::Value;
}

ReadStatus NumberReader::readReal(float& value) {
  std::string item;
  const ReadStatus status = readItem(item);
  if (status != ReadStatus::Value) return status;
  return parseReal(item, value) ? ReadStatus::Value : ReadStatus::Invalid;
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
