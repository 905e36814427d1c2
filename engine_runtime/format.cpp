// SPDX-License-Identifier: GPL-3.0-or-later
#include "format.h"

#include <cmath>
#include <cstdio>
#include <stdexcept>

namespace tsk {

namespace {

std::string padLeft(std::string s, int width) {
  if (static_cast<int>(s.size()) > width) return std::string(static_cast<size_t>(width), '*');
  return std::string(static_cast<size_t>(width) - s.size(), ' ') + s;
}

struct Parser {
  Parser(std::string_view t, const std::vector<FormatArg>& a) : text(t), args(a) {}
  std::string_view text;
  size_t pos = 0;
  const std::vector<FormatArg>& args;
  size_t nextArg = 0;
  std::vector<std::string> lines;
  std::string current;
  bool stopped = false;

  [[noreturn]] void fail(const char* what) const {
    throw std::logic_error(std::string("format list: ") + what + " in " + std::string(text));
  }
  void skipBlanks() {
    while (pos < text.size() && text[pos] == ' ') ++pos;
  }
  int number() {
    int n = 0;
    bool any = false;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
      n = n * 10 + (text[pos++] - '0');
      any = true;
    }
    if (!any) fail("number expected");
    return n;
  }
  const FormatArg* takeArg() {
    if (nextArg >= args.size()) {
      stopped = true;
      return nullptr;
    }
    return &args[nextArg++];
  }

  // Runs the items from pos up to the matching ')' (or the end of the list).
  void items(size_t closeAt) {
    while (!stopped) {
      skipBlanks();
      if (pos >= closeAt) return;
      char c = text[pos];
      if (c == ',') {
        ++pos;
      } else if (c == '/') {
        ++pos;
        lines.push_back(current);
        current.clear();
      } else if (c == '\'' || c == '"') {
        ++pos;
        for (;;) {
          if (pos >= text.size()) fail("unterminated text");
          if (text[pos] == c) {
            if (pos + 1 < text.size() && text[pos + 1] == c) {
              current += c;
              pos += 2;
              continue;
            }
            ++pos;
            break;
          }
          current += text[pos++];
        }
      } else if (c >= '0' && c <= '9') {
        int n = number();
        skipBlanks();
        if (pos < text.size() && (text[pos] == 'x' || text[pos] == 'X')) {
          ++pos;
          current.append(static_cast<size_t>(n), ' ');
        } else if (pos < text.size() && text[pos] == '(') {
          size_t open = pos;
          size_t close = matching(open);
          for (int k = 0; k < n && !stopped; ++k) {
            pos = open + 1;
            items(close);
          }
          pos = close + 1;
        } else {
          fail("X or ( expected after a count");
        }
      } else if (c == 'i' || c == 'I') {
        ++pos;
        int w = number();
        const FormatArg* a = takeArg();
        if (!a) return;
        if (!a->isInteger) fail("I item given a real");
        current += formatI(a->integer, w);
      } else if (c == 'f' || c == 'F') {
        ++pos;
        int w = number();
        if (pos >= text.size() || text[pos] != '.') fail("F item without decimals");
        ++pos;
        int d = number();
        const FormatArg* a = takeArg();
        if (!a) return;
        if (a->isInteger) fail("F item given an integer");
        current += formatF(a->real, w, d);
      } else if (c == 'x' || c == 'X') {
        ++pos;
        current += ' ';
      } else {
        fail("unknown item");
      }
    }
  }
  size_t matching(size_t open) const {
    int depth = 0;
    char quote = 0;
    for (size_t i = open; i < text.size(); ++i) {
      char c = text[i];
      if (quote) {
        if (c == quote) quote = 0;
      } else if (c == '\'' || c == '"') {
        quote = c;
      } else if (c == '(') {
        ++depth;
      } else if (c == ')') {
        if (--depth == 0) return i;
      }
    }
    fail("unbalanced parentheses");
  }
};

}  // namespace

std::string formatF(double value, int width, int decimals) {
  // No digits stand for infinity or NaN: the field says it cannot hold the value.
  if (!std::isfinite(value)) return std::string(static_cast<size_t>(width), '*');
  int len = std::snprintf(nullptr, 0, "%.*f", decimals, value);
  std::string s(static_cast<size_t>(len), '\0');
  std::snprintf(s.data(), s.size() + 1, "%.*f", decimals, value);
  bool negative = s[0] == '-';
  if (negative) s.erase(0, 1);
  if (s.find_first_not_of("0.") == std::string::npos) negative = false;  // no "-0.00"
  if (decimals == 0) s += '.';
  if (negative) s.insert(0, "-");
  size_t zeroAt = negative ? 1 : 0;
  if (static_cast<int>(s.size()) == width + 1 && s.size() > zeroAt + 1 && s[zeroAt] == '0' &&
      s[zeroAt + 1] == '.') {
    s.erase(zeroAt, 1);
  }
  return padLeft(s, width);
}

std::string formatI(long long value, int width) { return padLeft(std::to_string(value), width); }

std::vector<std::string> formatLines(std::string_view format, const std::vector<FormatArg>& args) {
  Parser p(format, args);
  p.skipBlanks();
  if (p.pos >= format.size() || format[p.pos] != '(') p.fail("list must start with (");
  size_t close = p.matching(p.pos);
  p.pos++;
  p.items(close);
  if (!p.stopped && p.nextArg != args.size()) p.fail("more values than items");
  p.lines.push_back(p.current);
  return p.lines;
}

}  // namespace tsk
