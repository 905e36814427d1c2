// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Numeric item reads of the exchange and parameter files. Each read takes the
// first item of the next line that holds one (lines empty or blank are passed
// over); the rest of that line is ignored. Accepts CR LF and LF line ends.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tsk {

enum class ReadStatus { Value, EndOfData, Invalid };

// Reads as a stream: only the next piece of the file is held in memory, so a
// huge file costs no more memory than a small one and a reader that stops
// early reads no further.
class NumberReader {
 public:
  explicit NumberReader(std::string content);  // reads from memory
  // nullopt when the file cannot be opened or is not a regular file.
  static std::optional<NumberReader> open(const std::filesystem::path& path);

  NumberReader(NumberReader&&) noexcept = default;
  NumberReader& operator=(NumberReader&&) noexcept = default;

  ReadStatus readInt(int32_t& value);  // a 32-bit signed integer
  ReadStatus readReal(float& value);   // rounded to single precision
  // Reads x[0..n-1] one value each; the first failing status, or Value.
  ReadStatus readReals(float* x, int n);
  // The next item as text, for callers with a number kind of their own;
  // Invalid for an item longer than any number.
  ReadStatus readItem(std::string& item);
  // Passes over exactly one line, whatever it holds; false at end of file.
  bool skipLine();
  bool atEnd() { return peek() < 0; }

  // No number is this long; a longer item is invalid and is not kept.
  static constexpr size_t kMaxItem = 1 << 16;

 private:
  struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
  };
  // The byte `ahead` places on, or -1 past the end of the file (a read
  // error ends the file too).
  int peek(size_t ahead = 0) {
    if (pos_ + ahead < buffer_.size() || fill(ahead + 1)) {
      return static_cast<unsigned char>(buffer_[pos_ + ahead]);
    }
    return -1;
  }
  // Reads on until `count` unread bytes are held; false when the file ends
  // first.
  bool fill(size_t count);
  // Moves past the rest of the current line and its line end.
  void skipRest();
  // True when the byte at hand ends its line: LF, or CR before LF or the end.
  bool atLineEnd();

  std::unique_ptr<std::FILE, FileCloser> file_;
  std::string buffer_;
  size_t pos_ = 0;
};

// Parses a whole item as a number; false when it is not one of the kind.
bool parseInt32(std::string_view item, int32_t& value);
bool parseReal(std::string_view item, float& value);

// Parameter files: lines 1 and 2 free text, line 3 begins with an integer.
enum class ParamStatus { Ok, Missing, Unreadable };
ParamStatus readParameterFile(const std::filesystem::path& path, int32_t& value);
// The same reads on a file already opened (Ok or Unreadable); for engines
// that must open their parameter file before they can read it.
ParamStatus readParameters(NumberReader& reader, int32_t& value);

}  // namespace tsk
