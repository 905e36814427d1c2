// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "GroupSizeSample.h"

namespace {

using tsk::GroupSizeSample;
using tsk::SampleEntry;

TEST(SampleModel, RowText) {
  const struct {
    SampleEntry entry;
    const char* text;
  } cases[] = {
      {{12, 3}, "    12      3"},  // worked example: four blanks, 12, six blanks, 3
      {{1, 1}, "     1      1"},
      {{30000, 30000}, " 30000  30000"},  // the largest entry still leaves column 7 blank
      {{99999, 99999}, " 99999  99999"},
      // Sizes from a foreign file may be longer: written whole, the text grows.
      {{1234567, 2}, "1234567      2"},
  };
  for (const auto& c : cases) EXPECT_EQ(tsk::rowText(c.entry).toStdString(), c.text) << c.text;
}

TEST(SampleModel, TotalTextIsNeverCut) {
  const struct {
    std::int64_t value;
    int width;
    const char* text;
  } cases[] = {
      {0, 5, "    0"},  // a new sample
      {12, 5, "   12"},       {12, 7, "     12"},      {99999, 5, "99999"},
      {100000, 5, "100000"},  // not "00000": the last five digits would corrupt the file
      {999999, 7, " 999999"}, {1000000, 7, "1000000"}, {900000000, 7, "900000000"},
      {-5, 5, "   -5"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(tsk::totalText(c.value, c.width).toStdString(), c.text) << c.value;
}

TEST(SampleModel, AddKeepsRowsSortedAndTotalsInStep) {
  GroupSizeSample s;
  EXPECT_EQ(tsk::groupsTotalText(s).toStdString(), "    0");
  tsk::AddEntry(s, 4, 2);
  tsk::AddEntry(s, 1, 3);
  // Worked example: 5 groups, 3 * 1 + 2 * 4 = 11 animals, width 7 after edits.
  EXPECT_EQ(s.entries, (std::vector<SampleEntry>{{1, 3}, {4, 2}}));
  EXPECT_EQ(tsk::groupsTotalText(s).toStdString(), "      5");
  EXPECT_EQ(tsk::animalsTotalText(s).toStdString(), "     11");
  EXPECT_EQ(tsk::expandedForm(s), (std::vector<int>{1, 1, 1, 4, 4}));

  tsk::AddEntry(s, 2, 1);
  EXPECT_EQ(s.entries, (std::vector<SampleEntry>{{1, 3}, {2, 1}, {4, 2}}));
  // Replacing size 4: 2 groups become 5, totals move by the difference
  // (6 + 3 = 9 groups, 13 - 8 + 20 = 25 animals).
  tsk::AddEntry(s, 4, 5);
  EXPECT_EQ(s.entries, (std::vector<SampleEntry>{{1, 3}, {2, 1}, {4, 5}}));
  EXPECT_EQ(s.groupsTotal, 9);
  EXPECT_EQ(s.animalsTotal, 25);

  tsk::RemoveEntry(s, 0);
  EXPECT_EQ(s.entries, (std::vector<SampleEntry>{{2, 1}, {4, 5}}));
  EXPECT_EQ(s.groupsTotal, 6);
  EXPECT_EQ(s.animalsTotal, 22);
  for (int bad : {-1, 2, 100}) tsk::RemoveEntry(s, bad);
  EXPECT_EQ(s.entries.size(), 2u);
  EXPECT_EQ(s.groupsTotal, 6);
  tsk::RemoveEntry(s, 1);
  tsk::RemoveEntry(s, 0);
  EXPECT_TRUE(s.entries.empty());
  EXPECT_EQ(tsk::groupsTotalText(s).toStdString(), "      0");
  EXPECT_EQ(s.animalsTotal, 0);
}

TEST(SampleModel, LargestRowsDoNotOverflowTheTotals) {
  GroupSizeSample s;
  for (int size = 29990; size <= 30000; ++size) tsk::AddEntry(s, size, 30000);
  // Hand sum: 30000 * (29990 + ... + 30000) = 30000 * 329945.
  EXPECT_EQ(s.animalsTotal, std::int64_t(30000) * 329945);
  EXPECT_EQ(tsk::animalsTotalText(s).toStdString(), "9898350000");
}

TEST(SampleModel, AddReplacesTheFirstOfTwoRowsOfOneSize) {
  // Only a loaded foreign file gives two rows of one size: (4, 1) before (4, 2).
  GroupSizeSample s;
  s.entries = {{1, 1}, {4, 1}, {4, 2}};
  s.groupsTotal = 4;
  s.animalsTotal = 13;
  tsk::AddEntry(s, 4, 7);
  EXPECT_EQ(s.entries, (std::vector<SampleEntry>{{1, 1}, {4, 2}, {4, 7}}));
  EXPECT_EQ(s.groupsTotal, 4 - 1 + 7);
  EXPECT_EQ(s.animalsTotal, 13 - 4 + 28);
}

}  // namespace
