// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The group-size sample as the entry and edit windows hold it: one row per
// group size with its number of groups, and the two totals shown to the user.

#include <QString>
#include <cstdint>
#include <vector>

namespace tsk {

// One row of a sample: `groups` groups of `size` animals each.
struct SampleEntry {
  int size = 0;
  int groups = 0;
  friend bool operator==(const SampleEntry&, const SampleEntry&) = default;
};

struct GroupSizeSample {
  // Sorted by size, rows of equal size (only from a file written elsewhere)
  // by their number of groups.
  std::vector<SampleEntry> entries;
  // The totals as shown: set on creation or load, then moved only by the
  // rows added or removed, never recomputed from the rows. 64 bits, so that
  // no sum of rows can overflow.
  std::int64_t groupsTotal = 0;
  std::int64_t animalsTotal = 0;
  // 5 for a new or freshly loaded sample, 7 after any edit.
  int totalsWidth = 5;
};

// The 13-character list text of a row: size right-aligned in 6 columns, the
// number of groups in the next 7. A number too long for its columns is
// written whole, so the text then grows.
QString rowText(const SampleEntry& entry);

// A total right-aligned with blanks to `width` characters; a value with more
// digits than that is written whole, never cut to its last digits.
QString totalText(std::int64_t value, int width);
QString groupsTotalText(const GroupSizeSample& sample);
QString animalsTotalText(const GroupSizeSample& sample);

// The order of the rows in the list: by size, rows of equal size by their
// number of groups (the order of their texts).
bool listOrder(const SampleEntry& a, const SampleEntry& b);

// The group list: each row's size repeated `groups` times, in row order.
std::vector<int> expandedForm(const GroupSizeSample& sample);

// Adds the row (size, groups), replacing the row of that size if there is
// one: its groups are replaced, not added to. Where a loaded file left two
// rows of the size, the first of them in list order (the one with fewer
// groups) is replaced. Totals follow; the totals width becomes 7.
void AddEntry(GroupSizeSample& sample, int size, int groups);

// Removes the row at `row` (0-based; out-of-range indices change nothing)
// and takes its groups and animals off the totals; the totals width becomes 7.
void RemoveEntry(GroupSizeSample& sample, int row);

}  // namespace tsk
