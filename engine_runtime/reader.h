#pragma once
// Numeric item reads of the exchange and parameter files. Each read takes the
// first item of the next line that holds one (lines empty or blank are passed
// over); the rest of that line is ignored. Accepts CR LF and LF line ends.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tsk {

enum class ReadStatus { Value, EndOfData, Invalid };

class NumberReader {
 public:
  explicit NumberReader(std::string content);
  // nullopt when the file cannot be opened.
  static std::optional<NumberReader> open(const std::filesystem::path& path);

  ReadStatus readInt(int32_t& value);  // a 32-bit signed integer
  ReadStatus readReal(float& value);   // rounded to single precision
  // Reads x[0..n-1] one value each; the first failing status, or Value.
  ReadStatus readReals(float* x, int n);
  // Passes over exactly one line, whatever it holds; false at end of file.
  bool skipLine();
  bool atEnd() const { return next_ >= lines_.size(); }

 private:
  // The next item (text up to a comma, blank or line end), moving past its
  // line; nullopt at end of data.
  std::optional<std::string_view> nextItem();
  void splitLines();
  std::string_view line(size_t index) const;

  // Lines as (start, length) in content_: offsets, not views, so that a
  // copied or moved reader needs nothing rebuilt.
  struct Line {
    size_t start, length;
  };
  std::string content_;
  std::vector<Line> lines_;
  size_t next_ = 0;
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
