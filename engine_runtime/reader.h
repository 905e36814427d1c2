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
  // The line views point into content_, which a move or copy may relocate
  // (short strings live inside the object): they are rebuilt each time.
  NumberReader(const NumberReader& other);
  NumberReader(NumberReader&& other) noexcept;
  NumberReader& operator=(const NumberReader& other);
  NumberReader& operator=(NumberReader&& other) noexcept;
  // nullopt when the file cannot be opened.
  static std::optional<NumberReader> open(const std::filesystem::path& path);

  ReadStatus readInt(int32_t& value);  // a 32-bit signed integer
  ReadStatus readReal(float& value);   // rounded to single precision
  // Passes over exactly one line, whatever it holds; false at end of file.
  bool skipLine();
  bool atEnd() const { return next_ >= lines_.size(); }

 private:
  // The next item (text up to a comma, blank or line end), moving past its
  // line; nullopt at end of data.
  std::optional<std::string_view> nextItem();
  void splitLines();

  std::string content_;
  std::vector<std::string_view> lines_;
  size_t next_ = 0;
};

// Parses a whole item as a number; false when it is not one of the kind.
bool parseInt32(std::string_view item, int32_t& value);
bool parseReal(std::string_view item, float& value);

// Parameter files: lines 1 and 2 free text, line 3 begins with an integer.
enum class ParamStatus { Ok, Missing, Unreadable };
ParamStatus readParameterFile(const std::filesystem::path& path, int32_t& value);

}  // namespace tsk
