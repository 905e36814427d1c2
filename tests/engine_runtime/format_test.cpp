// SPDX-License-Identifier: GPL-3.0-or-later
#include "format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

namespace tsk {
namespace {

struct FCase {
  double value;
  int width, decimals;
  const char* expected;
};

// Examples of the F item rules, each rounding boundary next to its neighbour.
TEST(FormatF, RoundsSignsDropsLeadingZeroAndOverflows) {
  const FCase cases[] = {
      {0.5, 10, 2, "      0.50"},
      {-0.001, 10, 2, "      0.00"},  // rounded zero carries no minus sign
      {-0.005, 10, 2, "     -0.01"},  // -0.005 is -0.005000000000000000104 in binary
      {0.005, 10, 2, "      0.01"},
      {0.125, 6, 2, "  0.12"},  // exact binary half: rounds to even as printf does
      {0.375, 6, 2, "  0.38"},
      {2.675, 6, 2, "  2.67"},  // 2.67499999... in binary
      {123456.7, 6, 1, "******"},
      {0.5, 3, 2, ".50"},  // leading 0 dropped to fit
      {0.5, 4, 2, "0.50"},
      {-0.5, 4, 2, "-.50"},
      {-0.5, 3, 2, "***"},
      {12.345, 5, 2, "12.35"},  // 12.3450000000000006395
      {99.996, 5, 2, "*****"},  // rounds up to 100.00
      {3.18181818, 12, 2, "        3.18"},
      {1.0, 7, 1, "    1.0"},
      {3.0, 4, 0, "  3."},
      {-0.0, 5, 1, "  0.0"},
      {static_cast<double>(0.57403862f), 10, 8, "0.57403862"},  // 0.574038624763...,
      // Not finite: asterisks as for a value too wide, whatever the width.
      {INFINITY, 12, 2, "************"},
      {-INFINITY, 9, 2, "*********"},
      {NAN, 10, 3, "**********"},
      {-NAN, 3, 0, "***"},
      {1e15, 20, 2, " 1000000000000000.00"},  // large but finite keeps its digits
  };
  for (const auto& c : cases) {
    EXPECT_EQ(formatF(c.value, c.width, c.decimals), c.expected)
        << c.value << " in F" << c.width << "." << c.decimals;
  }
}

TEST(FormatI, RightAlignsAndOverflows) {
  EXPECT_EQ(formatI(5, 3), "  5");
  EXPECT_EQ(formatI(-12, 4), " -12");
  EXPECT_EQ(formatI(1000, 3), "***");
  EXPECT_EQ(formatI(-100, 3), "***");
  EXPECT_EQ(formatI(0, 1), "0");
}

TEST(FormatLines, ItemsOfTheSampleLine) {
  auto lines = formatLines(R"(("   Sample",i3,":",i8,i9,2(f12.2,f10.2)))",
                           {1, 5, 11, 2.2f, 1.0f, 3.1818182f, 4.0f});
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], "   Sample  1:       5       11        2.20      1.00        3.18      4.00");
  EXPECT_EQ(lines[0].size(), 74u);
}

TEST(FormatLines, SlashesTextsAndBlanks) {
  EXPECT_EQ(formatLines("(/,16X,'ab',/,2X,'c')", {}),
            (std::vector<std::string>{"", "                ab", "  c"}));
  EXPECT_EQ(formatLines("('a',//,'b')", {}), (std::vector<std::string>{"a", "", "b"}));
  EXPECT_EQ(formatLines("('a',/)", {}), (std::vector<std::string>{"a", ""}));
  EXPECT_EQ(formatLines("('it''s',\"q\"\"\")", {}), (std::vector<std::string>{"it'sq\""}));
  EXPECT_EQ(formatLines("('x',3X,'y')", {}), (std::vector<std::string>{"x   y"}));
}

TEST(FormatLines, NestedRepeatAndStopAtMissingValue) {
  EXPECT_EQ(formatLines("(2('<',i2,2(f4.1)))", {1, 1.0, 2.0, 2, 3.0, 4.0}),
            (std::vector<std::string>{"< 1 1.0 2.0< 2 3.0 4.0"}));
  // Output ends at the first number item without a value; text before it stays.
  EXPECT_EQ(formatLines("('n=',i3,' m=',i3)", {7})[0], "n=  7 m=");
}

TEST(FormatLines, ProgrammingErrorsThrow) {
  EXPECT_THROW(formatLines("(i3)", {1.5}), std::logic_error);
  EXPECT_THROW(formatLines("(f5.1)", {1}), std::logic_error);
  EXPECT_THROW(formatLines("('a'", {}), std::logic_error);
  EXPECT_THROW(formatLines("(i3)", {1, 2}), std::logic_error);
  EXPECT_THROW(formatLines("(q)", {}), std::logic_error);
}

}  // namespace
}  // namespace tsk
