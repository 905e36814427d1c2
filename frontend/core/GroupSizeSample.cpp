// SPDX-License-Identifier: GPL-3.0-or-later
#include "GroupSizeSample.h"

#include <algorithm>

namespace tsk {

QString rowText(const SampleEntry& entry) {
  return QString::number(entry.size).rightJustified(6, u' ') +
         QString::number(entry.groups).rightJustified(7, u' ');
}

QString totalText(std::int64_t value, int width) {
  // rightJustified without truncation: a long total is shown and saved whole.
  return QString::number(static_cast<qlonglong>(value)).rightJustified(width, u' ');
}

QString groupsTotalText(const GroupSizeSample& sample) {
  return totalText(sample.groupsTotal, sample.totalsWidth);
}

QString animalsTotalText(const GroupSizeSample& sample) {
  return totalText(sample.animalsTotal, sample.totalsWidth);
}

std::vector<int> expandedForm(const GroupSizeSample& sample) {
  std::vector<int> sizes;
  std::size_t count = 0;
  for (const SampleEntry& e : sample.entries)
    count += static_cast<std::size_t>(std::max(e.groups, 0));
  sizes.reserve(count);
  for (const SampleEntry& e : sample.entries)
    sizes.insert(sizes.end(), std::max(e.groups, 0), e.size);
  return sizes;
}

namespace {

void takeOff(GroupSizeSample& sample, std::size_t row) {
  const SampleEntry& e = sample.entries[row];
  sample.groupsTotal -= e.groups;
  sample.animalsTotal -= std::int64_t(e.size) * e.groups;
  sample.entries.erase(sample.entries.begin() + static_cast<std::ptrdiff_t>(row));
}

}  // namespace

bool listOrder(const SampleEntry& a, const SampleEntry& b) {
  return a.size != b.size ? a.size < b.size : a.groups < b.groups;
}

void AddEntry(GroupSizeSample& sample, int size, int groups) {
  auto same = std::find_if(sample.entries.begin(), sample.entries.end(),
                           [size](const SampleEntry& e) { return e.size == size; });
  if (same != sample.entries.end())
    takeOff(sample, static_cast<std::size_t>(same - sample.entries.begin()));
  SampleEntry entry{size, groups};
  sample.entries.insert(
      std::upper_bound(sample.entries.begin(), sample.entries.end(), entry, listOrder), entry);
  sample.groupsTotal += groups;
  sample.animalsTotal += std::int64_t(size) * groups;
  sample.totalsWidth = 7;
}

void RemoveEntry(GroupSizeSample& sample, int row) {
  if (row < 0 || static_cast<std::size_t>(row) >= sample.entries.size()) return;
  takeOff(sample, static_cast<std::size_t>(row));
  sample.totalsWidth = 7;
}

}  // namespace tsk
