// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Report lines: message lines and formatted lines built from format item
// lists written as in the engines' source texts, for example
//   ("   Sample",i3,":",i8,i9,2(f12.2,f10.2))
// Items: quoted text ('...' or "..."), /, nX, Iw, Fw.d, n(...). Output stops
// at the first I or F item for which no value is left.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace tsk {

// One value for a format list: integers for I items, reals for F items.
// Single-precision values widen exactly to double before rounding.
struct FormatArg {
  FormatArg(int v) : isInteger(true), integer(v) {}
  FormatArg(long v) : isInteger(true), integer(v) {}
  FormatArg(long long v) : isInteger(true), integer(v) {}
  FormatArg(float v) : isInteger(false), real(v) {}
  FormatArg(double v) : isInteger(false), real(v) {}
  bool isInteger;
  long long integer = 0;
  double real = 0.0;
};

// Fw.d of one value: rounded as printf("%.*f") rounds the exact binary value,
// no minus sign on a zero result, the leading 0 dropped only when the field
// would otherwise be one column too narrow, w asterisks when it does not fit
// or is not finite.
std::string formatF(double value, int width, int decimals);

// Iw of one value: right-aligned, w asterisks when it does not fit.
std::string formatI(long long value, int width);

// The lines (without line ends) that a format list produces for the values.
// Throws std::logic_error on a malformed list or a value of the wrong kind:
// both are programming errors in the engine, never data errors.
std::vector<std::string> formatLines(std::string_view format, const std::vector<FormatArg>& args);

inline std::vector<std::string> formatLines(std::string_view format,
                                            std::initializer_list<FormatArg> args) {
  return formatLines(format, std::vector<FormatArg>(args));
}

// The closing line of every report: 79 underscores.
inline constexpr std::string_view kClosingLine =
    "_______________________________________________________________________________";

}  // namespace tsk
